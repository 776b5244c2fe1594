// The Windows program: builds the machine, the models and the main window, runs the
// start-up steps of the data files, and runs the message loop.
#include <windows.h>

#include <commctrl.h>

#include <optional>

#include "app/delete_failed_window.h"
#include "app/main_window.h"
#include "app/report_window.h"
#include "app/win32_host.h"
#include "core/definition_files.h"
#include "core/exclusion_list.h"
#include "core/main_window_pages.h"
#include "core/options_page.h"
#include "core/program_version.h"
#include "core/settings_keys.h"
#include "core/text.h"
#include "core/timer_arming.h"
#include "platform/win32/win32_machine.h"
#include "removal/check_mirroring.h"
#include "removal/exclusion_commands.h"
#include "removal/removal.h"
#include "report/scan_report.h"
#include "scan/cookie_scanner.h"
#include "scan/drive_list.h"
#include "scan/file_scanner.h"
#include "scan/process_scanner.h"
#include "scan/registry_scanner.h"
#include "scan/scan_session.h"

namespace kestrian::app {
namespace {

class Program {
 public:
  explicit Program(HINSTANCE instance) : instance_(instance) {}

  int Run() {
    if (!window_.Create(instance_, version_.productName + " by " + version_.companyName)) return 1;
    deleteFailedWindow_.emplace(deleteFailed_, host_, window_.Handle());
    reportWindow_.emplace(window_.Handle());
    LoadDataFiles();
    LoadScanOptions();
    BindCommands();
    core::ShowPage(form_, form_.frmStatus);
    form_.SetVisible(true);
    ::ShowWindow(window_.Handle(), SW_SHOWNORMAL);
    ::UpdateWindow(window_.Handle());
    CheckDefinitionFiles();
    return MessageLoop();
  }

 private:
  void LoadDataFiles() {
    core::InstallDownloadedDefinitions(machine_.Get().files, folder_, host_, state_.exclusionText);
    state_.definitionCounts.total =
        core::CountDefinitionLines(machine_.Get().files, folder_, state_.definitionCounts);
    core::UpdateStatusPage(form_, settings_, state_.definitionCounts, version_);
  }

  void LoadScanOptions() {
    scan::FillDriveList(form_.lvwHardDrives, machine_.Get().environment, host_);
    options_.LoadScanOptions();
  }

  void CheckDefinitionFiles() {
    const bool present = core::DefinitionFilesPresent(machine_.Get().files, folder_);
    form_.cmdScan.SetEnabled(present);
    if (!present) {
      host_.ShowMessage(
          "Definition files are missing or they have been corrupted, Please run Live Update.",
          version_.productName, ui::MessageButtons::Ok, ui::MessageIcon::Information);
    }
  }

  void BindCommands() {
    window_.OnClick(form_.cmdStatus, [this] { core::ShowPage(form_, form_.frmStatus); });
    window_.OnClick(form_.cmdScan, [this] { core::ShowPage(form_, form_.frmScan); });
    window_.OnClick(form_.cmdResults, [this] { core::ShowPage(form_, form_.frmResults); });
    window_.OnClick(form_.cmdSettings, [this] { core::ShowPage(form_, form_.frmOptions); });
    window_.OnClick(form_.cmdRemove, [this] { core::ShowPage(form_, form_.frmResults); });
    window_.OnClick(form_.cmdScanNow, [this] { session_.Start(); });
    window_.OnClick(form_.cmdPause, [this] { session_.PauseFromButton(); });
    window_.OnClick(form_.cmdStop, [this] { session_.StopFromButton(); });
    window_.OnClick(form_.cmdSelectAll, [this] { session_.SelectAll(); });
    window_.OnClick(form_.Command4, [this] { removal_.DeleteCommand(); });
    window_.OnClick(form_.cmdLog, [this] {
      report::ViewLog(machine_.Get().files, folder_, host_, form_, *reportWindow_, version_.productName);
    });
    auto& results = form_.lvwPicRemoveListOfSpywareFoundAndToBeRemoved;
    results.SetItemCheckHandler([this](std::size_t row) { removal::MirrorResultCheck(form_, row); });
    window_.OnItemCheck(results, [this](std::size_t row) { removal::MirrorResultCheck(form_, row); });
    window_.OnClick(form_.cmdExclude, [this] {
      removal::ExcludeCheckedResults({form_, host_, exclusions_, version_.productName});
    });
    window_.OnClick(form_.TabStrip1, [this] { core::ShowSelectedTab(form_); });
    for (ui::CheckBox* box : {&form_.chkMakeLog, &form_.chkSweepMemory, &form_.chkScanRegistry,
                              &form_.chkScanCookies}) {
      window_.OnClick(*box, [this, box] { options_.OnScanCheckBoxClick(*box); });
    }
    window_.OnClick(form_.optScanAllSelectedHardDrive, [this] { options_.OnScanTypeClick(); });
    window_.OnClick(form_.optScanOnlyKnownSoftwares, [this] { options_.OnScanTypeClick(); });
    window_.OnItemCheck(form_.lvwHardDrives, [this](std::size_t) { options_.OnDriveCheck(); });
    window_.OnCloseWhileBusy([this] { state_.session.stopRequested = true; });
  }

  int MessageLoop() {
    MSG message;
    while (::GetMessageA(&message, nullptr, 0, 0) > 0) host_.Dispatch(message);
    return static_cast<int>(message.wParam);
  }

  HINSTANCE instance_;
  platform::win32::Win32Machine machine_;
  platform::VersionResource version_ = core::ProgramVersion(machine_.Get().environment);
  core::ApplicationFolder folder_ = core::ApplicationFolder::OfExecutable(machine_.Get().environment);
  core::SettingsStore settings_{machine_.Get().registry, version_.productName};
  core::ProgramState state_;
  ui::FrmMain form_;
  core::OptionsPage options_{form_, settings_};
  ui::FrmDelete deleteFailed_;
  Win32Host host_;
  scan::ScanContext context_{form_, deleteFailed_, host_, state_, settings_,
                             machine_.Get(), folder_, version_};
  core::ExclusionList exclusions_{machine_.Get().files, folder_, host_, state_.exclusionText};
  scan::CookieScanner cookieScan_{context_};
  // The memory shield's alert is not part of the program yet; sessions never need it.
  scan::ProcessScanner processScan_{context_, nullptr};
  scan::RegistryScanner registryScan_{context_};
  scan::FileScanner fileScan_{context_};
  removal::Removal removal_{context_};
  scan::ScanSession session_{
      context_,
      {cookieScan_, processScan_, registryScan_, fileScan_},
      {[this] { report::MakeReport({machine_.Get().files, folder_, form_, state_.session, version_}); },
       [this] { removal_.DeleteCommand(); }}};
  MainWindow window_{form_, host_};
  // Owned by the main window, so made after it and gone before it.
  std::optional<DeleteFailedWindow> deleteFailedWindow_;
  std::optional<ReportWindow> reportWindow_;
};

}  // namespace
}  // namespace kestrian::app

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS | ICC_TAB_CLASSES};
  ::InitCommonControlsEx(&controls);
  kestrian::app::Program program(instance);
  return program.Run();
}
