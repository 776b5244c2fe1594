#include "scan/scan_session.h"

#include <string>

#include "core/definition_files.h"
#include "core/long_work.h"
#include "core/main_window_pages.h"
#include "core/scoped_flag.h"
#include "core/text.h"
#include "core/timer_arming.h"
#include "scan/scan_progress.h"

namespace kestrian::scan {

namespace {
constexpr int kCircleLeft = 1215;
constexpr int kCircleTop = 645;
constexpr int kCircleOffsetLeft = 250;
constexpr int kCircleOffsetTop = 11;
constexpr char kNotSelected[] = "Not Selected";

void SetBar(ui::ProgressBar& bar, std::optional<std::int16_t> percent) {
  if (percent) bar.SetValue(*percent);
}
}  // namespace

void ScanSession::Start() {
  auto& form = context_.form;
  if (core::LongWorkRunning(form)) return;  // Start is disabled: a scan or a removal runs
  const core::ScopedFlag running(context_.state.session.running);
  PrepareWindow();
  form.cmdRemove.SetVisible(false);
  form.cmdResults.SetEnabled(false);
  form.cmdSettings.SetEnabled(false);
  core::ShowPage(form, form.frmScan);
  core::ArmTimers(form, context_.settings, false);
  for (ui::Control* command : std::initializer_list<ui::Control*>{
           &form.cmdScanNow, &form.cmdScan, &form.cmdLog, &form.cmdUpdate, &form.cmdStatus}) {
    command->SetEnabled(false);
  }
  form.cmdStop.SetEnabled(true);
  form.cmdPause.SetEnabled(true);
  ResetCountersAndLists();

  auto& session = context_.state.session;
  session.stopRequested = false;
  session.startedAt = context_.machine.clock.NowText();
  RunScanPhases();
  session.finishedAt = context_.machine.clock.NowText();

  StoreScanDates();
  if (form.chkMakeLog.Value() == 1 && followUps_.writeScanLog) followUps_.writeScanLog();
  form.cmdRemove.SetVisible(true);
  form.cmdRemove.SetEnabled(true);
  form.cmdResults.SetEnabled(true);
  form.cmdSettings.SetEnabled(true);
  form.shpCircle.SetVisible(false);
  ShowOutcome();
  EnableCommands();
}

void ScanSession::PrepareWindow() {
  auto& form = context_.form;
  form.tmrScroll.SetEnabled(false);
  context_.deleteFailed.SetVisible(false);
  context_.deleteFailed.lstProblem.Clear();
  form.shpCircle.Move(kCircleLeft, kCircleTop);
  form.shpCircle.SetVisible(false);
}

void ScanSession::ResetCountersAndLists() {
  auto& form = context_.form;
  LockMainWindowUpdate(context_, true);
  for (ui::Label* label :
       {&form.lblRegistryInspected, &form.lblFilesFolderInspected, &form.lblMemoryInspected,
        &form.lblSoftwareFound, &form.lblRemovePicSoftwareFound, &form.lbltracesFound,
        &form.lblPercentageCompleted, &form.lblStatus, &form.lblTotalNoOfRunningItems}) {
    label->SetCaption("0");
  }
  LockMainWindowUpdate(context_, false);
  auto& session = context_.state.session;
  session.cookiesProcessesInspected = 0;
  session.registryEntriesInspected = 0;
  session.filesFoldersInspected = 0;
  session.spywareFound = 0;
  session.progressRefreshCounter = 0;
  for (ui::ListView* list :
       {&form.lvwSpywareFound, &form.lvwPicRemoveListOfSpywareFoundAndToBeRemoved,
        &form.lvwFilesToBeDeleted, &form.lvwFileNotFounds, &form.lvwRegistryToBeDeleted,
        &form.lvwCookiesToDelete}) {
    list->Clear();
  }
}

void ScanSession::StoreScanDates() {
  // Written whether the scan finished, was stopped, or did not run.
  const std::string& finishedAt = context_.state.session.finishedAt;
  context_.settings.Save(core::settings::kLastScan, finishedAt);
  if (context_.form.optScanAllSelectedHardDrive.Value()) {
    context_.settings.Save(core::settings::kLastFullScan, finishedAt);
  }
}

void ScanSession::ShowOutcome() {
  auto& form = context_.form;
  if (context_.state.session.stopRequested) {
    LockMainWindowUpdate(context_, true);
    form.lblStatus.SetCaption("Scanning was cancelled.");
    form.lblPercentageCompleted.SetCaption("0% complete.");
    form.pbgMain.SetValue(0);
    LockMainWindowUpdate(context_, false);
    return;
  }
  LockMainWindowUpdate(context_, true);
  form.lblStatus.SetCaption("Scanning complete.");
  form.pb1.SetValue(100);
  form.pb2.SetValue(100);
  LockMainWindowUpdate(context_, false);
  if (context_.state.session.autoDeleteAfterScan) {
    core::ShowPage(form, form.frmResults);  // cmdRemove click
    SelectAll();
    if (followUps_.deleteChecked) followUps_.deleteChecked();
  }
}

void ScanSession::EnableCommands() {
  auto& form = context_.form;
  for (ui::Control* command : std::initializer_list<ui::Control*>{
           &form.cmdScan, &form.cmdScanNow, &form.cmdLog, &form.cmdUpdate, &form.cmdStatus}) {
    command->SetEnabled(true);
  }
  form.cmdStop.SetEnabled(false);
  form.cmdPause.SetEnabled(false);
  core::ArmTimers(form, context_.settings, true);
  form.tmrTimeOut.SetEnabled(true);
  core::UpdateStatusPage(form, context_.settings, context_.state.definitionCounts,
                         context_.version);
}

void ScanSession::RunScanPhases() {
  auto& form = context_.form;
  if (!core::DefinitionFilesPresent(context_.machine.files, context_.folder)) {
    context_.host.ShowMessage(
        "Definition files are missing or they have been corrupted. Please run Liveupdate.",
        context_.version.productName, ui::MessageButtons::Ok, ui::MessageIcon::Information);
    return;
  }
  form.pbgMain.SetVisible(true);
  for (ui::ProgressBar* bar : {&form.pbgMain, &form.pb1, &form.pb2}) {
    bar->SetMax(100);
    bar->SetValue(0);
  }
  const bool cookiesRan = RunCookiePhase();
  const bool processesRan = RunProcessPhase(cookiesRan);
  const bool registryRan = RunRegistryPhase();
  RunFilePhase();
  form.pbgMain.SetMax(100);
  // The last call always refreshes, so that the finished page and the scan log show the
  // session's real counts (a small scan would otherwise show none). A cancelled scan keeps
  // its bars where the stop left them, and a counter none of whose phases ran keeps saying so.
  auto& session = context_.state.session;
  session.progressRefreshCounter = 99;
  const std::int16_t percent = session.stopRequested ? -1 : 100;
  ReportScanProgress(context_, "Scan Complete", percent, percent);
  if (!cookiesRan && !processesRan) form.lblMemoryInspected.SetCaption(kNotSelected);
  if (!registryRan) form.lblRegistryInspected.SetCaption(kNotSelected);
}

void ScanSession::SetPhaseCaption(const char* caption, const char* prefix) {
  LockMainWindowUpdate(context_, true);
  context_.form.lblPercentageCompleted.SetCaption(caption);
  context_.state.session.statusPrefix = prefix;
  LockMainWindowUpdate(context_, false);
}

bool ScanSession::PhaseEnabledAsNumber(const core::settings::Key& key) {
  // A value that is not a number counts as the default.
  const auto number = core::ParseNumber(context_.settings.Get(key));
  return number.value_or(core::ParseNumber(key.fallback).value_or(0)) == 1;
}

bool ScanSession::PhaseEnabledAsBoolean(const core::settings::Key& key) {
  const auto flag = core::ParseBoolean(context_.settings.Get(key));
  return flag.value_or(core::ParseBoolean(key.fallback).value_or(false));
}

void ScanSession::MarkCaption(const ui::Label& caption) {
  context_.form.shpCircle.Move(caption.Left() - kCircleOffsetLeft, caption.Top() + kCircleOffsetTop);
}

bool ScanSession::RunCookiePhase() {
  if (!PhaseEnabledAsNumber(core::settings::kScanCookies)) return false;
  auto& form = context_.form;
  form.shpCircle.SetVisible(false);
  SetPhaseCaption("Inspecting Cookies...", "Detecting Cookies: ");
  std::int32_t cookieFiles = 0;
  phases_.cookies.ScanCookies(cookieFiles);
  const auto& counts = context_.state.definitionCounts;
  form.pb1.SetValue(100);
  SetBar(form.pb2, Percent(counts.cookies, counts.total));
  form.lblStatus.SetCaption("Finished Inpecting Cookies");
  return true;
}

// The counter of this phase also counts cookies: it is "Not Selected" only when they were
// not inspected either.
bool ScanSession::RunProcessPhase(bool cookiesRan) {
  if (!PhaseEnabledAsBoolean(core::settings::kSweepMemoryForScan)) {
    if (!cookiesRan) context_.form.lblMemoryInspected.SetCaption(kNotSelected);
    return false;
  }
  SetPhaseCaption("Inspecting memory...", "Inspecting Memory: ");
  phases_.processes.ScanRunningProcesses();
  return true;
}

bool ScanSession::RunRegistryPhase() {
  auto& form = context_.form;
  const auto& counts = context_.state.definitionCounts;
  LockMainWindowUpdate(context_, true);
  form.lblPercentageCompleted.SetCaption("Scanning registry...");
  context_.state.session.statusPrefix = "Scanning Registry: ";
  form.pb1.SetValue(0);
  SetBar(form.pb2, Percent(counts.cookies, counts.total));
  LockMainWindowUpdate(context_, false);
  if (!PhaseEnabledAsBoolean(core::settings::kScanRegistryForScan)) {
    form.lblRegistryInspected.SetCaption(kNotSelected);
    return false;
  }
  MarkCaption(form.lblRegistryCaption);
  phases_.registry.ScanRegistryDefinitions();
  return true;
}

void ScanSession::RunFilePhase() {
  auto& form = context_.form;
  form.pbgMain.SetMax(100);
  LockMainWindowUpdate(context_, true);
  form.lblPercentageCompleted.SetCaption("Scanning known Spyware/Adware...");
  context_.state.session.statusPrefix = "Scanning Known Spyware/Adware: ";
  form.pbgMain.SetValue(0);
  LockMainWindowUpdate(context_, false);
  MarkCaption(form.lblFilesCaption);
  phases_.files.ScanFileDefinitions();
}

void ScanSession::PauseFromButton() {
  auto& form = context_.form;
  form.cmdPause.SetEnabled(false);
  form.cmdStop.SetEnabled(false);
  const std::string& product = context_.version.productName;
  context_.host.ShowMessage(product + " has been paused.  Click OK to resume.", product,
                            ui::MessageButtons::Ok, ui::MessageIcon::Information);
  form.cmdPause.SetEnabled(true);
  form.cmdStop.SetEnabled(true);
}

void ScanSession::StopFromButton() {
  const auto answer = context_.host.ShowMessage("Are you sure you want to stop the scan?",
                                                context_.version.productName,
                                                ui::MessageButtons::YesNo, ui::MessageIcon::Question);
  if (answer != ui::MessageAnswer::Yes) return;
  context_.host.RestoreDefaultPointer();
  context_.state.session.stopRequested = true;
}

void ScanSession::SelectAll() {
  auto& results = context_.form.lvwPicRemoveListOfSpywareFoundAndToBeRemoved;
  for (std::size_t row = 0; row < results.Count(); ++row) {
    if (results.Item(row).checked) continue;
    results.SetChecked(row, true);
    results.RaiseItemCheck(row);
  }
}

void RemoveCheckedRows(ui::ListView& list) {
  std::size_t row = 0;
  while (row < list.Count()) {
    if (list.Item(row).checked) {
      list.Remove(row);
    } else {
      ++row;
    }
  }
}

}  // namespace kestrian::scan
