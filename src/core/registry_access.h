#pragma once
// The registry tests of the registry scan, the value writer of the options page and the
// string reader and writer of the home page shield.
#include <cstddef>
#include <string>
#include <string_view>

#include "platform/registry.h"

namespace kestrian::core {

// The rights a key must grant to count as present: query and set value, create and
// enumerate sub-keys, notify, create link. A key the user may only read counts as absent.
inline constexpr std::uint32_t kKeyTestAccess = 0x3F;
// What RegistryValueText gives for a value of a type it cannot show.
inline constexpr platform::Status kValueNotShown = -1;

// A stored value as text: strings without their terminating zero, double words as
// numbers. Any other type gives kValueNotShown and an empty text.
platform::Status RegistryValueText(const platform::RegistryValue& value, std::string& text);

bool KeyExists(platform::Registry& registry, platform::RootKey root, std::string_view path);
// Opens the key as KeyExists does and reads the value; only string, expandable-string and
// double-word values can exist by this test.
bool ValueExists(platform::Registry& registry, platform::RootKey root, std::string_view path,
                 std::string_view name, std::string& data);
// ValueExists for a key already opened with kKeyTestAccess.
bool ValueExistsIn(platform::RegistryKey& key, std::string_view name);

// Creates or opens the key; numeric data is written as a double word, anything else as a
// string with surrounding spaces removed. The status of the write.
platform::Status SetValue(platform::Registry& registry, platform::RootKey root, std::string_view path,
              std::string_view name, std::string_view data);

// The bytes the string reader takes: a longer value cannot be read.
inline constexpr std::size_t kRegistryStringBytes = 1024;

// Opens the key with kKeyTestAccess and reads the value into a buffer of
// kRegistryStringBytes; one terminating zero is dropped. A key that cannot be opened or a
// value that cannot be read gives an empty `value` and false. A value of another type than
// REG_SZ (a number, an expandable string) was read but is not text: `value` is empty and the
// answer true.
bool ReadRegistryString(platform::Registry& registry, platform::RootKey root, std::string_view path,
                        std::string_view name, std::string& value);

// Writes a value under HKEY_CURRENT_USER into a key that exists and grants kKeyTestAccess
// (a missing key is not created): type REG_SZ writes `data` with one terminating zero,
// REG_DWORD the whole number `data` reads as. Any failure, a number that cannot be read or
// another type, writes nothing, silently.
void WriteUserRegistryValue(platform::Registry& registry, std::string_view path,
                            std::string_view name, std::string_view data, std::uint32_t type);

}  // namespace kestrian::core
