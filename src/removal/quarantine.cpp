#include "removal/quarantine.h"

#include "core/file_tests.h"
#include "core/text.h"
#include "removal/backed_up_delete.h"
#include "removal/kept_reasons.h"
#include "scan/process_control.h"

namespace kestrian::removal {

namespace {
constexpr int kDeleteAttempts = 8;
constexpr int kMostNumberedNames = 100000;

bool HasFolder(const std::string& path) { return path.find('\\') != std::string::npos; }
}  // namespace

std::string NumberedFileName(std::string_view fileName, int number) {
  const std::size_t dot = fileName.rfind('.');
  const std::string suffix = " (" + std::to_string(number) + ")";
  if (dot == std::string_view::npos || dot == 0) return std::string(fileName) + suffix;
  return std::string(fileName.substr(0, dot)) + suffix + std::string(fileName.substr(dot));
}

void Quarantine::CreateFolder() { machine_.files.CreateFolder(QuarantineFolder(folder_)); }

bool Quarantine::Present(const std::string& path) { return core::FileExists(machine_.files, path); }

std::string FreeName(platform::FileSystem& files, const core::ApplicationFolder& folder,
                     std::string_view fileName) {
  std::string name(fileName);
  for (int number = 2; number <= kMostNumberedNames; ++number) {
    // Any entry counts, hidden files and folders too: a backup never replaces anything.
    if (files.Find(QuarantinePath(folder, name)).empty()) return name;
    name = NumberedFileName(fileName, number);
  }
  return {};
}

std::optional<std::string> Quarantine::BackupOf(const std::string& path) const {
  const auto found = backups_.find(core::ToUpper(path));
  if (found == backups_.end()) return std::nullopt;
  return found->second;
}

bool Quarantine::MadeBackup(const std::string& path, const std::string& name) {
  if (name.empty()) return false;
  if (machine_.files.Copy(path, QuarantinePath(folder_, name), true) != platform::kOk) return false;
  if (!recorder_.Record(path, name)) {
    machine_.files.Delete(QuarantinePath(folder_, name));  // a backup nobody can find again
    return false;
  }
  return true;
}

bool Quarantine::BackUp(const std::string& path) {
  const std::string key = core::ToUpper(path);
  if (backups_.contains(key)) return true;
  const std::string name = FreeName(machine_.files, folder_, core::FileNamePart(path));
  if (!MadeBackup(path, name)) {
    kept_.insert_or_assign(key, kept::kNoBackup);
    return false;
  }
  kept_.erase(key);
  backups_.emplace(key, name);
  log_.LogBackup(path, name);
  return true;
}

void Quarantine::DeleteBackedUp(const std::string& path) {
  // Once the file is gone, what appears at the path is another file, with a backup of its
  // own. One that another program holds open stays until it is closed: still the same file.
  if (DeleteBackedUpFile(machine_.files, path) == platform::kOk && machine_.files.Find(path).empty()) {
    backups_.erase(core::ToUpper(path));
  }
}

std::string_view Quarantine::WhyKept(const std::string& path) const {
  const auto found = kept_.find(core::ToUpper(path));
  return found == kept_.end() ? kept::kInUse : found->second;
}

void Quarantine::QuarantineAndKill(const std::string& path) {
  if (!Present(path)) return;
  for (int attempt = 0; attempt < kDeleteAttempts; ++attempt) {
    if (Present(path)) {
      if (!BackUp(path)) return;
      DeleteBackedUp(path);  // a failure is tried again in the next attempt
    }
    host_.DoEvents();
  }
}

void Quarantine::QuarantineExecutable(const std::string& path) {
  if (!HasFolder(path) || !Present(path)) return;
  // Only the processes running this very file are stopped; a file whose process keeps
  // running, or must keep running, is left alone.
  if (!scan::StopProcessesRunning(machine_, host_, guard_, path)) {
    kept_.insert_or_assign(core::ToUpper(path), kept::kStillRunning);
    return;
  }
  QuarantineAndKill(path);
}

void Quarantine::QuarantineLibrary(const std::string& path) {
  if (!HasFolder(path) || !Present(path)) return;
  // Its own code runs only once a backup exists.
  if (!BackUp(path)) return;
  UnregisterLibrary(path);
  DeleteBackedUp(path);
}

void Quarantine::QuarantineOtherFile(const std::string& path) {
  if (!HasFolder(path) || machine_.files.Find(path).empty()) return;
  for (int attempt = 0; attempt < kDeleteAttempts; ++attempt) {
    if (!machine_.files.Find(path).empty()) {
      if (!BackUp(path)) return;
      DeleteBackedUp(path);
    }
    host_.DoEvents();
  }
}

void Quarantine::QuarantineCookieFile(const std::string& path) {
  if (!BackUp(path)) return;
  DeleteBackedUp(path);
}

void Quarantine::UnregisterLibrary(const std::string& path) {
  machine_.libraries.CallEntryPoint(path, "DllUnregisterServer");
}

void ViewQuarantine(platform::Machine& machine, const core::ApplicationFolder& folder) {
  machine.files.CreateFolder(QuarantineFolder(folder));
  machine.desktop.RunCommand("explorer " + QuarantineFolder(folder), platform::show_styles::kNormal);
}

}  // namespace kestrian::removal
