#include "removal/backup_recorder.h"

#include <algorithm>

#include "core/hex.h"
#include "core/utf16.h"
#include "removal/quarantine.h"
#include "removal/quarantine_log.h"

namespace kestrian::removal {

namespace {
bool IsText(std::string_view text) { return core::Utf8ToUtf16(text).has_value(); }
}  // namespace

std::optional<std::string> Sha256Text(platform::Crypto& crypto, std::string_view bytes) {
  const auto digest = crypto.Sha256(bytes);
  if (!digest) return std::nullopt;
  return core::ToHex(*digest);
}

std::optional<FileDigest> DigestOfFile(platform::Machine& machine, std::string_view path) {
  const auto bytes = machine.files.ReadAll(path);
  if (!bytes.ok()) return std::nullopt;
  const auto digest = Sha256Text(machine.crypto, bytes.value());
  if (!digest) return std::nullopt;
  return FileDigest{bytes.value().size(), *digest};
}

bool BackupRecorder::Loaded() {
  if (records_) return true;
  IndexRead read = LoadIndex(machine_.files, folder_);
  if (!read.error.empty()) {
    // Kept for the user (and for a later look by hand) rather than overwritten.
    const std::string aside = QuarantinePath(folder_, FreeName(machine_.files, folder_, "QuarantineIndex.damaged.json"));
    if (machine_.files.MoveReplacing(IndexPath(folder_), aside) != platform::kOk) return false;
  }
  records_ = std::move(read.records);
  return true;
}

bool BackupRecorder::Record(std::string_view location, std::string_view backupName,
                            std::string_view key) {
  if (!IsText(location) || !IsText(threat_) || !IsText(backupName) || !Loaded()) return false;
  const auto digest = DigestOfFile(machine_, QuarantinePath(folder_, backupName));
  if (!digest) return false;
  std::uint64_t id = 1;
  for (const auto& record : *records_) id = std::max(id, record.id + 1);
  const platform::DateTime now = machine_.clock.UtcNow();
  records_->push_back({id, kind_, std::string(location), std::string(key), std::string(backupName),
                       threat_, IsoUtcTime(now.year, now.month, now.day, now.hour, now.minute, now.second),
                       digest->size, digest->sha256, false, false});
  if (SaveIndex(machine_.files, folder_, *records_) == platform::kOk) return true;
  records_->pop_back();
  return false;
}

bool BackupRecorder::MarkForDeletionAtLogon(std::string_view backupName) {
  if (!Loaded()) return false;
  for (auto& record : *records_) {
    if (record.backup != backupName) continue;
    record.deleteAtLogon = true;
    if (SaveIndex(machine_.files, folder_, *records_) == platform::kOk) return true;
    record.deleteAtLogon = false;
    return false;
  }
  return false;
}

}  // namespace kestrian::removal
