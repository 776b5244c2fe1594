#include "core/exclusion_list.h"

#include "core/data_files.h"
#include "core/exclusion_text.h"
#include "core/text.h"

namespace kestrian::core {

namespace {
constexpr std::string_view kLineBreak = "\r\n";

// An empty file, or one whose last line is ended by CR or CR LF. A line feed alone does not
// end a line of this file.
bool EndsWithLineEnd(std::string_view content) {
  return content.empty() || content.ends_with('\r') || content.ends_with(kLineBreak);
}
}  // namespace

bool IsExcluded(std::string_view exclusionText, std::string_view candidate) {
  // Every piece counts, the one after the last line break included (it is empty).
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = exclusionText.find(kLineBreak, start);
    const std::string_view piece = exclusionText.substr(
        start, end == std::string_view::npos ? std::string_view::npos : end - start);
    if (EqualsIgnoringCase(piece, candidate)) return true;
    if (end == std::string_view::npos) return false;
    start = end + kLineBreak.size();
  }
}

bool IsNameExcluded(std::string_view exclusionText, std::string_view name) {
  if (name.empty()) return false;
  const std::size_t found = FindIgnoringCase(exclusionText, name);
  if (found == std::string_view::npos) return false;
  const std::size_t end = exclusionText.find(kLineBreak, found + 1);
  const std::string_view entry = exclusionText.substr(
      found, end == std::string_view::npos ? std::string_view::npos : end - found);
  return EqualsIgnoringCase(Trim(entry), Trim(name));
}

platform::Status AppendExclusion(platform::FileSystem& files, const ApplicationFolder& folder,
                                 std::string_view entry) {
  const std::string path = folder.FilePath(data_files::kExclusions);
  std::string line;
  // A file that cannot be read (missing, or locked) is appended to as it is.
  if (const auto content = files.ReadAll(path); content.ok() && !EndsWithLineEnd(content.value())) {
    line.append(kLineBreak);
  }
  line.append(Trim(entry)).append(kLineBreak);
  return files.Append(path, line);
}

void ExclusionList::Add(std::string_view entry) {
  // A failed append loses the entry; the reload runs all the same.
  AppendExclusion(files_, folder_, entry);
  Load();
}

void ExclusionList::Load() { text_ = LoadExclusionText(files_, folder_, host_); }

}  // namespace kestrian::core
