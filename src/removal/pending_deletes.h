#pragma once
// Files that a removal backed up but could not delete because they are held open are deleted
// at the next logon: a RunOnce entry starts "kscan finish-removal", which deletes each of
// them only while its content still equals its backup. (Windows' own delayed delete at boot
// would delete whatever is at the path by then, changed or not.)
#include <string>
#include <vector>

#include "core/application_folder.h"
#include "platform/machine.h"

namespace kestrian::removal {

// The RunOnce value's name and the console program that finishes the removal.
inline constexpr char kFinishRemovalValue[] = "Kestrian finish removal";
inline constexpr char kConsoleProgram[] = "kscan.exe";

// Writes the RunOnce entry: the machine's where this process may, else the user's. False
// when neither can be written or the console program is not beside the program.
bool ScheduleFinishRemoval(platform::Machine& machine, const core::ApplicationFolder& folder);

struct FinishOutcome {
  int deleted = 0;
  int kept = 0;  // changed since the removal, or still not deletable
  std::vector<std::string> lines;  // one per file, as the log has it
  std::string error;               // the index could not be read or written
};

// Deletes each file marked in the index whose content equals its backup; a changed file is
// left where it is. Every file gets a line in the quarantine folder's FinishRemoval.log.
FinishOutcome FinishRemoval(platform::Machine& machine, const core::ApplicationFolder& folder);

}  // namespace kestrian::removal
