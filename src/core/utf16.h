#pragma once
// Strict conversions between UTF-8 (the program's code page) and UTF-16 (the registry's own
// text and that of .reg files). Malformed input gives nothing rather than a guess.
#include <optional>
#include <string>
#include <string_view>

namespace kestrian::core {

std::optional<std::u16string> Utf8ToUtf16(std::string_view text);
// Unpaired surrogates give nothing.
std::optional<std::string> Utf16ToUtf8(std::u16string_view text);

}  // namespace kestrian::core
