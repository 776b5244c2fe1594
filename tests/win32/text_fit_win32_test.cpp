// Every window of the program, opened one after the other as the program opens it, with each
// caption measured in its control's own font: a text that does not fit its control fails.
// tests/win32/at_dpi.sh runs it at 96 and at 144 DPI; with KESTRIAN_SHOTS naming a folder,
// each window is also kept there as a bitmap. A window added to the program is added to
// kWindows with one line.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

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
#include "app/tray_menu_popup.h"
#include "app/update_notice_window.h"
#include "core/main_window_pages.h"
#include "core/options_page.h"
#include "core/program_state.h"
#include "core/program_version.h"
#include "core/settings_keys.h"
#include "core/settings_store.h"
#include "core/startup_entry.h"
#include "platform/win32/win32_machine.h"
#include "removal/removal.h"
#include "scan/scan_context.h"
#include "report/scan_report.h"
#include "scan/drive_list.h"
#include "scan/scan_session.h"
#include "win32/text_fit.h"
#include "win32/window_test_support.h"

namespace kestrian {
namespace {

using Visit = std::function<void(HWND)>;

// A scan that finds nothing, for the pages after a session.
class NoPhases final : public scan::CookieScan, public scan::ProcessScan,
                       public scan::RegistryScan, public scan::FileScan {
 public:
  void ScanCookies(std::int32_t&) override {}
  void ScanRunningProcesses() override {}
  void ScanRegistryDefinitions() override {}
  void ScanFileDefinitions() override {}
};

// Runs `show`, which opens a modal window titled `title` and returns once it is closed; the
// window is visited from a thread beside it and then closed with `closeCommand`.
void WhileModal(const char* title, int closeCommand, const Visit& visit, const std::function<void()>& show) {
  testing::DialogUser user(title, [&](HWND window) {
    visit(window);
    ::PostMessageA(window, WM_COMMAND, static_cast<WPARAM>(closeCommand), 0);
  });
  show();
  user.Join();
  EXPECT_TRUE(user.found) << "no window \"" << title << "\"";
}

// The program's windows, made as the program makes them (with its version resource), over a
// scratch application folder holding the four definition files (one line each) and a scratch
// application in the settings store, whose settings hold the longest texts the status and
// options pages show. The folder and the settings go with it.
struct ProgramWindows {
  static constexpr const char* kDefinitionFiles[] = {"RegistryDefinition.dat", "FileDefinition.dat",
                                                      "ExeDefinition.dat", "BlockedCookies.dat"};
  ProgramWindows() {
    ::CreateDirectoryA(folderPath.c_str(), nullptr);
    for (const char* file : kDefinitionFiles) machine.Get().files.WriteAll(folder.FilePath(file), "x\r\n");
    state.definitionCounts = {1, 1, 1, 1, 4};
    const std::string longDate = machine.Get().clock.GeneralDateText({2026, 12, 28, 22, 59, 59});
    for (const auto& key : {core::settings::kLastScan, core::settings::kLastFullScan,
                            core::settings::kSignatureUpdateDate}) {
      settings.Save(key, longDate);
    }
    // No counter of the scan page then shows a number but "Not Selected".
    for (const char* key : {"chkScanCookies", "chkSweepMemory", "chkScanRegistry"}) {
      settings.Save(core::settings::kOptions, key, "0");
    }
    main.Create(::GetModuleHandleA(nullptr), version.productName + " by " + version.companyName);
    main.SetMenuCommands(app::BuildMenuBar().release(), [](int) { return false; });
    core::ShowPage(form, form.frmStatus);
    core::ShowProductTexts(form, version);
    core::UpdateStatusPage(form, settings, state.definitionCounts, version);
    scan::FillDriveList(form.lvwHardDrives, machine.Get().environment, host);
    options.LoadOptionsPage();
    form.SetVisible(true);
    ::ShowWindow(main.Handle(), SW_SHOWNORMAL);
  }

  ~ProgramWindows() {
    for (const char* file : kDefinitionFiles) ::DeleteFileA(folder.FilePath(file).c_str());
    ::DeleteFileA(folder.FilePath("Scan_Log.txt").c_str());
    ::RemoveDirectoryA(folderPath.c_str());
    ::RegDeleteTreeA(HKEY_CURRENT_USER, ("Software\\VB and VBA Program Settings\\" + app).c_str());
  }

  HWND Main() const { return main.Handle(); }
  void ShowTab(int tab) {
    core::ShowPage(form, form.frmOptions);
    form.TabStrip1.Select(tab);
    core::ShowSelectedTab(form);
  }
  // Runs the message loop until `done`, as the program does between messages.
  void RunUntil(const std::function<bool()>& done) {
    EXPECT_TRUE(testing::PumpUntil(host, done, 10000));
  }

  std::string app = "kestrian_fit" + std::to_string(::GetCurrentProcessId());
  std::string folderPath = (std::filesystem::temp_directory_path() / app).string();
  platform::win32::Win32Machine machine;
  core::ApplicationFolder folder{folderPath};
  core::SettingsStore settings{machine.Get().registry, app};
  core::ProgramState state;
  ui::FrmMain form;
  ui::FrmDelete deleteFailed;
  app::Win32Host host;
  platform::VersionResource version = core::ProgramVersion(machine.Get().environment);
  scan::ScanContext context{form, deleteFailed, host, state, settings, machine.Get(), folder, version};
  core::StartupEntry startup{machine.Get().registry, machine.Get().environment};
  core::OptionsPage options{form, settings, host, startup, version.productName, [] {}};
  NoPhases phases;
  scan::ScanSession session{
      context,
      {phases, phases, phases, phases},
      {[this] { report::MakeReport({machine.Get().files, folder, form, state.session, version}); }, nullptr}};
  removal::Removal removal{context};
  core::ExclusionList exclusions{machine.Get().files, folder, host, state.exclusionText};
  app::MainWindow main{form, host};
  app::DeleteFailedWindow deleteFailedWindow{deleteFailed, host, Main()};
  app::ReportWindow report{host, Main()};
  int websiteOpened = 0;
  app::AboutBox about{host, Main(), version, [this] { ++websiteOpened; }};
  app::RestoreWindow restoreWindow{
      host, Main(), removal::RestoreContext{machine.Get(), folder, host, exclusions, version.productName}};
  app::TrayMenuPopup tray{host, Main(), version.productName, [] {}, [] {}};
  app::HomePageAlertWindow homePageAlert{host, Main(), version.productName};
  app::DownloadWindow download{host, Main(), version.productName};
  app::UpdateNoticeWindow notice{host, version.productName, [] {}};
  app::SpywareAlertWindow spywareAlert{
      host, {state, machine.Get().processes, exclusions, host, version.productName}};
};

struct Opening {
  const char* name;
  std::function<void(ProgramWindows&, const Visit&)> open;  // opens, visits and closes
};

// A page of the main window, shown by `show`.
Opening Page(const char* name, void (*show)(ProgramWindows&)) {
  return {name, [show](ProgramWindows& p, const Visit& visit) { show(p), visit(p.Main()); }};
}

const Opening kWindows[] = {
    {"splash", [](ProgramWindows& p, const Visit& visit) {
       app::SplashWindow splash(::GetModuleHandleA(nullptr), p.version);
       splash.RunTimer();
       visit(splash.Handle());
     }},
    Page("status-page", [](ProgramWindows&) {}),
    Page("scan-page", [](ProgramWindows& p) { p.session.Start(); }),
    Page("results-page", [](ProgramWindows& p) { core::ShowPage(p.form, p.form.frmResults); }),
    Page("options-scan", [](ProgramWindows& p) { p.ShowTab(1); }),
    Page("options-protection", [](ProgramWindows& p) { p.ShowTab(2); }),
    Page("options-schedule", [](ProgramWindows& p) { p.ShowTab(3); }),
    Page("options-update", [](ProgramWindows& p) { p.ShowTab(4); }),
    {"about-box", [](ProgramWindows& p, const Visit& visit) {
       p.about.Show();
       const HWND box = p.about.Handle();
       visit(box);
       const std::string versionLine =
           "Version " + std::to_string(p.version.major) + "." + std::to_string(p.version.minor);
       for (const std::string& text : {p.version.productName, versionLine, p.version.companyName}) {
         EXPECT_NE(testing::ChildOf(box, "Static", text.c_str()), nullptr) << text;
       }
       // OK focused and the default; Enter, Escape and the close box each hide the box.
       for (const std::function<void()>& close : std::initializer_list<std::function<void()>>{
                [&] { testing::PressKey(p.host, ::GetFocus(), VK_RETURN); },
                [&] { testing::PressKey(p.host, ::GetFocus(), VK_ESCAPE); },
                [&] { ::SendMessageA(box, WM_CLOSE, 0, 0); }}) {
         EXPECT_TRUE(::IsWindowVisible(box));
         EXPECT_EQ(::GetFocus(), ::GetDlgItem(box, IDOK));
         EXPECT_EQ(LOWORD(::SendMessageA(box, DM_GETDEFID, 0, 0)), IDOK);
         close();
         EXPECT_FALSE(::IsWindowVisible(box));
         p.about.Show();
         EXPECT_EQ(p.about.Handle(), box);
       }
       // Enter on the link opens the website; shown from behind another window, the box comes
       // to the front.
       const HWND link = testing::ChildOf(box, "SysLink", ("<a>" + p.version.comments + "</a>").c_str());
       ::SetFocus(link);
       testing::PressKey(p.host, link, VK_RETURN);
       EXPECT_EQ(p.websiteOpened, 1);
       ::SetForegroundWindow(p.Main());
       p.about.Show();
       EXPECT_EQ(::GetActiveWindow(), box);
       ::SendMessageA(box, WM_COMMAND, IDOK, 0);
     }},
    {"about-box-without-website", [](ProgramWindows& p, const Visit& visit) {
       app::AboutBox plain(p.host, p.Main(), p.version);
       plain.Show();
       visit(plain.Handle());
       EXPECT_NE(testing::ChildOf(plain.Handle(), "Static", p.version.comments.c_str()), nullptr);
       EXPECT_EQ(testing::ChildOf(plain.Handle(), "SysLink", nullptr), nullptr);
       EXPECT_EQ(::GetWindow(plain.Handle(), GW_OWNER), p.Main());
     }},
    {"delete-failed", [](ProgramWindows& p, const Visit& visit) {
       p.deleteFailed.lstProblem.Add("C:\\Program Files\\Search Toolbar\\toolbarhelper.dll");
       p.deleteFailed.SetVisible(true);
       visit(p.deleteFailedWindow.Handle());
       p.deleteFailed.SetVisible(false);
     }},
    {"restore-from-quarantine", [](ProgramWindows& p, const Visit& visit) {
       p.restoreWindow.Show();
       visit(p.restoreWindow.Handle());
       ::SendMessageA(p.restoreWindow.Handle(), WM_COMMAND, IDCANCEL, 0);
     }},
    {"report-viewer", [](ProgramWindows& p, const Visit& visit) {
       WhileModal("Kestrian Log", IDCANCEL, visit, [&] {
         report::ViewLog(p.machine.Get().files, p.folder, p.host, p.form, p.report, p.version.productName);
       });
     }},
    {"really-delete", [](ProgramWindows& p, const Visit& visit) {
       WhileModal("Really Delete?", IDNO, visit, [&] {
         p.host.ShowMessage(p.removal.ConfirmationText(), "Really Delete?", ui::MessageButtons::YesNo,
                            ui::MessageIcon::None);
       });
     }},
    {"tray-popup", [](ProgramWindows& p, const Visit& visit) {
       p.tray.Open(true, false);
       p.RunUntil([&, top = LONG{-1}, since = ::GetTickCount()]() mutable {  // slid up
         const LONG now = testing::BoundsOf(p.tray.Handle()).top;
         if (now != top) top = now, since = ::GetTickCount();
         return ::GetTickCount() - since > 200;
       });
       visit(p.tray.Handle());
       ::PostMessageA(p.tray.Handle(), WM_COMMAND, IDCANCEL, 0);
       p.RunUntil([&] { return !p.tray.IsOpen(); });
     }},
    {"download-window", [](ProgramWindows& p, const Visit& visit) {
       p.download.Show();
       p.download.Form().lblStatus.SetCaption("Getting Executable Definitions... please wait...");
       visit(p.download.Handle());
       p.download.Close();
     }},
    {"update-notice", [](ProgramWindows& p, const Visit& visit) {
       p.notice.Show();
       p.RunUntil([&] { return !p.notice.Form().tmrPopupSignatureUpdate.Enabled(); });  // risen
       visit(p.notice.Handle());
       p.notice.Close();
     }},
    {"spyware-alert", [](ProgramWindows& p, const Visit& visit) {
       p.spywareAlert.Show("No Company name for TOOLBARHELPER.EXE", "TOOLBARHELPER.EXE",
                           {4242, "C:\\Toolbar\\toolbarhelper.exe"});
       visit(p.spywareAlert.Handle());
       ::PostMessageA(p.spywareAlert.Handle(), WM_COMMAND, IDCANCEL, 0);
       p.RunUntil([&] { return p.spywareAlert.Handle() == nullptr; });
     }},
    {"home-page-alert", [](ProgramWindows& p, const Visit& visit) {
       WhileModal("Kestrian Home Page Protection", IDCANCEL, visit, [&] {
         p.homePageAlert.Ask(protect::HomePageChangedMessage(p.version.productName, "http://www.kestrian.example/",
                                                             "http://search.toolbar.example/home?id=7"));
       });
     }},
};

TEST(TextFit, EveryCaptionFitsItsControl) {
  const INITCOMMONCONTROLSEX classes{sizeof classes, ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS |
                                                         ICC_TAB_CLASSES | ICC_DATE_CLASSES |
                                                         ICC_LINK_CLASS};
  ::InitCommonControlsEx(&classes);
  ProgramWindows program;
  const char* shots = std::getenv("KESTRIAN_SHOTS");
  std::vector<std::string> problems;
  for (const Opening& opening : kWindows) {
    opening.open(program, [&](HWND window) {
      ASSERT_NE(window, nullptr) << opening.name;
      ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
      const auto found = testing::TextFitProblems(window, opening.name);
      problems.insert(problems.end(), found.begin(), found.end());
      if (shots != nullptr) {
        EXPECT_TRUE(testing::SaveWindowBitmap(window, std::string(shots) + "\\" + opening.name + ".bmp"))
            << opening.name;
      }
    });
  }
  std::string report;
  for (const std::string& problem : problems) report += problem + "\n";
  EXPECT_TRUE(problems.empty()) << report;
}

}  // namespace
}  // namespace kestrian
