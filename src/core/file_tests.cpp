#include "core/file_tests.h"

#include "core/text.h"

namespace kestrian::core {

namespace {
constexpr std::uint32_t kNotNormal = platform::attributes::kDirectory |
                                     platform::attributes::kHidden |
                                     platform::attributes::kSystem;
}

bool IsNormalFile(std::uint32_t attributes) { return (attributes & kNotNormal) == 0; }

std::string_view FileNamePart(std::string_view path) {
  const auto slash = path.find_last_of('\\');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::optional<std::string> FindNormalFile(platform::FileSystem& files, std::string_view pattern) {
  if (pattern.empty()) return std::nullopt;
  for (auto& entry : files.Find(pattern)) {
    if (IsNormalFile(entry.attributes)) return std::move(entry.name);
  }
  return std::nullopt;
}

bool FileExists(platform::FileSystem& files, std::string_view path) {
  const auto found = FindNormalFile(files, path);
  return found && EqualsIgnoringCase(*found, FileNamePart(path));
}

}  // namespace kestrian::core
