#include "removal/restore.h"

#include <algorithm>

#include "core/text.h"
#include "removal/backup_recorder.h"
#include "removal/removal_guards.h"
#include "removal/quarantine_log.h"
#include "removal/registry_restore.h"

namespace kestrian::removal {

namespace {
std::string Reason(platform::Status status) {
  switch (status) {
    case platform::kAccessDenied: return "access is denied";
    case platform::kSharingViolation:
    case 33:  // ERROR_LOCK_VIOLATION
      return "it is held open by another program";
    case platform::kPathNotFound: return "the path cannot be found";
    default: return "error " + std::to_string(status);
  }
}

bool IsKeyOrBelow(std::string_view name, std::string_view key) {
  return core::EqualsIgnoringCase(name, key) ||
         (name.size() > key.size() && name[key.size()] == '\\' &&
          core::StartsWithIgnoringCase(name, key));
}

RestoreOutcome Failed(std::string reason) { return {RestoreResult::Failed, std::move(reason)}; }
}  // namespace

std::string QuarantineRestore::Load() {
  IndexRead read = LoadIndex(context_.machine.files, context_.folder);
  records_ = std::move(read.records);
  return read.error;
}

const QuarantineRecord* QuarantineRestore::Find(std::uint64_t id) const {
  const auto found = std::find_if(records_.begin(), records_.end(),
                                  [id](const QuarantineRecord& record) { return record.id == id; });
  return found == records_.end() ? nullptr : &*found;
}

bool QuarantineRestore::Ask(const std::string& question) {
  return context_.host.ShowMessage(question, context_.productName, ui::MessageButtons::YesNo,
                                   ui::MessageIcon::Question) == ui::MessageAnswer::Yes;
}

RestoreOutcome QuarantineRestore::Restore(std::uint64_t id, bool askBeforeReplacing) {
  const QuarantineRecord* record = Find(id);
  if (record == nullptr) return Failed("there is no record " + std::to_string(id));
  auto& files = context_.machine.files;
  // A registry backup is never large; a file backup is as large as the file was.
  const std::string backup = QuarantinePath(context_.folder, record->backup);
  const auto bytes = record->kind == RecordKind::Registry ? files.ReadAtMost(backup, kMostRegFileBytes)
                                                          : files.ReadAll(backup);
  if (!bytes.ok()) {
    return Failed("the backup " + record->backup + " cannot be read (" + Reason(bytes.status()) + ")");
  }
  if (Sha256Text(context_.machine.crypto, bytes.value()) != record->sha256) {
    return Failed("the backup " + record->backup + " has been changed since it was made");
  }
  const RestoreOutcome outcome = record->kind == RecordKind::Registry
                                     ? RestoreRegistry(*record, bytes.value(), askBeforeReplacing)
                                     : RestoreFile(*record, bytes.value(), askBeforeReplacing);
  if (outcome.result != RestoreResult::Done) return outcome;
  // The next scan leaves it where it is now.
  context_.exclusions.Add(record->location);
  auto restored = records_;
  for (auto& item : restored) {
    if (item.id != id) continue;
    item.restored = true;
    item.deleteAtLogon = false;
  }
  if (SaveIndex(files, context_.folder, restored) != platform::kOk) {
    return Failed("it was restored, but the quarantine index could not be written");
  }
  records_ = std::move(restored);
  return outcome;
}

RestoreOutcome QuarantineRestore::RestoreFile(const QuarantineRecord& record, const std::string& bytes,
                                              bool ask) {
  auto& files = context_.machine.files;
  const std::string& target = record.location;
  if (InsideProgramFolder(files, context_.folder, target)) {
    return Failed("it would be written into the program's own folder");
  }
  const auto present = files.Find(target);
  if (!present.empty()) {
    if (present.front().attributes & platform::attributes::kDirectory) return Failed(target + " is a folder");
    const auto now = DigestOfFile(context_.machine, target);
    if (now && now->sha256 == record.sha256) return {RestoreResult::Done, {}};  // back already
    if (!ask || !Ask(target + " already exists.\r\n\r\nReplace it with the file from the quarantine?")) {
      return {RestoreResult::Declined, "another file is at " + target + " now"};
    }
  }
  if (!CreateFolders(target)) return Failed("the folder of " + target + " cannot be made");
  // Written beside the target first, so that the target is either the old file or the backup.
  const std::string temporary = target + ".restoring";
  platform::Status status = files.WriteAll(temporary, bytes);
  if (status == platform::kOk) status = files.MoveReplacing(temporary, target);
  if (status != platform::kOk) {
    files.Delete(temporary);
    return Failed(target + " cannot be written: " + Reason(status));
  }
  return {RestoreResult::Done, {}};
}

bool QuarantineRestore::CreateFolders(const std::string& path) {
  auto& files = context_.machine.files;
  // The drive ("C:") or the share ("\\server\share") is there or not; the folders below it
  // are made one by one.
  std::size_t start = path.starts_with("\\\\") ? path.find('\\', path.find('\\', 2) + 1) : path.find('\\');
  for (std::size_t end = path.find('\\', start + 1); start != std::string::npos && end != std::string::npos;
       end = path.find('\\', end + 1)) {
    const std::string folder = path.substr(0, end);
    if (files.Find(folder).empty() && files.CreateFolder(folder) != platform::kOk) return false;
  }
  return true;
}

RestoreOutcome QuarantineRestore::RestoreRegistry(const QuarantineRecord& record, const std::string& bytes,
                                                  bool ask) {
  const RegFileRead read = ReadRegFile(bytes);
  if (!read.error.empty()) return Failed("the backup " + record.backup + " cannot be read: " + read.error);
  for (const RegKey& key : read.keys) {
    if (!IsKeyOrBelow(RegKeyName(key.root, key.path), record.key)) {
      return Failed("the backup names a key outside " + record.key);
    }
  }
  auto& registry = context_.machine.registry;
  const auto conflicts = ConflictingValues(registry, read.keys);
  if (!conflicts.empty()) {
    std::string question = "These registry values exist now with other data:\r\n\r\n";
    for (const auto& conflict : conflicts) question += conflict + "\r\n";
    question += "\r\nReplace them with the data from the quarantine?";
    if (!ask || !Ask(question)) return {RestoreResult::Declined, "values of " + record.key + " have other data now"};
  }
  const RegistryWrite write = WriteKeysAllOrNothing(registry, read.keys);
  if (!write.written) return Failed(write.error + "; nothing was changed");
  return {RestoreResult::Done, {}};
}

RestoreOutcome QuarantineRestore::Delete(std::uint64_t id) {
  const QuarantineRecord* record = Find(id);
  if (record == nullptr) return Failed("there is no record " + std::to_string(id));
  auto& files = context_.machine.files;
  const platform::Status status = files.Delete(QuarantinePath(context_.folder, record->backup));
  if (status != platform::kOk && status != platform::kFileNotFound) {
    return Failed("the backup " + record->backup + " cannot be deleted: " + Reason(status));
  }
  auto rest = records_;
  std::erase_if(rest, [id](const QuarantineRecord& item) { return item.id == id; });
  if (SaveIndex(files, context_.folder, rest) != platform::kOk) {
    return Failed("the backup was deleted, but the quarantine index could not be written");
  }
  records_ = std::move(rest);
  return {RestoreResult::Done, {}};
}

}  // namespace kestrian::removal
