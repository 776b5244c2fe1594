#pragma once
// QuarantineLog.txt: one four-line entry per removed file or registry item, appended and
// never rewritten. Entries are written only during the first pass of a removal.
#include <string>
#include <string_view>

#include "core/application_folder.h"
#include "platform/machine.h"

namespace kestrian::removal {

// The quarantine folder of the application folder, and a path inside it.
std::string QuarantineFolder(const core::ApplicationFolder& folder);
std::string QuarantinePath(const core::ApplicationFolder& folder, std::string_view fileName);

class QuarantineLog {
 public:
  QuarantineLog(platform::Machine& machine, const core::ApplicationFolder& folder,
                const bool& firstRemovalPass)
      : machine_(machine), folder_(folder), firstRemovalPass_(firstRemovalPass) {}

  // "<time> - File: <name>" / "Location: <path>" and two empty lines, for the backup
  // `backupName` of the file at `location`. Written whenever a backup is made: a file is
  // backed up once per removal, so each backup has exactly one entry.
  void LogBackup(std::string_view location, std::string_view backupName);
  // "<time> - Key: <key>" / "Value: <value>" and two empty lines.
  void LogRemovedRegistryItem(std::string_view key, std::string_view value);
  // Whether entries are written now.
  bool Logging() const { return firstRemovalPass_; }

 private:
  void Append(std::string_view header, std::string_view detail);

  platform::Machine& machine_;
  const core::ApplicationFolder& folder_;
  const bool& firstRemovalPass_;
};

}  // namespace kestrian::removal
