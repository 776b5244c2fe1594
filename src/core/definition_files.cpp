#include "core/definition_files.h"

#include <string_view>

#include "core/data_files.h"
#include "core/exclusion_text.h"
#include "core/file_tests.h"
#include "core/line_reader.h"

namespace kestrian::core {

// Every line of four files of the largest size, counted together, fits a 32-bit count.
static_assert(4 * data_files::kMaxDefinitionFileBytes <= INT32_MAX);

platform::Result<std::string> ReadDefinitionFile(platform::FileSystem& files, std::string_view path) {
  return files.ReadAtMost(path, data_files::kMaxDefinitionFileBytes);
}

std::vector<DefinitionFileKind> InstallDownloadedDefinitions(platform::FileSystem& files,
                                                             const ApplicationFolder& folder,
                                                             SettingsStore& settings, ui::Host& host,
                                                             const DefinitionCheck& check,
                                                             std::string& exclusionText) {
  std::vector<DefinitionFileKind> rejected = InstallHoldingFiles(files, folder, settings, check);
  exclusionText = LoadExclusionText(files, folder, host);
  return rejected;
}

std::int32_t CountDefinitionLines(platform::FileSystem& files, const ApplicationFolder& folder,
                                  DefinitionCounts& counts, std::vector<std::string_view>* unreadable) {
  using namespace data_files;
  counts = DefinitionCounts{};
  std::int32_t total = 0;
  const std::pair<std::string_view, std::int32_t*> order[] = {{kBlockedCookies, &counts.cookies},
                                                              {kExeDefinitions, &counts.executables},
                                                              {kRegistryDefinitions, &counts.registry},
                                                              {kFileDefinitions, &counts.files}};
  for (const auto& [name, count] : order) {
    const std::string path = folder.FilePath(name);
    if (!FileExists(files, path)) continue;
    const auto content = ReadDefinitionFile(files, path);
    if (!content.ok()) {
      if (unreadable != nullptr) unreadable->push_back(name);
      continue;
    }
    *count = CountLines(content.value());
    total += *count;
  }
  return total;
}

bool DefinitionFilesPresent(platform::FileSystem& files, const ApplicationFolder& folder) {
  using namespace data_files;
  for (std::string_view name :
       {kFileDefinitions, kRegistryDefinitions, kExeDefinitions, kBlockedCookies}) {
    if (!FindNormalFile(files, folder.FilePath(name))) return false;
  }
  return true;
}

}  // namespace kestrian::core
