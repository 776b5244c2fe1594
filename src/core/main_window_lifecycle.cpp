#include "core/main_window_lifecycle.h"

#include "core/definition_files.h"
#include "core/definition_rollback.h"
#include "core/file_tests.h"
#include "core/main_window_pages.h"
#include "core/settings_keys.h"
#include "core/text.h"
#include "core/timer_arming.h"

namespace kestrian::core {

namespace {
std::string ExecutableFileName(std::string_view path) {
  const std::string_view name = FileNamePart(path);
  const std::size_t dot = name.rfind('.');
  return std::string(dot == std::string_view::npos ? name : name.substr(0, dot)) + ".exe";
}
}  // namespace

bool MainWindowLifecycle::Load() {
  WriteSharedEntry();
  if (services_.anotherInstanceRunning()) return false;
  LoadDataFiles();
  UpdateStatusPage(form_, settings_, state_.definitionCounts, version_);
  HideAllPages(form_);
  ShowProductTexts(form_, version_);
  form_.frmStatus.SetVisible(true);
  if (services_.anotherInstanceRunning()) return false;
  settings_.Save(settings::kStatus, "RUNNING");
  settings_.Save(settings::kRestart, "False");
  services_.setWindowCaption(version_.productName + " by " + version_.companyName);
  form_.shpCircle.SetVisible(false);
  services_.showInTaskList(false);
  LoadOptions();
  CheckDefinitionFiles();
  form_.tmrScroll.SetEnabled(false);
  OpenHelpOnFirstStart();
  if (ParseNumber(settings_.Get(settings::kAutomaticUpdate)).value_or(0) == 1) {
    form_.timUpdate.SetEnabled(true);
  }
  if (settings_.Get(settings::kMinimized) == "Yes") services_.sendToTray();
  return true;
}

void MainWindowLifecycle::WriteSharedEntry() {
  SettingsStore shared(machine_.registry, std::string(settings::kSharedApplication));
  shared.Save(settings::kSharedProduct, version_.productName);
  shared.Save(settings::kSharedFile, ExecutableFileName(machine_.environment.ExecutablePath()));
}

void MainWindowLifecycle::LoadDataFiles() {
  const auto rejected = InstallDownloadedDefinitions(machine_.files, folder_, settings_, host_,
                                                     services_.checkDownloadedDefinitions, state_.exclusionText);
  if (!rejected.empty()) {
    host_.ShowMessage("The new " + DescribeKinds(rejected) +
                          " definitions were not installed: they hold lines that cannot be read. "
                          "The definitions in use stay as they are.",
                      version_.productName, ui::MessageButtons::Ok, ui::MessageIcon::Exclamation);
  }
  unreadableDefinitions_.clear();
  state_.definitionCounts.total =
      CountDefinitionLines(machine_.files, folder_, state_.definitionCounts, &unreadableDefinitions_);
}

void MainWindowLifecycle::LoadOptions() {
  ArmTimers(form_, settings_, false);
  services_.reloadSchedule();
  services_.fillDriveList();
  services_.loadOptionsPage();
  form_.tmrScroll.SetEnabled(false);
  ArmTimers(form_, settings_, true);
}

// A file that is too large or cannot be read counts as missing; the previous generation,
// when there is one, is offered in its place.
void MainWindowLifecycle::CheckDefinitionFiles() {
  const bool usable = DefinitionFilesPresent(machine_.files, folder_) && unreadableDefinitions_.empty();
  form_.cmdScan.SetEnabled(usable);
  if (usable) return;
  host_.ShowMessage("Definition files are missing or they have been corrupted, Please run Live Update.",
                    version_.productName, ui::MessageButtons::Ok, ui::MessageIcon::Information);
  DefinitionRollback({form_, settings_, state_, machine_.files, folder_, version_, host_}).Offer();
}

void MainWindowLifecycle::OpenHelpOnFirstStart() {
  if (settings_.Get(settings::kShowHelp) != "1") return;
  // A help file that is not there is not opened (the shell would only report an error).
  const std::string help = folder_.FilePath("Help.chm");
  if (FileExists(machine_.files, help)) machine_.desktop.OpenDocument(help);
  settings_.Save(settings::kShowHelp, "0");
}

void MainWindowLifecycle::OnWindowState(WindowState state, bool windowVisible) {
  if (state == WindowState::Minimized) {
    ArmTimers(form_, settings_, true);
    form_.tmrScroll.SetEnabled(false);
    services_.showInTaskList(false);
    return;
  }
  form_.tmrScroll.SetEnabled(true);
  form_.tmrScheduler.SetEnabled(false);
  form_.tmrMemoryInspected.SetEnabled(false);
  services_.showInTaskList(true);
  if (windowVisible) settings_.Save(settings::kMinimized, "No");
}

void MainWindowLifecycle::QueryUnload() {
  settings_.Save(settings::kRestart, "False");
  settings_.Save(settings::kStatus, "STOPPED");
}

}  // namespace kestrian::core
