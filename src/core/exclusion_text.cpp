#include "core/exclusion_text.h"

#include <vector>

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
  // Each line goes in front of those read before: gathered first, then joined from the last,
  // since putting each in front at once would copy the whole text again for every line.
  std::vector<std::string_view> entries;
  std::size_t length = 0;
  LineReader reader(content.value());
  std::string_view line;
  while (reader.Next(line)) {
    entries.push_back(Trim(line));
    length += entries.back().size() + 2;
    host.DoEvents();
  }
  std::string text;
  text.reserve(length);
  for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) text.append(*entry).append("\r\n");
  return text;
}

}  // namespace kestrian::core
