#include "scan/folder_listings.h"

#include <algorithm>
#include <array>

#include "core/file_tests.h"
#include "core/text.h"

namespace kestrian::scan {

namespace {
// Well below MAX_PATH, the limit of a path the "A" calls take; a UTF-8 path is never
// shorter in bytes than in UTF-16 units, so a path under it in bytes is under it in both.
constexpr std::size_t kMaxListablePath = 240;

bool IsPlainByte(char c) { return c >= 0x20 && c <= 0x7E; }

bool IsPlain(std::string_view name) { return std::all_of(name.begin(), name.end(), IsPlainByte); }

// Printable ASCII that is no wildcard, separator, stream mark or other reserved character.
bool IsPlainNameByte(char c) {
  switch (c) {
    case '"': case '*': case '/': case ':': case '<': case '>': case '?': case '\\': case '|':
      return false;
    default:
      return IsPlainByte(c);
  }
}

// The names Windows takes for devices, with or without an extension.
bool IsDeviceName(std::string_view name) {
  std::string_view stem = name.substr(0, name.find('.'));
  while (!stem.empty() && stem.back() == ' ') stem.remove_suffix(1);
  if (stem.size() == 4) {
    return core::StartsWithIgnoringCase(stem, "COM") || core::StartsWithIgnoringCase(stem, "LPT");
  }
  static constexpr std::array<std::string_view, 7> kDevices = {"CON",    "PRN",     "AUX", "NUL",
                                                              "CONIN$", "CONOUT$", "CLOCK$"};
  return std::any_of(kDevices.begin(), kDevices.end(),
                     [&](std::string_view device) { return core::EqualsIgnoringCase(stem, device); });
}

bool IsListableName(std::string_view name) {
  if (name.empty() || name.front() == ' ' || name.back() == ' ' || name.back() == '.') {
    return false;
  }
  return std::all_of(name.begin(), name.end(), IsPlainNameByte) && !IsDeviceName(name);
}

bool SearchFailedForMissingFolder(platform::Status status) {
  return status == platform::kFileNotFound || status == platform::kPathNotFound;
}
}  // namespace

std::optional<ListablePath> ListablePathOf(std::string_view path) {
  if (path.size() >= kMaxListablePath) return std::nullopt;
  const std::size_t slash = path.rfind('\\');
  if (slash == std::string_view::npos || slash == 0) return std::nullopt;
  const ListablePath split{path.substr(0, slash), path.substr(slash + 1)};
  if (split.folder.find('*') != std::string_view::npos ||
      split.folder.find('?') != std::string_view::npos) {
    return std::nullopt;
  }
  if (!IsListableName(split.name)) return std::nullopt;
  return split;
}

FolderListing::FolderListing(std::vector<platform::FolderEntry> entries)
    : entries_(std::move(entries)) {
  index_.reserve(entries_.size() * 2);
  for (std::uint32_t at = 0; at < entries_.size(); ++at) {
    for (const std::string* name : {&entries_[at].name, &entries_[at].shortName}) {
      if (name->empty()) continue;
      if (!IsPlain(*name) || name->find('?') != std::string::npos) {
        // Not indexed: the entry might answer to names the index cannot compare with.
        hasUnplainNames_ = true;
        continue;
      }
      index_.emplace_back(core::ToUpper(*name), at);
    }
  }
  std::sort(index_.begin(), index_.end());
  // An entry whose 8.3 name is its long name in upper case is one answer, not two.
  index_.erase(std::unique(index_.begin(), index_.end()), index_.end());
}

std::optional<bool> FolderListing::NormalFileNamed(std::string_view name) const {
  // The index holds upper-case names, so comparing without regard to case keeps its order.
  const auto byName = [](const auto& item, std::string_view other) {
    return core::CompareIgnoringCase(item.first, other) < 0;
  };
  const auto first = std::lower_bound(index_.begin(), index_.end(), name, byName);
  std::size_t matches = 0;
  for (auto it = first; it != index_.end() && core::CompareIgnoringCase(it->first, name) == 0; ++it) {
    ++matches;
  }
  if (matches > 1) return std::nullopt;
  if (matches == 0) {
    if (hasUnplainNames_) return std::nullopt;
    return false;
  }
  const platform::FolderEntry& entry = entries_[first->second];
  // An entry of exactly this name is the one the search picks whatever else the folder holds.
  if (hasUnplainNames_ && entry.name != name) return std::nullopt;
  return core::IsNormalFile(entry.attributes);
}

bool FolderListings::NormalFileAt(std::string_view path) {
  if (const auto split = ListablePathOf(path)) {
    const Folder& folder = FolderOf(split->folder);
    if (folder.state == FolderState::Missing) return false;
    if (folder.state == FolderState::Listed) {
      if (const auto answer = folder.listing->NormalFileNamed(split->name)) return *answer;
    }
  }
  return core::FindNormalFile(files_, path).has_value();
}

FolderListings::Folder& FolderListings::FolderOf(std::string_view folder) {
  if (const auto known = folders_.find(folder); known != folders_.end()) return known->second;
  Folder& state = folders_[std::string(folder)];
  if (entriesHeld_ == kMaxEntriesHeld) return state;
  auto listed = files_.ListFolder(folder, kMaxEntriesHeld - entriesHeld_);
  if (listed.ok()) {
    entriesHeld_ += listed.value().size();
    state.listing.emplace(std::move(listed.value()));
    state.state = FolderState::Listed;
  } else if (SearchFailedForMissingFolder(listed.status())) {
    // No search below a folder that cannot be opened finds anything.
    state.state = FolderState::Missing;
  }
  return state;
}

}  // namespace kestrian::scan
