#include "removal/file_extension.h"

#include "core/text.h"

namespace kestrian::removal {

std::string FileExtensionPart(std::string_view path) {
  const std::size_t found = path.find_last_of(".:\\");
  if (found == std::string_view::npos || path[found] != '.') return {};
  return core::ToLower(core::Trim(path.substr(found + 1)));
}

}  // namespace kestrian::removal
