#include "support/fake_machine.h"

#include "core/file_tests.h"
#include "scan/process_names.h"

#include <charconv>
#include <cstdio>
#include <stdexcept>

namespace kestrian::testing {

using platform::Status;

namespace {
// Windows wildcard match of one name: "*" any run, "?" one character, case ignored.
bool WildcardMatch(std::string_view pattern, std::string_view name) {
  std::size_t p = 0, n = 0, star = std::string_view::npos, mark = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || core::EqualsIgnoringCase(pattern.substr(p, 1), name.substr(n, 1)))) {
      ++p;
      ++n;
    } else if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      mark = n;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      n = ++mark;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

bool IsSameOrBelow(std::string_view path, std::string_view key) {
  if (!core::StartsWithIgnoringCase(path, key)) return false;
  return path.size() == key.size() || path[key.size()] == '\\';
}
}  // namespace

// ---------------------------------------------------------------- registry

std::string FakeRegistry::FullPath(platform::RootKey root, std::string_view path) {
  std::string full = std::to_string(root);
  if (!path.empty()) full.append("\\").append(path);
  while (!full.empty() && full.back() == '\\') full.pop_back();
  return full;
}

platform::Result<FakeRegistry::Key*> FakeRegistry::Opened(platform::RootKey root, std::string_view path,
                                                        std::uint32_t access) {
  using namespace platform::roots;
  using namespace platform::key_access;
  const platform::RootKey valid[] = {kClassesRoot, kCurrentUser, kLocalMachine,
                                     kUsers,       kCurrentConfig, kDynData};
  if (std::find(std::begin(valid), std::end(valid), root) == std::end(valid)) {
    return Failed{platform::kInvalidHandle};
  }
  if (path.empty()) CreateKey(root, path);
  Key* key = Find(root, path);
  if (key == nullptr) return Failed{platform::kFileNotFound};
  if (Refuses(root, *key) && (access & (kSetValue | kCreateSubKey | kCreateLink)) != 0) return Failed{platform::kAccessDenied};
  return key;
}

// A key held open: it finds its key again at each read, so a key deleted meanwhile reads
// as Windows reads a deleted key, as nothing.
class FakeRegistry::HeldKey final : public platform::RegistryKey {
 public:
  HeldKey(FakeRegistry& registry, platform::RootKey root, std::string_view path)
      : registry_(registry), root_(root), path_(path) {}
  Status QueryValue(std::string_view name, platform::RegistryValue& out) override {
    out = {};
    ++registry_.valueReads;
    const Key* key = registry_.Find(root_, path_);
    return key == nullptr ? kKeyDeleted : ReadValue(key, name, out);
  }

 private:
  static constexpr Status kKeyDeleted = 1018;  // ERROR_KEY_DELETED
  FakeRegistry& registry_;
  platform::RootKey root_;
  std::string path_;
};

platform::Result<std::unique_ptr<platform::RegistryKey>> FakeRegistry::Open(
    platform::RootKey root, std::string_view path, std::uint32_t access) {
  ++readOpens;
  if (const auto key = Opened(root, path, access); !key.ok()) return Failed{key.status()};
  return std::unique_ptr<platform::RegistryKey>(std::make_unique<HeldKey>(*this, root, path));
}

Status FakeRegistry::DeleteTree(platform::RootKey root, std::string_view path) {
  if (path.empty()) return platform::kAccessDenied;
  if (const auto key = Opened(root, path, platform::key_access::kRead); !key.ok()) return key.status();
  const std::string full = FullPath(root, path);
  // As on Windows, one key below that refuses the delete keeps the tree.
  if (refusingHives_.contains(root)) return platform::kAccessDenied;
  for (const auto& [name, below] : keys_) {
    if (below.readOnly && IsSameOrBelow(name, full)) return platform::kAccessDenied;
  }
  std::erase_if(keys_, [&](const auto& entry) { return IsSameOrBelow(entry.first, full); });
  return platform::kOk;
}

Status FakeRegistry::CreateKey(platform::RootKey root, std::string_view path) {
  keys_.try_emplace(FullPath(root, {}));
  std::size_t end = 0;
  while (end != std::string_view::npos) {
    end = path.find('\\', end + 1);
    const std::string_view part = path.substr(0, end);
    if (Find(root, part) != nullptr) continue;
    const auto slash = part.rfind('\\');
    const Key* parent = Find(root, slash == std::string_view::npos ? std::string_view() : part.substr(0, slash));
    if (refusingHives_.contains(root) || (parent != nullptr && parent->readOnly)) {
      return platform::kAccessDenied;
    }
    keys_.try_emplace(FullPath(root, part));
  }
  return platform::kOk;
}

platform::Result<std::vector<std::string>> FakeRegistry::SubKeyNames(platform::RootKey root,
                                                                     std::string_view path) {
  if (const auto key = Opened(root, path, platform::key_access::kRead); !key.ok()) return Failed{key.status()};
  const std::string prefix = FullPath(root, path) + "\\";
  std::vector<std::string> names;
  for (auto it = keys_.lower_bound(prefix); it != keys_.end(); ++it) {
    if (!core::StartsWithIgnoringCase(it->first, prefix)) break;
    const std::string name = it->first.substr(prefix.size());
    if (name.find('\\') == std::string::npos) names.push_back(name);
  }
  return names;
}

// ---------------------------------------------------------------- files

std::vector<platform::DirectoryEntry> FakeFileSystem::Find(std::string_view pattern) {
  ++searches;
  std::vector<platform::DirectoryEntry> entries;
  const std::string folder = Parent(pattern);
  const std::string_view namePattern = core::FileNamePart(pattern);
  if (namePattern.empty() || !FolderExists(folder)) return entries;
  ForEachChild(folder, [&](const Node& node) {
    // As on Windows, a search matches the 8.3 name as well as the long one.
    if (WildcardMatch(namePattern, node.name) ||
        (!node.shortName.empty() && WildcardMatch(namePattern, node.shortName))) {
      entries.push_back({node.name, node.attributes});
    }
  });
  return entries;
}

platform::Result<std::string> FakeFileSystem::ResolvedPath(std::string_view path) {
  const std::string plain = platform::WithoutDevicePrefix(path);
  if (!platform::IsPathText(plain)) return Failed{123};  // ERROR_INVALID_NAME
  // The parts without "." and "..", as Windows parses them; then every alias followed.
  std::vector<std::string> parts;
  const std::string full = FullPath(plain);
  for (std::size_t start = 0; start <= full.size();) {
    std::size_t end = full.find('\\', start);
    if (end == std::string::npos) end = full.size();
    std::string part = full.substr(start, end - start);
    while (!part.empty() && (part.back() == '.' || part.back() == ' ') && part != "..") part.pop_back();
    if (part == ".." && parts.size() > 1) parts.pop_back();
    if (!part.empty() && part != "..") parts.push_back(part);
    start = end + 1;
  }
  std::string resolved;
  for (const auto& part : parts) resolved += (resolved.empty() ? "" : "\\") + part;
  for (int step = 0; step < 8; ++step) {
    const auto alias = std::find_if(aliases_.begin(), aliases_.end(),
                                    [&](const auto& entry) { return IsSameOrBelow(resolved, entry.first); });
    if (alias == aliases_.end()) break;
    resolved = alias->second + resolved.substr(alias->first.size());
  }
  return resolved;
}

// ---------------------------------------------------------------- machine

std::uint32_t FakeProcesses::Start(std::string exeFile, std::string modulePath, bool terminable) {
  if (!modulePath.empty() && scan::IsPlainProcessName(exeFile) &&
      !core::EqualsIgnoringCase(exeFile, scan::ProcessFileName(modulePath))) {
    throw std::invalid_argument("a process named " + exeFile + " cannot run " + modulePath);
  }
  running_.push_back({nextId_, std::move(exeFile), std::move(modulePath), terminable});
  return nextId_++;
}

namespace {
using platform::DateTime;

// Three whole numbers joined by `separator`, such as "12/6/2026" or "9:30:00", taken off the
// front of `text`.
std::optional<std::array<int, 3>> TakeTriple(std::string_view& text, char separator) {
  std::array<int, 3> parts{};
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) {
      if (!text.starts_with(separator)) return std::nullopt;
      text.remove_prefix(1);
    }
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parts[i]);
    if (error != std::errc()) return std::nullopt;
    text.remove_prefix(static_cast<std::size_t>(end - text.data()));
  }
  return parts;
}

std::chrono::year_month_day Calendar(const DateTime& value) {
  return std::chrono::year{value.year} / std::chrono::month{static_cast<unsigned>(value.month)} /
         std::chrono::day{static_cast<unsigned>(value.day)};
}

}  // namespace

std::string FakeClock::WeekdayName(const DateTime& date) {
  const std::chrono::weekday weekday{std::chrono::sys_days{Calendar(date)}};
  return weekdayNames[weekday.c_encoding()];
}

std::string FakeClock::GeneralDateText(const DateTime& value) {
  char text[64];
  std::snprintf(text, sizeof text, "%d/%d/%d %d:%02d:%02d %s", value.month, value.day, value.year,
                (value.hour + 11) % 12 + 1, value.minute, value.second, value.hour < 12 ? "AM" : "PM");
  const std::string_view full = text;
  const bool midnight = value.hour == 0 && value.minute == 0 && value.second == 0;
  return std::string(midnight ? full.substr(0, full.find(' ')) : full);
}

std::optional<DateTime> FakeClock::ParseDateText(std::string_view text) {
  text = core::Trim(text);
  if (text.empty()) return std::nullopt;
  DateTime value{1899, 12, 30};
  if (text.find('/') != std::string_view::npos) {
    const auto date = TakeTriple(text, '/');
    if (!date) return std::nullopt;
    value.month = (*date)[0];
    value.day = (*date)[1];
    value.year = (*date)[2];
    if (value.month < 1 || value.month > 12 || value.day < 1 || !Calendar(value).ok()) {
      return std::nullopt;
    }
    text = core::Trim(text);
  }
  if (text.empty()) return value;
  // "h:mm:ss", then " AM"/" PM" or nothing (a 24-hour clock).
  const auto time = TakeTriple(text, ':');
  const std::string_view half = core::Trim(text);
  const bool pm = core::EqualsIgnoringCase(half, "PM");
  if (!time || !(half.empty() || pm || core::EqualsIgnoringCase(half, "AM"))) return std::nullopt;
  value.hour = (*time)[0];
  value.minute = (*time)[1];
  value.second = (*time)[2];
  if (!half.empty()) {
    if (value.hour < 1 || value.hour > 12) return std::nullopt;
    value.hour = value.hour % 12 + (pm ? 12 : 0);
  }
  if (value.hour < 0 || value.hour > 23 || value.minute < 0 || value.minute > 59) return std::nullopt;
  if (value.second < 0 || value.second > 59) return std::nullopt;
  return value;
}

FakeMachine::FakeMachine()
    : machine_{registry, files, environment, clock, processes, desktop, systemRestore, libraries, web, *crypto} {
  web.files = &files;
}

}  // namespace kestrian::testing
