#include "core/definition_files.h"

#include <string_view>

#include "core/data_files.h"
#include "core/exclusion_text.h"
#include "core/file_tests.h"
#include "core/line_reader.h"

namespace kestrian::core {

void InstallDownloadedDefinitions(platform::FileSystem& files, const ApplicationFolder& folder,
                                  ui::Host& host, std::string& exclusionText) {
  using namespace data_files;
  for (std::string_view name :
       {kBlockedCookies, kRegistryDefinitions, kFileDefinitions, kExeDefinitions}) {
    const std::string downloaded = folder.FilePath(std::string(kDownloadPrefix) + std::string(name));
    if (!FindNormalFile(files, downloaded)) continue;
    // A failed move leaves both files as they were; the copy is tried again next start.
    files.MoveReplacing(downloaded, folder.FilePath(name));
  }
  exclusionText = LoadExclusionText(files, folder, host);
}

std::int32_t CountDefinitionLines(platform::FileSystem& files, const ApplicationFolder& folder,
                                  DefinitionCounts& counts) {
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
    const auto content = files.ReadAll(path);
    if (!content.ok()) continue;
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
