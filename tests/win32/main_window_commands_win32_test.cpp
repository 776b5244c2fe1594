// The main window with the program's own common controls (built with its manifest), its
// menu bar and the end of the Windows session. (Clicks reaching a scan are the e2e runs'.)
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "app/main_menu.h"
#include "app/main_window.h"
#include "core/main_window_pages.h"
#include "app/win32_host.h"
#include "win32/window_test_support.h"

namespace kestrian {
namespace {

std::string MenuText(HMENU menu, int position) {
  char text[128] = {};
  ::GetMenuStringA(menu, static_cast<UINT>(position), text, sizeof text, MF_BYPOSITION);
  return text;
}

class MainWindowCommands : public ::testing::Test {
 protected:
  MainWindowCommands() {
    const INITCOMMONCONTROLSEX classes{sizeof classes, ICC_TAB_CLASSES | ICC_LINK_CLASS};
    ::InitCommonControlsEx(&classes);
    window.Create(::GetModuleHandleA(nullptr), "Kestrian commands test");
    window.OnClosing([this] { ++closings; });
    window.OnCloseWhileBusy([this] { ++stopsAsked; });
    ::ShowWindow(window.Handle(), SW_SHOWNORMAL);
    ::UpdateWindow(window.Handle());
  }
  ~MainWindowCommands() override {
    // The window's end asks the thread to quit; the next test's windows must not see it.
    MSG quit;
    while (::PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {}
  }
  void Click(HWND control) {
    ::PostMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
    ::PostMessageA(control, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
    testing::DispatchPending(host);
  }

  ui::FrmMain form;
  app::Win32Host host;
  app::MainWindow window{form, host};
  int closings = 0;
  int stopsAsked = 0;
};

// The link while enabled, the tip, the progress bar in hundredths, Shift alone on a button,
// and a check box on an options tab painted on the tab's page, not in a box of the window's
// own colour: the box's empty right end has the colour of the page just below it.
TEST_F(MainWindowCommands, TheCommonControlsShowAndTakeWhatTheModelSays) {
  int views = 0;
  window.OnClick(form.lblViewLogFile, [&] { ++views; });
  const HWND link = window.NativeOf(form.lblViewLogFile);
  ASSERT_NE(link, nullptr);
  Click(link);
  EXPECT_EQ(views, 1);
  form.lblViewLogFile.SetEnabled(false);  // while the report is shown
  Click(link);
  EXPECT_EQ(views, 1);

  HWND tips = nullptr;
  ::EnumThreadWindows(::GetCurrentThreadId(), [](HWND candidate, LPARAM found) -> BOOL {
    char name[64] = {};
    ::GetClassNameA(candidate, name, sizeof name);
    if (lstrcmpiA(name, TOOLTIPS_CLASSA) == 0) *reinterpret_cast<HWND*>(found) = candidate;
    return TRUE;
  }, reinterpret_cast<LPARAM>(&tips));
  ASSERT_NE(tips, nullptr);
  char text[128] = {};
  TTTOOLINFOA tool{};
  tool.cbSize = sizeof tool;
  tool.hwnd = window.Handle();
  tool.uId = reinterpret_cast<UINT_PTR>(window.NativeOf(form.chkRunAtStartup));
  tool.lpszText = text;
  ::SendMessageA(tips, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&tool));
  EXPECT_STREQ(text, "Click this option to automatically run at startup");

  form.pb2.SetValue(41);
  EXPECT_EQ(::SendMessageA(window.NativeOf(form.pb2), PBM_GETPOS, 0, 0), 4100);

  std::vector<bool> reports;
  window.OnMouseDown(form.cmdUpdate, [&](bool shiftAlone) { reports.push_back(shiftAlone); });
  const HWND button = window.NativeOf(form.cmdUpdate);
  ASSERT_NE(button, nullptr);
  const std::pair<UINT, WPARAM> presses[] = {{WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT},
                                             {WM_RBUTTONDOWN, MK_RBUTTON | MK_SHIFT},
                                             {WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT | MK_CONTROL},
                                             {WM_LBUTTONDOWN, MK_LBUTTON}};
  for (const auto& [message, keys] : presses) {
    ::SendMessageA(button, message, keys, MAKELPARAM(5, 5));
    ::SendMessageA(button, message + 1, keys & ~(MK_LBUTTON | MK_RBUTTON), MAKELPARAM(5, 5));
  }
  EXPECT_EQ(reports, (std::vector<bool>{true, true, false, false}));

  core::ShowPage(form, form.frmOptions);
  form.TabStrip1.Select(2);
  core::ShowSelectedTab(form);
  ::RedrawWindow(window.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  RECT box = testing::BoundsOf(window.NativeOf(form.chkRunAtStartup));
  ::MapWindowPoints(nullptr, window.Handle(), reinterpret_cast<POINT*>(&box), 2);
  const HDC dc = ::GetDC(window.Handle());
  const COLORREF insideBox = ::GetPixel(dc, box.right - 2, (box.top + box.bottom) / 2);
  const COLORREF page = ::GetPixel(dc, box.right - 2, box.bottom + 4);
  const COLORREF grey = ::GetSysColor(COLOR_BTNFACE);
  ::ReleaseDC(window.Handle(), dc);
  EXPECT_NE(page, grey);  // the page has a colour of its own under the theme
  EXPECT_EQ(insideBox, page);
}

// The bar keeps the client area and shows every item; every item's id reaches its menu's
// handler with its index, while other ids and button clicks reach none; a close during a
// menu command waits for it.
TEST_F(MainWindowCommands, TheMenuBarShowsEveryItemAndTakesItsCommands) {
  using app::Menu;
  app::MenuCommands commands;
  std::vector<app::MenuItemId> chosen;
  for (int menu = 0; menu < app::kMenuCount; ++menu) {
    commands.On(Menu(menu), [&chosen, menu](int index) { chosen.push_back({Menu(menu), index}); });
  }
  const RECT before = testing::ClientOf(window.Handle());
  const HMENU bar = app::BuildMenuBar().release();
  window.SetMenuCommands(bar, [&commands](int id) { return commands.Dispatch(id); });
  ASSERT_EQ(::GetMenu(window.Handle()), bar);
  const RECT client = testing::ClientOf(window.Handle());
  EXPECT_TRUE(::EqualRect(&client, &before));

  // The bar as the user reads it, a line a menu: "|" before each item, "-" a separator,
  // "(off)" after a grayed item; each item's id, as the menu carries it, is posted.
  const HWND main = window.Handle();
  const auto post = [main](int id) { ::PostMessageA(main, WM_COMMAND, MAKEWPARAM(id, 0), 0); };
  std::vector<std::string> lines;
  std::vector<app::MenuItemId> expected;
  for (int m = 0; m < ::GetMenuItemCount(bar); ++m) {
    std::string line = MenuText(bar, m);
    const HMENU popup = ::GetSubMenu(bar, m);
    for (int index = 0; index < ::GetMenuItemCount(popup); ++index) {
      const UINT state = ::GetMenuState(popup, static_cast<UINT>(index), MF_BYPOSITION);
      line += '|';
      line += (state & MF_SEPARATOR) ? "-" : MenuText(popup, index);
      if (state & MF_SEPARATOR) continue;
      if (state & (MF_GRAYED | MF_DISABLED)) line += "(off)";
      post(static_cast<int>(::GetMenuItemID(popup, index)));
      expected.push_back({Menu(m), index});
    }
    lines.push_back(line);
  }
  EXPECT_EQ(lines,
            (std::vector<std::string>{
                "&File|&Scan Now|Scan &Results|&View Log|-|Run &Live Update|Roll &Back Definitions|-|"
                "&Minimize to Tray|-|E&xit",
                "&Settings|Scan &Options|&Proactive Protection|&Schedule|&Auto Update",
                "&Quarantine|View &Quarantine|View &Exclusions|&Restore from Quarantine...",
                "&Help|View &Help",
                "&About|&About this software"}));
  for (const int other : {1000, app::kFirstMenuCommand - 1, app::CommandOfMenuItem({Menu::File, 10}),
                          app::CommandOfMenuItem({Menu::About, 1}), app::kFirstMenuCommand + 500}) {
    post(other);
  }
  int clicks = 0;
  window.OnClick(form.cmdScan, [&clicks] { ++clicks; });
  const HWND button = window.NativeOf(form.cmdScan);
  ::PostMessageA(main, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(button), BN_CLICKED), reinterpret_cast<LPARAM>(button));
  EXPECT_TRUE(testing::PumpUntil(host, [&] { return clicks == 1; }, 30000));
  EXPECT_EQ(chosen, expected);
  EXPECT_FALSE(app::MenuCommands().Dispatch(1000));
  EXPECT_TRUE(app::MenuCommands().Dispatch(app::CommandOfMenuItem({Menu::Help, 0})));  // no handler: still its

  bool openDuringCommand = false;
  commands.On(Menu::About, [&](int) {
    ::SendMessageA(main, WM_CLOSE, 0, 0);
    openDuringCommand = ::IsWindow(main) != FALSE;
  });
  post(app::CommandOfMenuItem({Menu::About, 0}));
  EXPECT_TRUE(testing::PumpUntil(host, [main] { return !::IsWindow(main); }, 30000));
  EXPECT_TRUE(openDuringCommand);
  EXPECT_EQ(stopsAsked, 1);
}

// Windows asks first, then ends the session (or an installer closes the program): the
// window never refuses, and ends only when the end really comes. During work the end writes
// its settings at once, asks the work to stop, and the window goes when the work has
// returned; the closing steps run once. (The end of an idle window is e2e_scan_page's.)
TEST_F(MainWindowCommands, TheEndOfTheSessionDuringWorkEndsWhenTheWorkReturns) {
  const HWND main = window.Handle();
  EXPECT_EQ(::SendMessageA(main, WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP), TRUE);
  ::SendMessageA(main, WM_ENDSESSION, FALSE, 0);  // another program refused: nothing ends
  EXPECT_EQ(closings, 0);
  EXPECT_TRUE(::IsWindow(main));
  bool openAfterEnd = false;
  window.OnClick(form.cmdScanNow, [&] {
    ::SendMessageA(main, WM_ENDSESSION, TRUE, 0);
    openAfterEnd = ::IsWindow(main) != FALSE && closings == 1;
  });
  ::SendMessageA(window.NativeOf(form.cmdScanNow), BM_CLICK, 0, 0);
  EXPECT_TRUE(openAfterEnd);
  EXPECT_EQ(stopsAsked, 1);
  EXPECT_EQ(closings, 1);
  EXPECT_FALSE(::IsWindow(main));
}

}  // namespace
}  // namespace kestrian
