#pragma once
// Registry backups as .reg files in the format Windows' own export writes: UTF-16LE with its
// byte-order mark, "Windows Registry Editor Version 5.00", one block per key, texts quoted,
// DWORDs as dword:, every other type as hex(N): bytes (strings as their UTF-16 bytes), so
// that the user's own tools read and import them too. Names and string data are UTF-8 here,
// as the registry calls of the program return them.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"

namespace kestrian::removal {

// One key of a .reg file with the values listed under it.
struct RegKey {
  platform::RootKey root = platform::roots::kNone;
  std::string path;  // below the root, without a leading or trailing backslash
  std::vector<platform::NamedValue> values;
  bool operator==(const RegKey&) const = default;
};

// Larger files are refused unread: a backup is never that large.
inline constexpr std::size_t kMostRegFileBytes = 64u << 20;

// The whole file; nothing when it cannot be written exactly: an unknown root, a name with a
// line break or a zero, a text that is not UTF-8.
std::optional<std::string> WriteRegFile(const std::vector<RegKey>& keys);

struct RegFileRead {
  std::vector<RegKey> keys;
  std::string error;  // empty when the file was read whole
};

// Reads such a file in one pass. Deletions ("[-key]", "name"=-) are refused, like anything
// else it does not know: a backup is restored whole or not at all.
RegFileRead ReadRegFile(std::string_view bytes);

// "HKEY_CURRENT_USER\Software\X" of a root and a path.
std::string RegKeyName(platform::RootKey root, std::string_view path);

}  // namespace kestrian::removal
