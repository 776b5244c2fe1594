#pragma once
// Records every backup of one removal in the quarantine index, with the threat it belongs to,
// its time, size and SHA-256. A backup whose record cannot be written does not count: what
// it stands for is not deleted.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/application_folder.h"
#include "platform/machine.h"
#include "removal/quarantine_index.h"

namespace kestrian::removal {

class BackupRecorder {
 public:
  BackupRecorder(platform::Machine& machine, const core::ApplicationFolder& folder)
      : machine_(machine), folder_(folder) {}

  // The threat and the kind of the backups that follow.
  void SetItem(std::string_view threat, RecordKind kind) {
    threat_ = threat;
    kind_ = kind;
  }
  // Records the backup `backupName` (already in the quarantine folder) of `location`; `key`
  // names the registry key a registry backup covers. False when it cannot be recorded.
  bool Record(std::string_view location, std::string_view backupName, std::string_view key = {});
  // Marks the file backup `backupName` to be deleted at the next logon.
  bool MarkForDeletionAtLogon(std::string_view backupName);

 private:
  // Reads the index at the first record; an index that cannot be read is kept aside under
  // another name and a new one begun, so that removal never stops at a damaged index.
  bool Loaded();

  platform::Machine& machine_;
  const core::ApplicationFolder& folder_;
  std::string threat_;
  RecordKind kind_ = RecordKind::File;
  std::optional<std::vector<QuarantineRecord>> records_;
};

// The size and SHA-256 of a file, or nothing when it cannot be read.
struct FileDigest {
  std::uint64_t size = 0;
  std::string sha256;
};
std::optional<FileDigest> DigestOfFile(platform::Machine& machine, std::string_view path);
// The SHA-256 of `bytes` as lower-case hex, or nothing when the provider fails.
std::optional<std::string> Sha256Text(platform::Crypto& crypto, std::string_view bytes);

}  // namespace kestrian::removal
