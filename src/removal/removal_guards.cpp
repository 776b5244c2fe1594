#include "removal/removal_guards.h"

#include <string>

#include "core/path_parts.h"
#include "core/text.h"
#include "removal/kept_reasons.h"
#include "removal/protected_registry.h"
#include "scan/company_name.h"

namespace kestrian::removal {

namespace {
// The folder as Windows resolves it; as written when it cannot be.
std::string ResolvedFolder(platform::FileSystem& files, const std::string& folder) {
  const auto resolved = files.ResolvedPath(folder);
  return resolved.ok() ? resolved.value() : folder;
}
}  // namespace

bool InsideProgramFolder(platform::FileSystem& files, const core::ApplicationFolder& folder,
                         std::string_view path) {
  const auto resolved = files.ResolvedPath(path);
  return !resolved.ok() || core::IsInsideFolder(resolved.value(), ResolvedFolder(files, folder.Path()));
}

std::optional<std::string_view> WhyFileStays(platform::Machine& machine,
                                             const core::ApplicationFolder& folder,
                                             std::string_view path) {
  auto& files = machine.files;
  const auto resolved = files.ResolvedPath(path);
  if (!resolved.ok()) return kept::kUnresolvedPath;
  // The quarantine is in the program's folder: backups are never removed either.
  if (core::IsInsideFolder(resolved.value(), ResolvedFolder(files, folder.Path()))) {
    return kept::kProgramFile;
  }
  for (const auto& entry : files.Find(path)) {
    if (entry.attributes & platform::attributes::kDirectory) return kept::kFolder;
  }
  if (core::IsInsideFolder(resolved.value(), ResolvedFolder(files, machine.environment.WindowsFolder())) &&
      core::FindIgnoringCase(scan::GetExecutableCompanyName(files, resolved.value()), "Microsoft") !=
          std::string::npos) {
    return kept::kWindowsFile;
  }
  return std::nullopt;
}

std::optional<std::string_view> WhyRegistryItemStays(platform::RootKey root, std::string_view subKey,
                                                     std::string_view valueName) {
  if (valueName.empty()) {
    if (IsProtectedKey(root, subKey)) return kept::kWindowsKey;
  } else if (IsProtectedValue(root, subKey, valueName)) {
    return kept::kWindowsValue;
  }
  return std::nullopt;
}

}  // namespace kestrian::removal
