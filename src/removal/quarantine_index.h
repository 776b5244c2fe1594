#pragma once
// The quarantine index: one machine-readable record per backup in the quarantine folder,
// beside the backups as QuarantineIndex.json. It is written whole to a temporary file that
// then replaces the old one, so a crash leaves the old index or the new one, never half of
// one. The index is read as hostile input: bounded in size, checked field by field.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/application_folder.h"
#include "platform/file_system.h"

namespace kestrian::removal {

enum class RecordKind { File, Registry, Cookie };

struct QuarantineRecord {
  std::uint64_t id = 0;
  RecordKind kind = RecordKind::File;
  std::string location;  // the path, or the registry location, as the results list showed it
  std::string key;       // registry records: the key the backup covers ("HKEY_...\path")
  std::string backup;    // its file name in the quarantine folder
  std::string threat;
  std::string time;      // UTC, ISO 8601
  std::uint64_t size = 0;
  std::string sha256;    // of the backup, lower-case hex
  bool restored = false;
  bool deleteAtLogon = false;  // a file still held open, to be deleted at the next logon
  bool operator==(const QuarantineRecord&) const = default;
};

inline constexpr std::string_view kIndexFileName = "QuarantineIndex.json";
inline constexpr std::size_t kMostIndexBytes = 32u << 20;

std::string_view KindName(RecordKind kind);

std::string IndexText(const std::vector<QuarantineRecord>& records);

struct IndexRead {
  std::vector<QuarantineRecord> records;
  std::string error;  // empty when the index was read (a missing index is an empty one)
};
IndexRead ParseIndex(std::string_view text);

std::string IndexPath(const core::ApplicationFolder& folder);
IndexRead LoadIndex(platform::FileSystem& files, const core::ApplicationFolder& folder);
// Writes the temporary file and moves it over the index.
platform::Status SaveIndex(platform::FileSystem& files, const core::ApplicationFolder& folder,
                           const std::vector<QuarantineRecord>& records);

// "2026-12-06T08:30:00Z"
std::string IsoUtcTime(int year, int month, int day, int hour, int minute, int second);

// A plain file name: no folder part, no "." or "..", nothing a path could escape with.
bool IsPlainFileName(std::string_view name);

}  // namespace kestrian::removal
