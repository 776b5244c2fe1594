#pragma once
#include <string>
#include <string_view>

namespace kestrian::removal {

// The text after the last "." of the file name, trimmed and in lower case; empty when the
// name has none (a "." in a folder name does not count).
std::string FileExtensionPart(std::string_view path);

}  // namespace kestrian::removal
