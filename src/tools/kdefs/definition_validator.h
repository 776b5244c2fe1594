#pragma once
// Layout checks of the four kinds of definition files, so that a typo is caught when the
// file is built rather than silently skipped by the scanner.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/kdefs/problem.h"

namespace kestrian::kdefs {

enum class DefinitionKind { kRegistry, kFile, kExe, kCookie };

// "registry", "file", "exe" or "cookie".
std::optional<DefinitionKind> ParseDefinitionKind(std::string_view name);

// Each returns what is wrong with one decoded line, or nothing when it is well formed.
// root^key path^value name=threat name (root 0 HKCR, 1 HKCU, 2 HKLM, 3 HKU, 4 HKCC, 5 HKDD).
std::optional<std::string> ValidateRegistryLine(std::string_view decoded);
// file name=threat name, optionally followed by |folder template.
std::optional<std::string> ValidateFileLine(std::string_view decoded);
// One executable file name.
std::optional<std::string> ValidateExeLine(std::string_view decoded);
// A wildcard pattern matched against a web site host.
std::optional<std::string> ValidateCookieLine(std::string_view decoded);
std::optional<std::string> ValidateLine(DefinitionKind kind, std::string_view decoded);

// Every malformed line of an encoded definition file, in file order.
std::vector<Problem> ValidateDefinitionFile(DefinitionKind kind, std::string_view content);

}  // namespace kestrian::kdefs
