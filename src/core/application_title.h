#pragma once
// The application title, which is not the product name of the version resource: message
// boxes that name no title of their own carry it, and the single-instance test is made on it.
#include <string_view>

namespace kestrian::core {

inline constexpr std::string_view kApplicationTitle = "Kestrian Demo";
// The mutex every running copy of the program holds from its start-up to its very end.
inline constexpr char kSingleInstanceMutex[] = "Kestrian Demo single instance";

}  // namespace kestrian::core
