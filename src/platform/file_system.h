#pragma once
// Files and folders as the behaviour needs them. Paths are byte strings in the process code
// page with backslashes, as the "A" forms of the Win32 calls take them.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/status.h"

namespace kestrian::platform {

namespace attributes {
inline constexpr std::uint32_t kReadOnly = 0x01;
inline constexpr std::uint32_t kHidden = 0x02;
inline constexpr std::uint32_t kSystem = 0x04;
inline constexpr std::uint32_t kDirectory = 0x10;
inline constexpr std::uint32_t kArchive = 0x20;
inline constexpr std::uint32_t kNormal = 0x80;
}  // namespace attributes

// One entry of a directory search: its (long) name and its DOS attributes.
struct DirectoryEntry {
  std::string name;
  std::uint32_t attributes = 0;
  bool operator==(const DirectoryEntry&) const = default;
};

// One entry of a folder listing: its long name, its 8.3 name (empty when the file system
// keeps none, as for a long name that is 8.3 already) and its DOS attributes.
struct FolderEntry {
  std::string name;
  std::string shortName;
  std::uint32_t attributes = 0;
  bool operator==(const FolderEntry&) const = default;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // A directory search as FindFirstFile/FindNextFile make it: `pattern` is a path whose last
  // part may hold "*" and "?". Entries come in the file system's order; "." and ".." are
  // left out. A search that finds nothing (or fails) gives an empty list.
  virtual std::vector<DirectoryEntry> Find(std::string_view pattern) = 0;
  // Every entry of `folder`, as one search for `folder` & "\*" gives them ("." and ".."
  // left out). Fails with the search's status when the folder cannot be listed to its end,
  // and with kMoreData when it holds more than `maxEntries` entries.
  virtual Result<std::vector<FolderEntry>> ListFolder(std::string_view folder,
                                                      std::size_t maxEntries) = 0;
  // The whole content of a file.
  virtual Result<std::string> ReadAll(std::string_view path) = 0;
  // The whole content of a file of at most `maxBytes`; a larger file fails with
  // kFileTooLarge before its content is read.
  virtual Result<std::string> ReadAtMost(std::string_view path, std::uint64_t maxBytes) = 0;
  // Creates or truncates the file and writes `bytes`.
  virtual Status WriteAll(std::string_view path, std::string_view bytes) = 0;
  // Appends `bytes`, creating the file when missing.
  virtual Status Append(std::string_view path, std::string_view bytes) = 0;
  virtual Status Delete(std::string_view path) = 0;
  // Takes the read-only attribute off a file (Windows refuses to delete a read-only file).
  virtual Status ClearReadOnly(std::string_view path) = 0;
  // Moves `from` to `to` in one step, replacing `to` when it exists. On failure both
  // files are left as they were.
  virtual Status MoveReplacing(std::string_view from, std::string_view to) = 0;
  virtual Status Copy(std::string_view from, std::string_view to, bool failIfExists) = 0;
  virtual Status CreateFolder(std::string_view path) = 0;
  // The absolute path the system makes of `path` (relative to the current folder or drive);
  // `path` itself when it cannot.
  virtual std::string FullPath(std::string_view path) = 0;
  // `path` as Windows resolves it, for telling whether two paths name the same file: absolute,
  // without a "\\?\" or "\\.\" prefix, in long names, and for a file or folder that exists its
  // final path (past junctions and substituted drives). The parts of a path that do not exist
  // are kept as given after its longest existing folder. Fails when it cannot be resolved.
  virtual Result<std::string> ResolvedPath(std::string_view path) = 0;
};

// `path` without the prefix that takes it past the system's path parsing: "\\?\UNC\" and
// "\??\UNC\" become "\\"; "\\?\", "\\.\" and "\??\" go. Other paths come back as given.
inline std::string WithoutDevicePrefix(std::string_view path) {
  constexpr std::string_view kPrefixes[] = {"\\\\?\\", "\\\\.\\", "\\??\\"};
  for (const std::string_view prefix : kPrefixes) {
    if (path.substr(0, prefix.size()) != prefix) continue;
    std::string_view rest = path.substr(prefix.size());
    const bool unc = rest.size() >= 4 && (rest[0] == 'U' || rest[0] == 'u') &&
                     (rest[1] == 'N' || rest[1] == 'n') && (rest[2] == 'C' || rest[2] == 'c') &&
                     rest[3] == '\\';
    return unc ? "\\\\" + std::string(rest.substr(4)) : std::string(rest);
  }
  return std::string(path);
}

// Whether `path` (without a device prefix) holds only characters a Windows path may hold:
// none of < > " | ? * and no control character.
inline bool IsPathText(std::string_view path) {
  constexpr std::string_view kNotInPaths = "<>\"|?*";
  for (const char c : path) {
    if (static_cast<unsigned char>(c) < 0x20 || kNotInPaths.find(c) != std::string_view::npos) return false;
  }
  return !path.empty();
}

}  // namespace kestrian::platform
