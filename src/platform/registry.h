#pragma once
// The Windows registry as the behaviour needs it. Every call opens the key it needs and
// closes it again before it returns, so no key handle outlives one access.
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/status.h"

namespace kestrian::platform {

// A root key as its 32-bit handle value (the form definition rows and trace rows use).
using RootKey = std::uint32_t;

namespace roots {
inline constexpr RootKey kNone = 0;
inline constexpr RootKey kClassesRoot = 0x80000000u;
inline constexpr RootKey kCurrentUser = 0x80000001u;
inline constexpr RootKey kLocalMachine = 0x80000002u;
inline constexpr RootKey kUsers = 0x80000003u;
inline constexpr RootKey kCurrentConfig = 0x80000005u;
inline constexpr RootKey kDynData = 0x80000006u;
}  // namespace roots

namespace value_types {
inline constexpr std::uint32_t kNone = 0;
inline constexpr std::uint32_t kString = 1;
inline constexpr std::uint32_t kExpandString = 2;
inline constexpr std::uint32_t kBinary = 3;
inline constexpr std::uint32_t kDword = 4;
inline constexpr std::uint32_t kMultiString = 7;
inline constexpr std::uint32_t kQword = 11;
}  // namespace value_types

namespace key_access {
inline constexpr std::uint32_t kQueryValue = 0x0001;
inline constexpr std::uint32_t kSetValue = 0x0002;
inline constexpr std::uint32_t kCreateSubKey = 0x0004;
inline constexpr std::uint32_t kEnumerateSubKeys = 0x0008;
inline constexpr std::uint32_t kNotify = 0x0010;
inline constexpr std::uint32_t kCreateLink = 0x0020;
inline constexpr std::uint32_t kRead = 0x20019;
inline constexpr std::uint32_t kWrite = 0x20006;
}  // namespace key_access

// A value as stored: its type and its raw bytes (strings keep their terminating zero).
struct RegistryValue {
  std::uint32_t type = value_types::kNone;
  std::string data;

  // REG_SZ with its terminating zero, as Windows stores it.
  static RegistryValue String(std::string_view text) {
    std::string bytes(text);
    bytes.push_back('\0');
    return {value_types::kString, std::move(bytes)};
  }
  // REG_DWORD, little-endian.
  static RegistryValue Dword(std::uint32_t number) {
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((number >> (8 * i)) & 0xFF);
    return {value_types::kDword, std::move(bytes)};
  }
  bool operator==(const RegistryValue&) const = default;
};

// One value of a key with its name ("" is the key's default value).
struct NamedValue {
  std::string name;
  RegistryValue value;
  bool operator==(const NamedValue&) const = default;
};

class Registry {
 public:
  virtual ~Registry() = default;

  // Opens `path` under `root` with `access` and closes it again.
  virtual Status OpenKey(RootKey root, std::string_view path, std::uint32_t access) = 0;
  // Opens the key with `access` and reads one value (type and bytes).
  virtual Status QueryValue(RootKey root, std::string_view path, std::uint32_t access,
                            std::string_view name, RegistryValue& out) = 0;
  // Creates the key when missing and writes one value.
  virtual Status SetValue(RootKey root, std::string_view path, std::string_view name,
                          const RegistryValue& value) = 0;
  virtual Status DeleteValue(RootKey root, std::string_view path, std::string_view name) = 0;
  // Deletes the key with all its sub-keys and values.
  virtual Status DeleteTree(RootKey root, std::string_view path) = 0;
  // Creates the key, and the keys on the way, when missing.
  virtual Status CreateKey(RootKey root, std::string_view path) = 0;
  // The names of the key's direct sub-keys, in the registry's order.
  virtual Result<std::vector<std::string>> SubKeyNames(RootKey root, std::string_view path) = 0;
  // Every value of the key with its type and bytes, in the registry's order.
  virtual Result<std::vector<NamedValue>> Values(RootKey root, std::string_view path) = 0;
};

}  // namespace kestrian::platform
