#pragma once
#include <string>
#include <string_view>

namespace kestrian::scan {

// Replaces each listed word, in list order and without regard to case, by "****".
std::string MaskOffensiveWords(std::string_view text);

}  // namespace kestrian::scan
