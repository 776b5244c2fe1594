// The Windows program: builds the machine, the models and the main window, runs the
// start-up steps of the data files, and runs the message loop.
#include <windows.h>

#include <commctrl.h>

#include <optional>

#include "app/about_box.h"
#include "app/delete_failed_window.h"
#include "app/download_window.h"
#include "app/home_page_alert_window.h"
#include "app/main_menu.h"
#include "app/main_window.h"
#include "app/report_window.h"
#include "app/restore_window.h"
#include "app/splash_window.h"
#include "app/spyware_alert_window.h"
#include "app/tray_icon.h"
#include "app/tray_menu_popup.h"
#include "app/update_notice_window.h"
#include "app/win32_host.h"
#include "core/application_title.h"
#include "core/definition_files.h"
#include "core/definition_rollback.h"
#include "core/exclusion_list.h"
#include "core/main_window_lifecycle.h"
#include "core/main_window_pages.h"
#include "core/options_page.h"
#include "core/scheduler_page.h"
#include "core/scheduler_tick.h"
#include "core/startup_entry.h"
#include "core/program_version.h"
#include "core/settings_keys.h"
#include "core/text.h"
#include "core/timer_arming.h"
#include "protect/home_page_shield.h"
#include "protect/memory_shield.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_machine.h"
#include "removal/check_mirroring.h"
#include "removal/exclusion_commands.h"
#include "removal/removal.h"
#include "report/scan_report.h"
#include "scan/cookie_scanner.h"
#include "scan/definition_check.h"
#include "scan/drive_list.h"
#include "scan/file_scanner.h"
#include "scan/process_scanner.h"
#include "scan/registry_scanner.h"
#include "scan/scan_session.h"
#include "update/live_update.h"

namespace kestrian::app {
namespace {

class Program {
 public:
  explicit Program(HINSTANCE instance) : instance_(instance) {}

  int Run() {
    SplashWindow splash(instance_, version_);
    splash.RunTimer();
    if (!window_.Create(instance_, version_.productName)) return 1;
    deleteFailedWindow_.emplace(deleteFailed_, host_, window_.Handle());
    reportWindow_.emplace(host_, window_.Handle());
    aboutBox_.emplace(host_, window_.Handle(), version_, [this] { OpenWebsite(); });
    restoreWindow_.emplace(host_, window_.Handle(),
                           removal::RestoreContext{machine_.Get(), folder_, host_, exclusions_,
                                                   version_.productName});
    trayPopup_.emplace(host_, window_.Handle(), version_.productName, [this] { ShowProgram(); },
                       [this] { ExitProgram(); });
    homePageAlert_.emplace(host_, window_.Handle(), version_.productName);
    homePageShield_.emplace(form_, settings_, machine_.Get().registry, version_, *homePageAlert_,
                            memoryShield_);
    downloadWindow_.emplace(host_, window_.Handle(), version_.productName);
    noticeWindow_.emplace(host_, version_.productName, [this] { liveUpdate_->NoticeOk(); });
    liveUpdate_.emplace(
        update::LiveUpdateContext{form_, settings_, machine_.Get(), folder_, host_, version_,
                                  *downloadWindow_, *noticeWindow_},
        update::UpdateServices{[this] { trayIcon_.RemoveIcon(); }, [this] { RefreshTrayIcon(); },
                               [] { ::ExitProcess(0); }});
    BindCommands();
    BindMenu();
    if (!lifecycle_.Load()) return 0;  // another instance runs
    form_.SetVisible(true);
    if (startInTray_) {
      SendToTray();
    } else {
      ::ShowWindow(window_.Handle(), SW_SHOWNORMAL);
      ::UpdateWindow(window_.Handle());
    }
    splash.Hide();
    return MessageLoop();
  }

 private:
  core::StartUpServices StartUpServices() {
    return {[this] { return AnotherInstanceRunning(); },
            [this](const std::string& caption) { ::SetWindowTextA(window_.Handle(), caption.c_str()); },
            [this](bool shown) { ShowInTaskList(shown); },
            [this] { scheduler_.LoadSchedule(); },
            [this] { scan::FillDriveList(form_.lvwHardDrives, machine_.Get().environment, host_); },
            [this] { options_.LoadOptionsPage(); },
            [this] { SendToTray(); },
            scan::EveryDefinitionLineParses};
  }

  // One program per user session: a second one ends in its start-up.
  bool AnotherInstanceRunning() {
    if (!instanceMutex_) {
      instanceMutex_ = platform::win32::UniqueHandle(
          ::CreateMutexA(nullptr, FALSE, core::kSingleInstanceMutex));
      anotherInstance_ = ::GetLastError() == ERROR_ALREADY_EXISTS;
    }
    return anotherInstance_;
  }

  // The window leaves the taskbar as a tool window and comes back as an application window.
  void ShowInTaskList(bool shown) {
    const HWND window = window_.Handle();
    LONG_PTR style = ::GetWindowLongPtrA(window, GWL_EXSTYLE);
    style = shown ? (style & ~WS_EX_TOOLWINDOW) | WS_EX_APPWINDOW
                  : (style & ~WS_EX_APPWINDOW) | WS_EX_TOOLWINDOW;
    ::SetWindowLongPtrA(window, GWL_EXSTYLE, style);
    ::SetWindowPos(window, nullptr, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  }

  // The vendor's web address as the shell opens it in the default browser.
  std::string WebAddress() const {
    const std::string& site = version_.comments;
    return core::StartsWithIgnoringCase(site, "http://") || core::StartsWithIgnoringCase(site, "https://")
               ? site
               : "http://" + site;
  }
  void OpenWebsite() { machine_.Get().desktop.OpenDocument(WebAddress()); }

  // "Send to Tray": the window leaves the screen for the notification area; the tray menu
  // shows once, as it does whenever the program goes to the tray.
  void SendToTray() {
    const HWND window = window_.Handle();
    if (!::IsWindowVisible(window) && !form_.Visible()) {
      startInTray_ = true;  // still starting: done once the start-up is over
      return;
    }
    ::ShowWindow(window, SW_MINIMIZE);
    ::ShowWindow(window, SW_HIDE);
    trayIcon_.ShowIcon(window, TrayTip());
    OpenTrayMenu();
    settings_.Save(core::settings::kMinimized, "Yes");
  }

  // Taken away and put back, so a shell that lost it shows it again.
  void RefreshTrayIcon() {
    if (!trayIcon_.RunningInTray()) return;
    trayIcon_.RemoveIcon();
    trayIcon_.ShowIcon(window_.Handle(), TrayTip());
  }

  std::string TrayTip() const { return version_.productName + " by " + version_.companyName; }

  void OpenTrayMenu() {
    // Exit is offered unless a scan or a removal runs.
    trayPopup_->Open(!state_.session.running && !removal_.Running(), !::IsWindowVisible(window_.Handle()));
  }

  void ShowProgram() {
    ::ShowWindow(window_.Handle(), SW_RESTORE);
    ::SetForegroundWindow(window_.Handle());
  }

  // The window's closing writes RESTART and STATUS and takes the icon away. A removal is
  // never cut off half-way.
  void ExitProgram() {
    if (!removal_.Running()) ::PostMessageA(window_.Handle(), WM_CLOSE, 0, 0);
  }

  void OnTrayMessage(LPARAM mouseMessage) {
    if (!trayIcon_.RunningInTray()) return;
    switch (ActionOfTrayMessage(mouseMessage)) {
      case TrayAction::RestoreWindow: ShowProgram(); break;
      case TrayAction::ShowMenu: OpenTrayMenu(); break;
      case TrayAction::None: break;
    }
  }

  void ShowSettingsTab(int index) {
    core::ShowPage(form_, form_.frmOptions);
    if (index >= 4) return;
    form_.TabStrip1.Select(index + 1);
    core::ShowSelectedTab(form_);
  }

  void ViewLog() {
    report::ViewLog(machine_.Get().files, folder_, host_, form_, *reportWindow_, version_.productName);
  }

  void BindMenu() {
    menuCommands_.On(Menu::File, [this](int index) {
      switch (index) {
        case 0: core::ShowPage(form_, form_.frmScan); break;
        case 1: core::ShowPage(form_, form_.frmResults); break;
        case 2: ViewLog(); break;
        case 4: liveUpdate_->RunLiveUpdate(); break;
        case 5: rollback_.Command(); break;
        case 7: SendToTray(); break;
        case 9: ExitProgram(); break;
        default: break;  // separators
      }
    });
    menuCommands_.On(Menu::Settings, [this](int index) { ShowSettingsTab(index); });
    menuCommands_.On(Menu::Quarantine, [this](int index) {
      if (index == 0) removal::ViewQuarantine(machine_.Get(), folder_);
      if (index == 1) removal::ViewExclusions(machine_.Get().files, folder_, host_, machine_.Get().desktop);
      if (index == 2) restoreWindow_->Show();
    });
    menuCommands_.On(Menu::Help, [this](int) {
      const std::string help = folder_.FilePath("Help.chm");
      machine_.Get().desktop.OpenDocument(help);
    });
    menuCommands_.On(Menu::About, [this](int) { aboutBox_->Show(); });
    UniqueMenu bar = BuildMenuBar();
    if (bar) {
      window_.SetMenuCommands(bar.release(), [this](int id) { return menuCommands_.Dispatch(id); });
    }
    // Grayed while their work cannot start, as their buttons are; their handlers ignore them.
    window_.OnMenuOpening([this](HMENU popup) {
      const auto enable = [popup](MenuItemId item, bool enabled) {
        ::EnableMenuItem(popup, static_cast<UINT>(CommandOfMenuItem(item)),
                         MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
      };
      enable({Menu::File, 4}, form_.cmdUpdate.Enabled());  // Run Live Update
      enable({Menu::File, 9}, !removal_.Running());        // Exit
    });
    window_.OnAppMessage(kTrayCallbackMessage, [this](WPARAM, LPARAM lParam) { OnTrayMessage(lParam); });
  }

  void BindCommands() {
    window_.OnClick(form_.cmdStatus, [this] { core::ShowPage(form_, form_.frmStatus); });
    window_.OnClick(form_.cmdScan, [this] { core::ShowPage(form_, form_.frmScan); });
    window_.OnClick(form_.cmdResults, [this] { core::ShowPage(form_, form_.frmResults); });
    window_.OnClick(form_.cmdSettings, [this] { core::ShowPage(form_, form_.frmOptions); });
    window_.OnClick(form_.cmdRemove, [this] { core::ShowPage(form_, form_.frmResults); });
    window_.OnClick(form_.Command1, [this] { core::ShowPage(form_, form_.frmScan); });
    window_.OnClick(form_.cmdScanNow, [this] { session_.Start(); });
    window_.OnClick(form_.cmdPause, [this] { session_.PauseFromButton(); });
    window_.OnClick(form_.cmdStop, [this] { session_.StopFromButton(); });
    window_.OnClick(form_.cmdSelectAll, [this] { session_.SelectAll(); });
    window_.OnClick(form_.Command4, [this] { removal_.DeleteCommand(); });
    window_.OnClick(form_.cmdLog, [this] { ViewLog(); });
    window_.OnClick(form_.lblViewLogFile, [this] { ViewLog(); });
    auto& results = form_.lvwPicRemoveListOfSpywareFoundAndToBeRemoved;
    results.SetItemCheckHandler([this](std::size_t row) { removal::MirrorResultCheck(form_, row); });
    window_.OnItemCheck(results, [this](std::size_t row) { removal::MirrorResultCheck(form_, row); });
    window_.OnClick(form_.cmdExclude, [this] {
      removal::ExcludeCheckedResults({form_, host_, exclusions_, version_.productName});
    });
    window_.OnClick(form_.TabStrip1, [this] { core::ShowSelectedTab(form_); });
    BindOptionsPage();
    BindScheduler();
    window_.OnItemCheck(form_.lvwHardDrives, [this](std::size_t) { options_.OnDriveCheck(); });
    window_.OnCloseWhileBusy([this] { state_.session.stopRequested = true; });
    window_.OnClosing([this] {
      lifecycle_.QueryUnload();
      trayIcon_.RemoveIcon();
    });
    window_.OnMinimizedChange([this](bool minimized) {
      lifecycle_.OnWindowState(minimized ? core::WindowState::Minimized : core::WindowState::Normal,
                               ::IsWindowVisible(window_.Handle()) != FALSE);
    });
    window_.OnClick(form_.Command5, [this] { SendToTray(); });
    window_.OnClick(form_.cmdWebsite, [this] { OpenWebsite(); });
    BindLiveUpdate();
  }

  void BindLiveUpdate() {
    window_.OnClick(form_.cmdUpdate, [this] { liveUpdate_->RunLiveUpdate(); });
    window_.OnClick(form_.cmdLiveUpdate, [this] { liveUpdate_->RunLiveUpdate(); });
    window_.OnMouseDown(form_.cmdUpdate, [this](bool shiftAlone) { liveUpdate_->ShowUpdateUrls(shiftAlone); });
    window_.OnTick(form_.timUpdate, [this] { liveUpdate_->IdleTick(); });
  }

  void BindOptionsPage() {
    for (ui::CheckBox* box : {&form_.chkMakeLog, &form_.chkSweepMemory, &form_.chkScanRegistry,
                              &form_.chkScanCookies, &form_.chkAutomaticUpdate}) {
      window_.OnClick(*box, [this, box] { options_.OnCheckBoxClick(*box); });
    }
    window_.OnClick(form_.chkAutoProtect, [this] { options_.OnAutoProtectClick(); });
    window_.OnClick(form_.chkHomePage, [this] { options_.OnHomePageClick(); });
    for (ui::OptionButton* option : {&form_.optMemorySheildOn, &form_.optMemorySheildOff}) {
      window_.OnClick(*option, [this] { options_.OnMemoryShieldClick(); });
    }
    for (ui::OptionButton* option : {&form_.optIEHomePageSheildOn, &form_.optIEHomePageSheildOff}) {
      window_.OnClick(*option, [this] { options_.OnHomePageShieldClick(); });
    }
    for (ui::OptionButton* option :
         {&form_.optAlwaysnotifybeforerestoring, &form_.optRestoredefaultwithoutnotification}) {
      window_.OnClick(*option, [this] { options_.OnRestoreChoiceClick(); });
    }
    window_.OnClick(form_.optScanAllSelectedHardDrive, [this] { options_.OnScanTypeClick(); });
    window_.OnClick(form_.optScanOnlyKnownSoftwares, [this] { options_.OnScanTypeClick(); });
    window_.OnClick(form_.chkRunAtStartup, [this] { options_.ApplyRunAtStartup(); });
  }

  void BindScheduler() {
    window_.OnClick(form_.chkAutomaticScanYesOrNo, [this] { scheduler_.OnAutomaticScanClick(); });
    window_.OnClick(form_.cmbDays, [this] { scheduler_.OnDaysClick(); });
    window_.OnClick(form_.dtpScheduleDate, [this] { scheduler_.OnPickerChange(); });
    window_.OnClick(form_.dtpScheduleTime, [this] { scheduler_.OnPickerChange(); });
    window_.OnClick(form_.chkAutoDel, [this] { scheduler_.OnAutoDeleteClick(); });
    window_.OnClick(form_.CmdProceed, [this] { scheduler_.OnApplyClick(); });
    window_.OnClick(form_.cmdDefaultSetting, [this] { scheduler_.OnResetClick(); });
    window_.OnTick(form_.tmrScheduler, [this] { schedulerTimer_.Tick(); });
    window_.OnTick(form_.tmrMemoryInspected, [this] { memoryShield_.Tick(); });
    window_.OnTick(form_.tmrCheckHomePage, [this] { homePageShield_->Tick(); });
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
  core::SchedulerPage scheduler_{form_, settings_, machine_.Get().clock, host_, version_};
  core::StartupEntry startupEntry_{machine_.Get().registry, machine_.Get().environment};
  core::OptionsPage options_{form_, settings_, host_, startupEntry_, version_.productName,
                             [this] { scheduler_.OnAutomaticScanClick(); }};
  ui::FrmDelete deleteFailed_;
  Win32Host host_;
  scan::ScanContext context_{form_, deleteFailed_, host_, state_, settings_,
                             machine_.Get(), folder_, version_};
  core::ExclusionList exclusions_{machine_.Get().files, folder_, host_, state_.exclusionText};
  scan::CookieScanner cookieScan_{context_};
  SpywareAlertWindow spywareAlert_{
      host_, {state_, machine_.Get().processes, exclusions_, host_, version_.productName}};
  scan::ProcessScanner processScan_{context_, &spywareAlert_};
  protect::MemoryShield memoryShield_{form_, settings_, processScan_};
  scan::RegistryScanner registryScan_{context_};
  scan::FileScanner fileScan_{context_};
  removal::Removal removal_{context_};
  core::SchedulerTimer schedulerTimer_{form_, settings_, state_, machine_.Get().clock,
                                       [this] { session_.Start(); }};
  scan::ScanSession session_{
      context_,
      {cookieScan_, processScan_, registryScan_, fileScan_},
      {[this] { report::MakeReport({machine_.Get().files, folder_, form_, state_.session, version_}); },
       [this] { removal_.DeleteCommand(); }}};
  core::DefinitionRollback rollback_{{form_, settings_, state_, machine_.Get().files, folder_, version_, host_}};
  MainWindow window_{form_, host_};
  core::MainWindowLifecycle lifecycle_{form_, settings_, state_, machine_.Get(), folder_,
                                       version_, host_, StartUpServices()};
  platform::win32::UniqueHandle instanceMutex_;
  bool anotherInstance_ = false;
  bool startInTray_ = false;
  TrayIcon trayIcon_;
  MenuCommands menuCommands_;
  // Owned by the main window, so made after it and gone before it.
  std::optional<DeleteFailedWindow> deleteFailedWindow_;
  std::optional<ReportWindow> reportWindow_;
  std::optional<AboutBox> aboutBox_;
  std::optional<RestoreWindow> restoreWindow_;
  std::optional<TrayMenuPopup> trayPopup_;
  std::optional<HomePageAlertWindow> homePageAlert_;
  std::optional<protect::HomePageShield> homePageShield_;
  std::optional<DownloadWindow> downloadWindow_;
  std::optional<UpdateNoticeWindow> noticeWindow_;
  std::optional<update::LiveUpdate> liveUpdate_;
};

}  // namespace
}  // namespace kestrian::app

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS |
                                                      ICC_TAB_CLASSES | ICC_DATE_CLASSES |
                                                      ICC_LINK_CLASS};
  ::InitCommonControlsEx(&controls);
  kestrian::app::Program program(instance);
  return program.Run();
}
