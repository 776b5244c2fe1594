#include "removal/removal.h"

#include "core/file_tests.h"
#include "core/main_window_pages.h"
#include "core/scoped_flag.h"
#include "core/text.h"
#include "core/timer_arming.h"
#include "removal/conflicting_commands.h"
#include "removal/file_extension.h"
#include "removal/kept_reasons.h"
#include "removal/pending_deletes.h"
#include "removal/registry_removal.h"
#include "removal/remaining_traces.h"
#include "removal/removal_guards.h"
#include "removal/restore_points.h"
#include "scan/registry_definition.h"
#include "scan/scan_session.h"

namespace kestrian::removal {

namespace {
constexpr int kGatheringYields = 20001;
constexpr const char* kBlankLine = "\r\n\r\n";

void SetVisible(std::initializer_list<ui::Control*> controls, bool visible) {
  for (ui::Control* control : controls) control->SetVisible(visible);
}

// Unchecks the first results row that `matches`.
template <class Matches>
void UncheckFirstResult(ui::FrmMain& form, Matches&& matches) {
  auto& results = form.lvwPicRemoveListOfSpywareFoundAndToBeRemoved;
  for (std::size_t row = 0; row < results.Count(); ++row) {
    if (matches(results.Item(row))) {
      results.SetChecked(row, false);
      return;
    }
  }
}

// The results list's name of a cookie file ("Cookie: name").
std::string CookieName(ui::FrmMain& form, const std::string& path) {
  for (const auto& item : form.lvwPicRemoveListOfSpywareFoundAndToBeRemoved.Items()) {
    if (item.SubItem(1) == path) return item.text;
  }
  return "Cookie: " + std::string(core::FileNamePart(path));
}
}  // namespace

std::string Removal::ConfirmationText() {
  std::string text = "Are you sure you want to delete the selected files?";
  text += kBlankLine;
  text += "Deleted files will be backed up in the following folder in case you need to recover them:";
  text += kBlankLine;
  text += context_.folder.Path() + "\\quarantine";
  if (IsRestoreCapable(context_.machine.environment)) {
    text += kBlankLine;
    text += "In addition, a System Restore Point will be created using Windows System Restore, "
            "accessible through:";
    text += kBlankLine;
    text += "Start > Programs > Accessories > System Tools > System Restore";
  }
  return text;
}

void Removal::DeleteCommand() {
  if (running_) return;  // its button is disabled meanwhile; nothing else may start one
  auto& form = context_.form;
  const bool automatic = context_.state.session.autoDeleteAfterScan;
  bool anyChecked = false;
  for (const auto& item : form.lvwPicRemoveListOfSpywareFoundAndToBeRemoved.Items()) {
    if (item.checked) {
      anyChecked = true;
      break;
    }
  }
  if (!anyChecked) {
    if (automatic) return;
    context_.host.ShowMessage(
        "No entries are selected.  You must check the box next to at least one item in the list.",
        context_.version.productName, ui::MessageButtons::Ok, ui::MessageIcon::Information);
    return;
  }
  const std::string question = ConfirmationText();
  if (!automatic && context_.host.ShowMessage(question, "Really Delete?", ui::MessageButtons::YesNo,
                                              ui::MessageIcon::None) != ui::MessageAnswer::Yes) {
    return;
  }
  SetVisible({&form.pgbDeleteSpywaresFound, &form.lblDeletingPercentageCompleted,
              &form.lblDeletingCaption},
             true);
  context_.deleteFailed.SetVisible(false);
  context_.deleteFailed.lstProblem.Clear();
  RunRemoval();
}

void Removal::RunRemoval() {
  if (running_) return;
  const core::ScopedFlag running(running_);
  const ConflictingCommandsLock lock(context_.form);
  auto& form = context_.form;
  QuarantineLog log(context_.machine, context_.folder, context_.state.firstRemovalPass);
  BackupRecorder recorder(context_.machine, context_.folder);
  Quarantine quarantine(context_.machine, context_.folder, context_.host, log, recorder);
  quarantine.CreateFolder();
  core::ShowPage(form, form.frmResults);
  core::ArmTimers(form, context_.settings, false);
  SetVisible({&form.pgbDeleteSpywaresFound, &form.lblDeletingPercentageCompleted,
              &form.lblDeletingCaption},
             true);

  form.lblDeletingPercentageCompleted.SetCaption("Gathering information...");
  for (int i = 0; i < kGatheringYields; ++i) context_.host.DoEvents();
  form.lblDeletingPercentageCompleted.SetCaption("");
  RunPasses(quarantine, log);

  scan::RemoveCheckedRows(form.lvwFilesToBeDeleted);
  scan::RemoveCheckedRows(form.lvwRegistryToBeDeleted);
  scan::RemoveCheckedRows(form.lvwSpywareFound);
  form.lblDeletingCaption.SetCaption("");
  scan::RemoveCheckedRows(form.lvwPicRemoveListOfSpywareFoundAndToBeRemoved);
  form.pgbDeleteSpywaresFound.SetValue(form.pgbDeleteSpywaresFound.Max());
  form.lblDeletingPercentageCompleted.SetCaption("100% complete");
  core::ArmTimers(form, context_.settings, true);
  AddToRunningTotal();
  core::UpdateStatusPage(form, context_.settings, context_.state.definitionCounts, context_.version);
  SetVisible({&form.pgbDeleteSpywaresFound, &form.lblDeletingPercentageCompleted,
              &form.lblDeletingCaption},
             false);
}

void Removal::RunPasses(Quarantine& quarantine, QuarantineLog& log) {
  const bool restorable = IsRestoreCapable(context_.machine.environment);
  RestorePoints restorePoints(context_.machine.systemRestore, context_.state.openRestoreSequence);
  if (restorable) {
    context_.form.lblDeletingPercentageCompleted.SetCaption("Creating Restore Point...");
    context_.host.DoEvents();
    bool begun = false;
    // A point that cannot be begun (or one still open) never stops the removal.
    restorePoints.Begin(context_.version.productName + " Restore Point " +
                            context_.machine.clock.NowText(),
                        kRestorePointTypeRestore, begun);
  }
  context_.state.firstRemovalPass = true;
  RemovalPass(quarantine, log);
  context_.state.firstRemovalPass = false;
  RemovalPass(quarantine, log);
  if (restorable) restorePoints.End();
}

void Removal::ShowRemovalProgress(std::size_t done, std::size_t total) {
  const auto percent = core::RoundHalfEven(static_cast<double>(done) / static_cast<double>(total) * 100.0);
  context_.form.lblDeletingPercentageCompleted.SetCaption("Removing : " + std::to_string(percent) +
                                                          "% Completed.");
}

void Removal::RemovalPass(Quarantine& quarantine, QuarantineLog& log) {
  auto& form = context_.form;
  undeletable_ = 0;
  if (!form.lvwPicRemoveListOfSpywareFoundAndToBeRemoved.Empty()) {
    form.lblDeletingPercentageCompleted.SetVisible(true);
    form.pgbDeleteSpywaresFound.SetVisible(true);
    form.lblDeletingPercentageCompleted.SetCaption("Removing : 0% Completed.");
    form.pgbDeleteSpywaresFound.SetValue(0);
    form.pgbDeleteSpywaresFound.SetMax(
        static_cast<double>(form.lvwRegistryToBeDeleted.Count() + form.lvwFilesToBeDeleted.Count()));
  }
  RemoveFiles(quarantine);
  RegistryBackup registryBackup(context_.machine, context_.folder, quarantine.Recorder());
  RemoveRegistryItems(log, registryBackup, form.lvwFilesToBeDeleted.Count());
  RemoveCookies(quarantine);
  if (undeletable_ > 0) context_.deleteFailed.SetVisible(true);
}

std::optional<std::string_view> Removal::WhyFileStays(const std::string& path) {
  return removal::WhyFileStays(context_.machine, context_.folder, path);
}

void Removal::RemoveFiles(Quarantine& quarantine) {
  auto& files = context_.form.lvwFilesToBeDeleted;
  const std::size_t count = files.Count();
  for (std::size_t row = 0; row < count && row < files.Count(); ++row) {
    if (!files.Item(row).checked) {
      context_.host.DoEvents();
      continue;
    }
    const std::string path = files.Item(row).text;
    const std::string name = files.Item(row).SubItem(1);
    context_.form.pgbDeleteSpywaresFound.SetValue(static_cast<double>(row + 1));
    ShowRemovalProgress(row + 1, count);
    context_.form.lblDeletingCaption.SetCaption(core::ToLower(path));
    const auto stays = WhyFileStays(path);
    quarantine.Recorder().SetItem(name, RecordKind::File);
    if (!stays) RemoveFile(quarantine, path);
    context_.host.DoEvents();
    if (!SecondPass()) continue;
    if (stays) {
      MarkFailed(path, *stays, files, row, name);
      continue;
    }
    if (!core::FileExists(context_.machine.files, path)) continue;
    if (core::FindIgnoringCase(path, ".exe") != std::string::npos) quarantine.QuarantineExecutable(path);
    if (core::FileExists(context_.machine.files, path)) {
      MarkFailed(path, ScheduleDeletion(quarantine, path) ? kept::kAtNextRestart : quarantine.WhyKept(path),
                 files, row, name);
    }
  }
}

bool Removal::ScheduleDeletion(Quarantine& quarantine, const std::string& path) {
  const auto backup = quarantine.BackupOf(path);
  return backup && ScheduleFinishRemoval(context_.machine, context_.folder) &&
         quarantine.Recorder().MarkForDeletionAtLogon(*backup);
}

void Removal::RemoveFile(Quarantine& quarantine, const std::string& path) {
  const std::string extension = core::ToUpper(FileExtensionPart(path));
  if (extension == "DLL" || extension == "OCX") {
    // No code of a library runs before its backup exists; without one it stays.
    if (!quarantine.BackUp(path)) return;
    quarantine.UnregisterLibrary(path);
    quarantine.QuarantineLibrary(path);
    quarantine.QuarantineOtherFile(path);
  } else if (extension == "EXE") {
    quarantine.QuarantineExecutable(path);
  } else {
    quarantine.QuarantineOtherFile(path);
  }
}

void Removal::MarkFailed(const std::string& shownText, std::string_view reason, ui::ListView& list,
                         std::size_t row, const std::string& resultText) {
  const auto problem = context_.deleteFailed.lstProblem.Add(shownText);
  context_.deleteFailed.lstProblem.SetSubItem(problem, 1, std::string(reason));
  ++undeletable_;
  UncheckFirstResult(context_.form, [&](const ui::ListItem& item) { return item.text == resultText; });
  list.SetChecked(row, false);
}

void Removal::RemoveRegistryItems(QuarantineLog& log, RegistryBackup& backup, std::size_t fileRows) {
  auto& traces = context_.form.lvwRegistryToBeDeleted;
  const std::size_t count = traces.Count();
  for (std::size_t row = 0; row < count && row < traces.Count(); ++row) {
    const ui::ListItem& trace = traces.Item(row);
    if (trace.checked) {
      context_.form.pgbDeleteSpywaresFound.SetValue(static_cast<double>(fileRows + row + 1));
      ShowRemovalProgress(row + 1, count);
      context_.form.lblDeletingCaption.SetCaption(
          core::ToLower(trace.SubItem(1) + "\\" + trace.SubItem(2)));
      RemoveRegistryTrace(log, backup, row);
    }
    context_.host.DoEvents();
  }
}

void Removal::RemoveRegistryTrace(QuarantineLog& log, RegistryBackup& backup, std::size_t row) {
  auto& traces = context_.form.lvwRegistryToBeDeleted;
  auto& registry = context_.machine.registry;
  const ui::ListItem& trace = traces.Item(row);
  const auto hive = static_cast<platform::RootKey>(
      static_cast<std::uint32_t>(core::ParseNumber(trace.text).value_or(0)));
  const std::string subKey(core::Trim(trace.SubItem(1)));
  const std::string valueName(core::Trim(trace.SubItem(2)));
  // The results list names a trace by its threat, or by its key when it has none.
  const std::string resultText =
      core::Trim(trace.SubItem(3)).empty() ? trace.SubItem(1) : trace.SubItem(3);
  // The item as the results list shows it (the value name runs on after the key) names
  // its backup; "Delete Failed" names a value apart from its key.
  const std::string location = std::string(scan::RootKeyName(hive)) + "\\" + subKey + valueName;
  const auto failed = [&](std::string_view reason) {
    if (SecondPass()) MarkFailed(RegistryItemLocation(hive, subKey, valueName), reason, traces, row, resultText);
  };
  backup.Recorder().SetItem(resultText, RecordKind::Registry);
  if (const auto stays = WhyRegistryItemStays(hive, subKey, valueName)) {
    failed(*stays);  // what Windows needs is never deleted, whatever a definition says
    return;
  }
  // Where this account may not change the key (HKEY_LOCAL_MACHINE for a standard user),
  // nothing is backed up, deleted or logged: the item stays, and says why.
  if (const auto refusal = ChangeRefusal(registry, hive, subKey); refusal != platform::kOk) {
    failed(RefusalReason(refusal));
    return;
  }
  platform::Status status = platform::kOk;
  if (!valueName.empty()) {
    // A value that is there is deleted only once it is backed up.
    if (backup.BackUpValue(hive, subKey, valueName, location) == BackupOutcome::Failed) {
      failed(kept::kNoBackup);
      return;
    }
    status = DeleteRegistryValue(registry, log, hive, subKey, valueName);
  } else {
    // Backed up once, default value and all, before the first of the two deletes.
    if (backup.BackUpKey(hive, subKey, location) == BackupOutcome::Failed) {
      failed(kept::kNoBackup);
      return;
    }
    DeleteRegistryValue(registry, log, hive, subKey, "");
    status = DeleteRegistryKey(registry, log, hive, subKey);
  }
  if (!Gone(status)) failed(RefusalReason(status));
}

void Removal::RemoveCookies(Quarantine& quarantine) {
  auto& cookies = context_.form.lvwCookiesToDelete;
  const std::size_t count = cookies.Count();
  for (std::size_t row = 0; row < count && row < cookies.Count(); ++row) {
    if (cookies.Item(row).checked) {
      const std::string path = cookies.Item(row).text;
      ShowRemovalProgress(row + 1, count);
      context_.form.lblDeletingCaption.SetCaption(core::ToLower(path));
      if (const auto stays = WhyFileStays(path)) {
        if (SecondPass()) {
          const auto problem = context_.deleteFailed.lstProblem.Add(path);
          context_.deleteFailed.lstProblem.SetSubItem(problem, 1, std::string(*stays));
          ++undeletable_;
          cookies.SetChecked(row, false);
          UncheckFirstResult(context_.form,
                             [&](const ui::ListItem& item) { return item.SubItem(1) == path; });
        }
      } else if (core::FileExists(context_.machine.files, path)) {
        quarantine.Recorder().SetItem(CookieName(context_.form, path), RecordKind::Cookie);
        quarantine.QuarantineCookieFile(path);
      }
    }
    context_.host.DoEvents();
  }
}

void Removal::AddToRunningTotal() {
  auto& form = context_.form;
  // The scan's own count of threats: the found label shows it only as of the last
  // hundredth progress call, which can be far behind (0 for a small scan).
  const auto total = core::ParseNumber(context_.settings.Get(core::settings::kDefinitionsRemoved)).value_or(0) +
                     context_.state.session.spywareFound +
                     core::ParseNumber(form.lbltracesFound.Caption()).value_or(0);
  context_.settings.Save(core::settings::kDefinitionsRemoved, std::to_string(total));
}

}  // namespace kestrian::removal
