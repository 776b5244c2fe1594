#pragma once
// The file phase's folder listings. A folder the definitions name is listed once (one
// search for all its entries), and each definition in it is answered from that listing by
// the rule of the search for its path that the listing stands in for: the name is there
// when it equals an entry's long or 8.3 name without regard to case, and it counts only
// when that entry is a normal file. Where the listing could answer otherwise than that
// search (see ListablePath and FolderListing), the search itself answers.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/file_system.h"
#include "scan/text_hash.h"

namespace kestrian::scan {

// A path whose search a listing of its folder answers: its folder and its name.
struct ListablePath {
  std::string_view folder;
  std::string_view name;
};

// Splits `path` at its last backslash when a listing can stand in for its search: a path
// well below the ANSI calls' length limit, a folder without wildcards, and a name of
// printable ASCII that the system's path rules leave as it is (no wildcard, separator,
// stream or reserved character; no blank at either end, no dot at its end; no device name
// such as NUL or COM1).
std::optional<ListablePath> ListablePathOf(std::string_view path);

// One folder's entries, indexed by their long and 8.3 names in upper case.
class FolderListing {
 public:
  explicit FolderListing(std::vector<platform::FolderEntry> entries);

  // Whether a normal file answers to `name` (a name ListablePathOf admits); nothing where
  // the listing cannot tell for sure: two entries answer to it, or an entry whose name is
  // not plain ASCII (its case rules are the file system's, or its name did not survive the
  // conversion to the code page) might.
  std::optional<bool> NormalFileNamed(std::string_view name) const;

 private:
  std::vector<platform::FolderEntry> entries_;
  std::vector<std::pair<std::string, std::uint32_t>> index_;  // upper-cased name, entry; sorted
  bool hasUnplainNames_ = false;
};

class FolderListings {
 public:
  // Entries held at most, in all listings of one phase; folders beyond are searched.
  static constexpr std::size_t kMaxEntriesHeld = 100'000;

  explicit FolderListings(platform::FileSystem& files) : files_(files) {}

  // Whether a directory search for `path` finds a normal file (core::FindNormalFile): from
  // the listing of its folder, made at the first path in that folder, where it can tell;
  // by that search otherwise.
  bool NormalFileAt(std::string_view path);

 private:
  enum class FolderState { Listed, Missing, Unlisted };
  struct Folder {
    FolderState state = FolderState::Unlisted;
    std::optional<FolderListing> listing;
  };
  Folder& FolderOf(std::string_view folder);

  platform::FileSystem& files_;
  // By the folder's text as written: two spellings of one folder are listed apart, since
  // under Wine two folders may differ in letter case alone.
  std::unordered_map<std::string, Folder, TextHash, std::equal_to<>> folders_;
  std::size_t entriesHeld_ = 0;
};

}  // namespace kestrian::scan
