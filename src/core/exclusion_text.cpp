#include "core/exclusion_text.h"

#include "core/data_files.h"
#include "core/file_tests.h"
#include "core/line_reader.h"
#include "core/text.h"

namespace kestrian::core {

std::string LoadExclusionText(platform::FileSystem& files, const ApplicationFolder& folder,
                              ui::Host& host) {
  const std::string path = folder.FilePath(data_files::kExclusions);
  if (!FindNormalFile(files, path)) return {};
  const auto content = files.ReadAll(path);
  if (!content.ok()) return {};
  std::string text;
  LineReader reader(content.value());
  std::string_view line;
  while (reader.Next(line)) {
    std::string entry(Trim(line));
    entry.append("\r\n");
    text.insert(0, entry);
    host.DoEvents();
  }
  return text;
}

}  // namespace kestrian::core
