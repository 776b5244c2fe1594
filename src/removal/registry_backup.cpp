#include "removal/registry_backup.h"

#include <string>

#include "removal/quarantine.h"
#include "removal/quarantine_log.h"

namespace kestrian::removal {

namespace {
// The registry's own limit of key depth, and a bound on what one backup may hold.
constexpr std::size_t kMostDepth = 512;
constexpr std::size_t kMostKeys = 100000;
constexpr std::size_t kMostBytes = kMostRegFileBytes / 4;
constexpr std::size_t kMostNameLength = 64;

// A file name made of a registry name: what Windows forbids in names becomes "_".
std::string FileNameOf(std::string_view name) {
  std::string text;
  for (char c : name.substr(0, kMostNameLength)) {
    const bool forbidden = static_cast<unsigned char>(c) < 0x20 ||
                           std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos;
    text += forbidden ? '_' : c;
  }
  while (!text.empty() && (text.back() == '.' || text.back() == ' ')) text.pop_back();
  return (text.empty() ? std::string("registry") : text) + ".reg";
}

std::string_view LastPart(std::string_view path) {
  const std::size_t slash = path.rfind('\\');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}
}  // namespace

std::optional<std::vector<RegKey>> ReadKeyTree(platform::Registry& registry, platform::RootKey root,
                                               std::string_view path, bool& missing) {
  missing = false;
  std::vector<RegKey> keys;
  std::vector<std::pair<std::string, std::size_t>> pending{{std::string(path), 0}};  // path, depth
  std::size_t bytes = 0;
  while (!pending.empty()) {
    auto [keyPath, depth] = std::move(pending.back());
    pending.pop_back();
    auto values = registry.Values(root, keyPath);
    auto children = registry.SubKeyNames(root, keyPath);
    if (!values.ok() || !children.ok()) {
      missing = keys.empty() && !values.ok() && values.status() == platform::kFileNotFound;
      return std::nullopt;
    }
    for (const auto& value : values.value()) bytes += value.name.size() + value.value.data.size();
    if (depth >= kMostDepth || keys.size() >= kMostKeys || bytes > kMostBytes) return std::nullopt;
    // Pushed backwards, so that the sub-keys come out in the registry's order.
    const auto& names = children.value();
    for (auto it = names.rbegin(); it != names.rend(); ++it) {
      pending.emplace_back(keyPath + "\\" + *it, depth + 1);
    }
    keys.push_back({root, std::move(keyPath), std::move(values.value())});
  }
  return keys;
}

BackupOutcome RegistryBackup::BackUpKey(platform::RootKey root, std::string_view path,
                                        std::string_view location) {
  bool missing = false;
  const auto keys = ReadKeyTree(machine_.registry, root, path, missing);
  if (!keys) return missing ? BackupOutcome::Missing : BackupOutcome::Failed;
  return Write(*keys, FileNameOf(LastPart(path)), location, RegKeyName(root, path));
}

BackupOutcome RegistryBackup::BackUpValue(platform::RootKey root, std::string_view path,
                                          std::string_view name, std::string_view location) {
  platform::RegistryValue value;
  const auto status = machine_.registry.QueryValue(root, path, platform::key_access::kRead, name, value);
  if (status == platform::kFileNotFound) return BackupOutcome::Missing;
  if (status != platform::kOk) return BackupOutcome::Failed;
  const RegKey key{root, std::string(path), {{std::string(name), value}}};
  return Write({key}, FileNameOf(std::string(LastPart(path)) + " - " + std::string(name)), location,
               RegKeyName(root, path));
}

BackupOutcome RegistryBackup::Write(const std::vector<RegKey>& keys, std::string_view fileName,
                                    std::string_view location, std::string_view keyName) {
  const auto bytes = WriteRegFile(keys);
  const std::string name = FreeName(machine_.files, folder_, fileName);
  if (!bytes || name.empty()) return BackupOutcome::Failed;
  const std::string path = QuarantinePath(folder_, name);
  // Read back: only a backup that is on the disk whole counts.
  const bool whole = machine_.files.WriteAll(path, *bytes) == platform::kOk &&
                     machine_.files.ReadAll(path).value_or({}) == *bytes;
  if (whole && recorder_.Record(location, name, keyName)) return BackupOutcome::BackedUp;
  machine_.files.Delete(path);
  return BackupOutcome::Failed;
}

}  // namespace kestrian::removal
