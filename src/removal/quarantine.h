#pragma once
// Backing up and deleting one file of a removal, by its kind. No file is deleted without a
// complete backup in the quarantine folder; a name already taken there gets a free name
// ("tool (2).exe"), and a file is backed up at most once in one removal (a file that
// appears again at a path whose file was deleted is another file, with its own backup).
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "core/application_folder.h"
#include "platform/machine.h"
#include "removal/backup_recorder.h"
#include "removal/quarantine_log.h"
#include "scan/process_guard.h"
#include "ui/host.h"

namespace kestrian::removal {

class Quarantine {
 public:
  // Lives for one removal: it remembers the backups made.
  Quarantine(platform::Machine& machine, const core::ApplicationFolder& folder, ui::Host& host,
             QuarantineLog& log, BackupRecorder& recorder)
      : machine_(machine), folder_(folder), host_(host), log_(log), recorder_(recorder) {}

  // Creates the quarantine folder (an existing one is fine).
  void CreateFolder();

  // An executable: the processes running it are stopped first; one that keeps running, or
  // must (the program's own, one Windows needs), keeps its file.
  void QuarantineExecutable(const std::string& path);
  // A DLL or OCX: backed up, unregistered, deleted once.
  void QuarantineLibrary(const std::string& path);
  // Any other file: backed up, then deleted in up to 8 attempts.
  void QuarantineOtherFile(const std::string& path);
  void QuarantineCookieFile(const std::string& path);
  // Calls the library's own unregistration, if it has one.
  void UnregisterLibrary(const std::string& path);

  // The backup of `path` (made now, or earlier in this removal); false when none could be
  // made, and then the file must not be deleted.
  bool BackUp(const std::string& path);
  BackupRecorder& Recorder() { return recorder_; }
  // The name of the backup made of `path` in this removal, if one was.
  std::optional<std::string> BackupOf(const std::string& path) const;
  // Why the file at `path` is still there after what was tried on it.
  std::string_view WhyKept(const std::string& path) const;

 private:
  // Copies the file to `name` in the quarantine and records it; false when either fails.
  bool MadeBackup(const std::string& path, const std::string& name);
  void DeleteBackedUp(const std::string& path);
  bool Present(const std::string& path);
  void QuarantineAndKill(const std::string& path);

  platform::Machine& machine_;
  const core::ApplicationFolder& folder_;
  ui::Host& host_;
  QuarantineLog& log_;
  BackupRecorder& recorder_;
  scan::ProcessGuard guard_{machine_, folder_};
  std::map<std::string, std::string> backups_;  // upper-cased path -> backup name
  std::map<std::string, std::string_view> kept_;  // upper-cased path -> why it was left
};

// A name in the quarantine folder that no file has: `fileName` itself, else "name (N).ext";
// empty when there is none.
std::string FreeName(platform::FileSystem& files, const core::ApplicationFolder& folder,
                     std::string_view fileName);

// "tool.exe", 2 -> "tool (2).exe"; "README", 3 -> "README (3)".
std::string NumberedFileName(std::string_view fileName, int number);

// View Quarantine: creates the folder and opens it in Explorer.
void ViewQuarantine(platform::Machine& machine, const core::ApplicationFolder& folder);

}  // namespace kestrian::removal
