#pragma once
// A line of the registry definitions: root "^" key path "^" value name "=" threat name.
#include <optional>
#include <string>
#include <string_view>

#include "platform/registry.h"

namespace kestrian::scan {

struct RegistryDefinition {
  std::string rootField;
  std::string keyPath;
  std::string valueName;   // empty: the line names the whole key
  std::string threatName;  // trimmed
  bool operator==(const RegistryDefinition&) const = default;
};

// Splits a decoded line at its last "=" and the part before it at every "^". A line
// without "=" or with fewer than three fields before it is not a definition.
std::optional<RegistryDefinition> ParseRegistryDefinition(std::string_view line);

// The root of a root field "0" to "5"; 0 (no key) for any other number. A field that does
// not start with a number counts as 0.
platform::RootKey RootKeyFromField(std::string_view field);
// "HKEY_LOCAL_MACHINE" and so on; empty for a handle outside the table.
std::string_view RootKeyName(platform::RootKey root);
// The handle as the trace rows show it: a signed decimal number.
std::string RootKeyAsSignedDecimal(platform::RootKey root);

}  // namespace kestrian::scan
