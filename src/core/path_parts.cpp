#include "core/path_parts.h"

#include <string>
#include <vector>

#include "core/text.h"

namespace kestrian::core {

std::vector<std::string> PathParts(std::string_view path) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find_first_of("\\/", start);
    if (end == std::string_view::npos) end = path.size();
    const std::string part = ToUpper(Trim(path.substr(start, end - start)));
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  return parts;
}

bool IsInsideFolder(std::string_view path, std::string_view folder) {
  const std::vector<std::string> pathParts = PathParts(path);
  const std::vector<std::string> folderParts = PathParts(folder);
  if (folderParts.empty() || pathParts.size() < folderParts.size()) return false;
  for (std::size_t i = 0; i < folderParts.size(); ++i) {
    if (pathParts[i] != folderParts[i]) return false;
  }
  return true;
}

}  // namespace kestrian::core
