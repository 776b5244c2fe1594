#pragma once
// The results page's Delete command: a restore point around two passes over the checked
// files, registry items and cookies, every file backed up first; the files still there
// after the second pass are listed in "Delete Failed".
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "removal/quarantine.h"
#include "removal/quarantine_log.h"
#include "removal/registry_backup.h"
#include "scan/scan_context.h"

namespace kestrian::removal {

class Removal {
 public:
  explicit Removal(scan::ScanContext& context) : context_(context) {}

  // Command4 click; asks nothing after a scheduled scan with automatic deletion.
  void DeleteCommand();
  // Disables the commands that would start other work while it runs (ConflictingCommandsLock);
  // a call while it runs does nothing.
  void RunRemoval();
  bool Running() const { return running_; }
  // The "Really Delete?" question, with the restore-point paragraph where Windows has it.
  std::string ConfirmationText();

 private:
  void RunPasses(Quarantine& quarantine, QuarantineLog& log);
  void RemovalPass(Quarantine& quarantine, QuarantineLog& log);
  void RemoveFiles(Quarantine& quarantine);
  void RemoveFile(Quarantine& quarantine, const std::string& path);
  void RemoveRegistryItems(QuarantineLog& log, RegistryBackup& backup, std::size_t fileRows);
  // One checked row: refused, or backed up and deleted, or listed as failed (second pass).
  void RemoveRegistryTrace(QuarantineLog& log, RegistryBackup& backup, std::size_t row);
  // A file still held open whose backup exists: deleted at the next logon instead.
  bool ScheduleDeletion(Quarantine& quarantine, const std::string& path);
  void RemoveCookies(Quarantine& quarantine);
  // Lists an item in "Delete Failed" with why it stays (second pass only) and unchecks its
  // rows.
  void MarkFailed(const std::string& shownText, std::string_view reason, ui::ListView& list,
                  std::size_t row, const std::string& resultText);
  std::optional<std::string_view> WhyFileStays(const std::string& path);
  void ShowRemovalProgress(std::size_t done, std::size_t total);
  void AddToRunningTotal();
  bool SecondPass() const { return !context_.state.firstRemovalPass; }

  scan::ScanContext& context_;
  int undeletable_ = 0;  // UndeletableCount of the current pass
  bool running_ = false;
};

}  // namespace kestrian::removal
