#pragma once
// A hash that lets a map keyed by std::string be searched with a string_view, without
// building a string for each look-up.
#include <cstddef>
#include <functional>
#include <string_view>

namespace kestrian::scan {

struct TextHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
};

}  // namespace kestrian::scan
