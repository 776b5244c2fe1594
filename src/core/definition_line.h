#pragma once
// The letter-and-digit substitution of definition files: letters and digits are stored as
// bytes 192 to 253; every other byte stands for itself.
#include <string>
#include <string_view>

namespace kestrian::core {

std::string DecodeDefinitionLine(std::string_view line);
// The same into `out`, whose room a scan reuses from line to line.
void DecodeDefinitionLine(std::string_view line, std::string& out);
// The inverse, used by the definitions tool. Bytes 192 to 253 in `line` cannot be
// represented (they would decode to letters or digits); `EncodableDefinitionLine` tells.
std::string EncodeDefinitionLine(std::string_view line);
bool EncodableDefinitionLine(std::string_view line);

}  // namespace kestrian::core
