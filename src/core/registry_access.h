#pragma once
// The registry tests of the registry scan and the value writer of the options page.
#include <string>
#include <string_view>

#include "platform/registry.h"

namespace kestrian::core {

// The rights a key must grant to count as present: query and set value, create and
// enumerate sub-keys, notify, create link. A key the user may only read counts as absent.
inline constexpr std::uint32_t kKeyTestAccess = 0x3F;
// What QueryRegistryValue gives for a value that is missing or of a type it cannot show.
inline constexpr platform::Status kValueNotShown = -1;

// A stored value as text: strings without their terminating zero, double words as
// numbers. Any other type gives kValueNotShown and an empty text.
platform::Status RegistryValueText(const platform::RegistryValue& value, std::string& text);

bool KeyExists(platform::Registry& registry, platform::RootKey root, std::string_view path);
// Opens the key as KeyExists does and reads the value; only string, expandable-string and
// double-word values can exist by this test.
bool ValueExists(platform::Registry& registry, platform::RootKey root, std::string_view path,
                 std::string_view name, std::string& data);

// Creates or opens the key; numeric data is written as a double word, anything else as a
// string with surrounding spaces removed.
void SetValue(platform::Registry& registry, platform::RootKey root, std::string_view path,
              std::string_view name, std::string_view data);

}  // namespace kestrian::core
