#pragma once
// The shared file tests. A file counts as present only when a directory search that admits
// normal files alone (no folders, no hidden or system files) returns its name.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace kestrian::core {

// A search entry that is a normal file: not a folder, not hidden, not a system file.
bool IsNormalFile(std::uint32_t attributes);
// The text after the last backslash; the whole text when it holds none.
std::string_view FileNamePart(std::string_view path);
// The first entry of a search for `pattern` that is a normal file, by its name.
std::optional<std::string> FindNormalFile(platform::FileSystem& files, std::string_view pattern);
bool FileExists(platform::FileSystem& files, std::string_view path);

}  // namespace kestrian::core
