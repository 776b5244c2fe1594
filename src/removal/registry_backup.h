#pragma once
// The backup of a registry item before it is deleted: the value, or the key with every
// sub-key and value, written into the quarantine folder as a .reg file, read back to be sure
// it is whole, and recorded in the quarantine index. No backup, no delete.
#include <optional>
#include <string_view>
#include <vector>

#include "core/application_folder.h"
#include "platform/machine.h"
#include "removal/backup_recorder.h"
#include "removal/reg_file.h"

namespace kestrian::removal {

enum class BackupOutcome { BackedUp, Missing, Failed };

class RegistryBackup {
 public:
  RegistryBackup(platform::Machine& machine, const core::ApplicationFolder& folder,
                 BackupRecorder& recorder)
      : machine_(machine), folder_(folder), recorder_(recorder) {}

  BackupRecorder& Recorder() { return recorder_; }
  // `location` is the item as the results list shows it; it becomes the record's location.
  BackupOutcome BackUpKey(platform::RootKey root, std::string_view path, std::string_view location);
  BackupOutcome BackUpValue(platform::RootKey root, std::string_view path, std::string_view name,
                            std::string_view location);

 private:
  BackupOutcome Write(const std::vector<RegKey>& keys, std::string_view fileName,
                      std::string_view location, std::string_view keyName);

  platform::Machine& machine_;
  const core::ApplicationFolder& folder_;
  BackupRecorder& recorder_;
};

// The key, then each sub-key before its own sub-keys, every one with all its values; nothing
// when any part cannot be read. `missing` tells a key that does not exist.
std::optional<std::vector<RegKey>> ReadKeyTree(platform::Registry& registry, platform::RootKey root,
                                               std::string_view path, bool& missing);

}  // namespace kestrian::removal
