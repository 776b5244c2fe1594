// Every window of the program, opened one after the other as the program opens it, with each
// caption measured in its control's own font and format (DrawText, as the control draws it):
// a text that does not fit its control fails, as does a control outside its window.
// tests/win32/at_dpi.sh runs it at 96 and at 144 DPI; with KESTRIAN_SHOTS naming a folder,
// each window is also kept there as a bitmap. A window added to the program is added to
// kWindows with one line.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
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
#include "win32/window_test_support.h"

namespace kestrian {
namespace {

using Visit = std::function<void(HWND)>;

int Scaled(int pixels) { return ::MulDiv(pixels, app::ScreenDpi(), 96); }

// What a link draws of its text: no markup.
std::string WithoutMarkup(std::string_view text) {
  std::string shown;
  bool inTag = false;
  for (const char c : text) {
    if (c == '<' || c == '>') inTag = c == '<';
    else if (!inTag) shown += c;
  }
  return shown;
}

// The size DrawText gives `text` in `width` pixels with `format` (the control's own line
// breaking), in the font `control` draws with.
SIZE Drawn(HWND control, std::string_view text, int width, UINT format) {
  const app::ScreenDc screen;
  const auto font = reinterpret_cast<HGDIOBJ>(::SendMessageA(control, WM_GETFONT, 0, 0));
  const HGDIOBJ previous = ::SelectObject(screen.Get(), font != nullptr ? font : ::GetStockObject(SYSTEM_FONT));
  RECT room{0, 0, width, 0};
  ::DrawTextA(screen.Get(), text.data(), static_cast<int>(text.size()), &room, format | DT_CALCRECT);
  ::SelectObject(screen.Get(), previous);
  return {room.right, room.bottom};
}

// What keeps `text` from fitting `width` x `height` pixels as `control` draws it with `format`.
std::string FitProblem(HWND control, const std::string& text, int width, int height, UINT format) {
  const SIZE needed = Drawn(control, text, width, format);
  if (needed.cx <= width && needed.cy <= height) return {};
  return "needs " + std::to_string(needed.cx) + "x" + std::to_string(needed.cy) + " px, has " +
         std::to_string(width) + "x" + std::to_string(height);
}

// What keeps the caption of a button, label or link from fitting; none for other controls.
std::optional<std::string> CaptionProblem(HWND control, const std::string& className) {
  const std::string text = testing::TextOf(control);
  const LONG style = ::GetWindowLongA(control, GWL_STYLE);
  const RECT client = testing::ClientOf(control);
  if (text.empty()) return std::nullopt;
  if (className == "SysLink") {
    return FitProblem(control, WithoutMarkup(text), client.right, client.bottom, DT_WORDBREAK | DT_NOPREFIX);
  }
  if (className == "Static") {
    const LONG type = style & SS_TYPEMASK;
    const bool wraps = type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT;
    if (!wraps && type != SS_SIMPLE && type != SS_LEFTNOWORDWRAP) return std::nullopt;  // pictures
    const UINT format = (wraps ? DT_WORDBREAK : DT_SINGLELINE) | ((style & SS_NOPREFIX) != 0 ? DT_NOPREFIX : 0) |
                        ((style & SS_EDITCONTROL) != 0 ? DT_EDITCONTROL : 0);
    return FitProblem(control, text, client.right, client.bottom, format);
  }
  if (className != "Button") return std::nullopt;
  const LONG type = style & BS_TYPEMASK;
  const UINT format = (style & BS_MULTILINE) != 0 ? DT_WORDBREAK : DT_SINGLELINE;
  if (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON) {
    const int box = ::GetSystemMetrics(SM_CXMENUCHECK) + Scaled(4);
    return FitProblem(control, text, client.right - box, client.bottom, format);
  }
  if (type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON) return std::nullopt;
  const int inset = Scaled(3);  // the edge and the focus rectangle
  return FitProblem(control, text, client.right - 2 * inset, client.bottom - 2 * inset, format);
}

// Texts of a control's items (tabs, list entries, column headers), each with the room it
// has; a tab outside the strip needs scroll arrows and counts as not fitting.
std::string ItemsProblem(HWND control, const std::string& className) {
  const RECT client = testing::ClientOf(control);
  char text[256] = {};
  if (className == WC_TABCONTROLA) {
    for (int i = 0; i < TabCtrl_GetItemCount(control); ++i) {
      TCITEMA item{TCIF_TEXT, 0, 0, text, static_cast<int>(sizeof text), 0, 0};
      RECT bounds{};
      ::SendMessageA(control, TCM_GETITEMA, i, reinterpret_cast<LPARAM>(&item));
      TabCtrl_GetItemRect(control, i, &bounds);
      const int width = Drawn(control, text, 0, DT_SINGLELINE).cx;
      if (bounds.left < 0 || bounds.right > client.right || width > bounds.right - bounds.left) {
        return std::string("tab \"") + text + "\" does not fit";
      }
    }
  }
  if (className == "ComboBox") {
    const int room = client.right - ::GetSystemMetrics(SM_CXVSCROLL) - Scaled(4);
    for (LRESULT i = 0; i < ::SendMessageA(control, CB_GETCOUNT, 0, 0); ++i) {
      ::SendMessageA(control, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
      if (Drawn(control, text, 0, DT_SINGLELINE | DT_NOPREFIX).cx > room) {
        return std::string("item \"") + text + "\" does not fit";
      }
    }
  }
  const HWND header = className == WC_LISTVIEWA ? ListView_GetHeader(control) : nullptr;
  for (int i = 0; header != nullptr && ::IsWindowVisible(header) && i < Header_GetItemCount(header); ++i) {
    HDITEMA item{};
    item.mask = HDI_TEXT;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    RECT bounds{};
    ::SendMessageA(header, HDM_GETITEMA, i, reinterpret_cast<LPARAM>(&item));
    Header_GetItemRect(header, i, &bounds);
    if (Drawn(header, text, 0, DT_SINGLELINE | DT_NOPREFIX).cx + Scaled(12) > bounds.right - bounds.left) {
      return std::string("column \"") + text + "\" does not fit";
    }
  }
  return {};
}

bool InsideItsWindow(HWND control) {
  RECT bounds = testing::BoundsOf(control);
  const RECT room = testing::ClientOf(::GetParent(control));
  ::MapWindowPoints(nullptr, ::GetParent(control), reinterpret_cast<POINT*>(&bounds), 2);
  return bounds.left >= 0 && bounds.top >= 0 && bounds.right <= room.right && bounds.bottom <= room.bottom;
}

// What does not fit in `window` and its visible descendants, one line each, named by `name`.
std::vector<std::string> TextFitProblems(HWND window, const std::string& name) {
  struct Walk {
    HWND window;
    const std::string& name;
    std::vector<std::string> problems;
  } walk{window, name, {}};
  ::EnumChildWindows(window, [](HWND child, LPARAM parameter) -> BOOL {
    auto& found = *reinterpret_cast<Walk*>(parameter);
    if (!::IsWindowVisible(child)) return TRUE;
    char className[64] = {};
    ::GetClassNameA(child, className, sizeof className);
    std::string problem;
    // The parts common controls make of themselves (a picker's arrows) are theirs to place.
    if (::GetParent(child) == found.window && !InsideItsWindow(child)) problem = "lies outside its window";
    else if (const auto caption = CaptionProblem(child, className)) problem = *caption;
    else problem = ItemsProblem(child, className);
    if (!problem.empty()) {
      found.problems.push_back(found.name + ": " + className + " \"" + testing::TextOf(child) + "\" " + problem);
    }
    return TRUE;
  }, reinterpret_cast<LPARAM>(&walk));
  return walk.problems;
}

// The window as it is on screen (its frame included), as a 24-bit BMP file; false when it
// could not be read or written.
bool SaveWindowBitmap(HWND window, const std::string& path) {
  const RECT bounds = testing::BoundsOf(window);
  const int width = bounds.right - bounds.left;
  const int height = bounds.bottom - bounds.top;
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  const app::UniqueGdiObject image(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  const app::UniqueMemoryDc memory(::CreateCompatibleDC(nullptr));
  if (width <= 0 || height <= 0 || !image || !memory) return false;
  const HGDIOBJ previous = ::SelectObject(memory.get(), image.get());
  const HDC source = ::GetWindowDC(window);
  const bool copied = ::BitBlt(memory.get(), 0, 0, width, height, source, 0, 0, SRCCOPY) != FALSE;
  ::ReleaseDC(window, source);
  ::SelectObject(memory.get(), previous);
  ::GdiFlush();
  const DWORD size = static_cast<DWORD>(((width * 3 + 3) & ~3) * height);
  const DWORD headers = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
  const BITMAPFILEHEADER file{0x4D42, headers + size, 0, 0, headers};
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(&file), sizeof file);
  out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
  out.write(static_cast<const char*>(bits), size);
  return copied && out.good();
}

// A scan that finds nothing, for the pages after a session.
struct NoPhases final : public scan::CookieScan, public scan::ProcessScan,
                        public scan::RegistryScan, public scan::FileScan {
  void ScanCookies(std::int32_t&) override {}
  void ScanRunningProcesses() override {}
  void ScanRegistryDefinitions() override {}
  void ScanFileDefinitions() override {}
};

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
    std::error_code ignored;
    std::filesystem::remove_all(folderPath, ignored);
    ::RegDeleteTreeA(HKEY_CURRENT_USER, ("Software\\VB and VBA Program Settings\\" + app).c_str());
  }

  HWND Main() const { return main.Handle(); }
  void ShowTab(int tab) {
    core::ShowPage(form, form.frmOptions);
    form.TabStrip1.Select(tab);
    core::ShowSelectedTab(form);
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

// A modal window titled `title`, opened by `show`: visited from a thread beside it and then
// closed with `closeCommand`.
Opening Modal(const char* name, const char* title, int closeCommand, void (*show)(ProgramWindows&)) {
  return {name, [=](ProgramWindows& p, const Visit& visit) {
            testing::DialogUser user(title, [&](HWND window) {
              visit(window);
              ::PostMessageA(window, WM_COMMAND, static_cast<WPARAM>(closeCommand), 0);
            });
            show(p);
            user.Join();
            EXPECT_TRUE(user.found) << "no window \"" << title << "\"";
          }};
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
       // Enter on the link opens the website; a Show from behind another window raises the box.
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
    Modal("report-viewer", "Kestrian Log", IDCANCEL, [](ProgramWindows& p) {
      report::ViewLog(p.machine.Get().files, p.folder, p.host, p.form, p.report, p.version.productName);
    }),
    Modal("really-delete", "Really Delete?", IDNO, [](ProgramWindows& p) {
      p.host.ShowMessage(p.removal.ConfirmationText(), "Really Delete?", ui::MessageButtons::YesNo,
                         ui::MessageIcon::None);
    }),
    {"tray-popup", [](ProgramWindows& p, const Visit& visit) {
       p.tray.Open(true, false);
       const auto slidUp = [&, top = LONG{-1}, since = ::GetTickCount()]() mutable {
         const LONG now = testing::BoundsOf(p.tray.Handle()).top;
         if (now != top) top = now, since = ::GetTickCount();
         return ::GetTickCount() - since > 200;
       };
       EXPECT_TRUE(testing::PumpUntil(p.host, slidUp, 10000));
       visit(p.tray.Handle());
       ::PostMessageA(p.tray.Handle(), WM_COMMAND, IDCANCEL, 0);
       EXPECT_TRUE(testing::PumpUntil(p.host, [&] { return !p.tray.IsOpen(); }, 10000));
     }},
    {"download-window", [](ProgramWindows& p, const Visit& visit) {
       p.download.Show();
       p.download.Form().lblStatus.SetCaption("Getting Executable Definitions... please wait...");
       visit(p.download.Handle());
       p.download.Close();
     }},
    {"update-notice", [](ProgramWindows& p, const Visit& visit) {
       p.notice.Show();
       const auto risen = [&] { return !p.notice.Form().tmrPopupSignatureUpdate.Enabled(); };
       EXPECT_TRUE(testing::PumpUntil(p.host, risen, 10000));
       visit(p.notice.Handle());
       p.notice.Close();
     }},
    {"spyware-alert", [](ProgramWindows& p, const Visit& visit) {
       p.spywareAlert.Show("No Company name for TOOLBARHELPER.EXE", "TOOLBARHELPER.EXE",
                           {4242, "C:\\Toolbar\\toolbarhelper.exe"});
       visit(p.spywareAlert.Handle());
       ::PostMessageA(p.spywareAlert.Handle(), WM_COMMAND, IDCANCEL, 0);
       EXPECT_TRUE(testing::PumpUntil(p.host, [&] { return p.spywareAlert.Handle() == nullptr; }, 10000));
     }},
    Modal("home-page-alert", "Kestrian Home Page Protection", IDCANCEL, [](ProgramWindows& p) {
      p.homePageAlert.Ask(protect::HomePageChangedMessage(p.version.productName, "http://www.kestrian.example/",
                                                          "http://search.toolbar.example/home?id=7"));
    }),
};

TEST(TextFit, EveryCaptionFitsItsControl) {
  const INITCOMMONCONTROLSEX classes{
      sizeof classes, ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS | ICC_TAB_CLASSES | ICC_DATE_CLASSES | ICC_LINK_CLASS};
  ::InitCommonControlsEx(&classes);
  ProgramWindows program;
  const char* shots = std::getenv("KESTRIAN_SHOTS");
  std::vector<std::string> problems;
  for (const Opening& opening : kWindows) {
    opening.open(program, [&](HWND window) {
      ASSERT_NE(window, nullptr) << opening.name;
      ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
      const auto found = TextFitProblems(window, opening.name);
      problems.insert(problems.end(), found.begin(), found.end());
      if (shots != nullptr) {
        EXPECT_TRUE(SaveWindowBitmap(window, std::string(shots) + "\\" + opening.name + ".bmp")) << opening.name;
      }
    });
  }
  EXPECT_EQ(problems, std::vector<std::string>{});
}

}  // namespace
}  // namespace kestrian
