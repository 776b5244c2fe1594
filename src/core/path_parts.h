#pragma once
// Paths and registry keys compared part by part, as the guards of removal and of stopping
// processes compare them.
#include <string>
#include <string_view>
#include <vector>

namespace kestrian::core {

// The parts of a path or key, upper-cased, without empty ones and with "." and ".." resolved.
std::vector<std::string> PathParts(std::string_view path);

// The folder itself or anything inside it (compared without regard to case, after
// resolving "." and ".." parts). Both should be resolved as Windows resolves them first.
bool IsInsideFolder(std::string_view path, std::string_view folder);

}  // namespace kestrian::core
