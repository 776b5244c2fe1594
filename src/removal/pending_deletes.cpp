#include "removal/pending_deletes.h"

#include "core/file_tests.h"
#include "removal/backed_up_delete.h"
#include "removal/backup_recorder.h"
#include "removal/quarantine_index.h"
#include "removal/quarantine_log.h"

namespace kestrian::removal {

namespace {
constexpr char kRunOnceKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
constexpr char kLogName[] = "FinishRemoval.log";

// What is done with one marked file at logon.
std::string Finish(platform::Machine& machine, const QuarantineRecord& record, bool& deleted) {
  auto& files = machine.files;
  deleted = false;
  const std::string& path = record.location;
  if (files.Find(path).empty()) {
    deleted = true;
    return "gone already: " + path;
  }
  const auto now = DigestOfFile(machine, path);
  if (!now) return "kept, it cannot be read: " + path;
  if (now->sha256 != record.sha256) return "kept, it has changed since the removal: " + path;
  const platform::Status status = DeleteBackedUpFile(files, path);
  if (status != platform::kOk) return "kept, it cannot be deleted (error " + std::to_string(status) + "): " + path;
  deleted = true;
  return "deleted: " + path;
}
}  // namespace

bool ScheduleFinishRemoval(platform::Machine& machine, const core::ApplicationFolder& folder) {
  const std::string program = folder.FilePath(kConsoleProgram);
  if (!core::FileExists(machine.files, program)) return false;
  const auto command = platform::RegistryValue::String("\"" + program + "\" finish-removal");
  for (const platform::RootKey root : {platform::roots::kLocalMachine, platform::roots::kCurrentUser}) {
    if (machine.registry.SetValue(root, kRunOnceKey, kFinishRemovalValue, command) == platform::kOk) {
      return true;
    }
  }
  return false;
}

FinishOutcome FinishRemoval(platform::Machine& machine, const core::ApplicationFolder& folder) {
  FinishOutcome outcome;
  IndexRead read = LoadIndex(machine.files, folder);
  if (!read.error.empty()) {
    outcome.error = read.error;
    return outcome;
  }
  const platform::DateTime now = machine.clock.UtcNow();
  const std::string time = IsoUtcTime(now.year, now.month, now.day, now.hour, now.minute, now.second);
  std::string log;
  for (auto& record : read.records) {
    if (!record.deleteAtLogon) continue;
    bool deleted = false;
    outcome.lines.push_back(Finish(machine, record, deleted));
    log += time + " " + outcome.lines.back() + "\r\n";
    ++(deleted ? outcome.deleted : outcome.kept);
    // Tried once: a file that stays is left to the user, not tried at every logon.
    record.deleteAtLogon = false;
  }
  if (outcome.lines.empty()) return outcome;
  machine.files.Append(QuarantinePath(folder, kLogName), log);
  if (SaveIndex(machine.files, folder, read.records) != platform::kOk) {
    outcome.error = "the quarantine index could not be written";
  }
  return outcome;
}

}  // namespace kestrian::removal
