// The tray icon and the tray menu as real windows: the icon's record and messages, and the
// popup sliding up at the bottom right, driven with clicks, keys and mouse input.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "app/tray_icon.h"
#include "app/tray_menu_popup.h"
#include "app/win32_host.h"
#include "win32/window_test_support.h"

namespace kestrian {
namespace {

RECT Screen() { return testing::ClientOf(::GetDesktopWindow()); }

// The taskbar's upper edge, or the bottom of the screen when there is no taskbar below.
LONG TaskbarTop() {
  const LONG bottom = Screen().bottom;
  const HWND taskbar = ::FindWindowA("Shell_TrayWnd", nullptr);
  const LONG top = taskbar == nullptr ? bottom : testing::BoundsOf(taskbar).top;
  return top > bottom / 2 ? std::min(top, bottom) : bottom;
}

void MoveMouseTo(POINT point) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = ::MulDiv(point.x, 65535, Screen().right - 1);
  input.mi.dy = ::MulDiv(point.y, 65535, Screen().bottom - 1);
  input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  ::SendInput(1, &input, sizeof input);
}

// Shown twice, it is still one icon. (RemoveIcon is the download window's tests'.) Under Wine
// without a window manager, every removal takes two seconds.
TEST(TrayIconOnWindows, KeepsItsTipKnowsItsMessagesAndIsOneIconThatGoesWithTheObject) {
  const std::string exact(63, 'x');
  EXPECT_EQ(app::TrayTipText(exact + "yz"), exact);
  EXPECT_EQ(app::TrayTipText("Kestrian"), "Kestrian");
  EXPECT_EQ(app::ActionOfTrayMessage(WM_LBUTTONDBLCLK), app::TrayAction::RestoreWindow);
  EXPECT_EQ(app::ActionOfTrayMessage(WM_RBUTTONUP), app::TrayAction::ShowMenu);
  for (const UINT other : {WM_MOUSEMOVE, WM_LBUTTONUP, WM_RBUTTONDOWN, WM_RBUTTONDBLCLK}) {
    EXPECT_EQ(app::ActionOfTrayMessage(other), app::TrayAction::None) << other;
  }
  testing::UniqueWindow owner = testing::MakeOwner("Kestrian tray owner");
  {
    app::TrayIcon icon;
    EXPECT_FALSE(icon.RunningInTray());
    icon.ShowIcon(owner.get(), "Kestrian");
    icon.ShowIcon(owner.get(), "Kestrian again");
    icon.ChangeToolTip(std::string(100, 't'));
    EXPECT_TRUE(icon.RunningInTray());
    EXPECT_TRUE(testing::ShellHoldsIcon(owner.get()));
  }
  EXPECT_FALSE(testing::ShellHoldsIcon(owner.get()));
}

// Under Wine without a window manager, the popup takes two more seconds to go once shown.
TEST(TrayMenuPopupOnWindows, SlidesUpWithItsItemsStaysWhileTheMouseMovesAndEachItemRunsItsAction) {
  ::SetCursorPos(0, 0);
  testing::UniqueWindow owner = testing::MakeOwner("Kestrian tray owner");
  app::Win32Host host;
  int shown = 0;
  int exited = 0;
  app::TrayMenuPopup popup{host, owner.get(), "Kestrian", [&shown] { ++shown; }, [&exited] { ++exited; }};
  const auto pumpUntil = [&host](const std::function<bool()>& done, DWORD timeoutMs = 30000) {
    return testing::PumpUntil(host, done, timeoutMs);
  };
  const auto waitClosed = [&] { return pumpUntil([&] { return !popup.IsOpen(); }); };
  const auto item = [&popup](const char* caption) { return testing::ChildOf(popup.Handle(), "Button", caption); };
  popup.Open(false, true);
  ASSERT_TRUE(popup.IsOpen());
  const HWND window = popup.Handle();
  EXPECT_TRUE(::IsWindowVisible(window));
  EXPECT_EQ(testing::TextOf(window), "Kestrian");
  EXPECT_EQ(::GetWindow(window, GW_OWNER), owner.get());
  const LONG_PTR exStyle = ::GetWindowLongPtrA(window, GWL_EXSTYLE);
  EXPECT_TRUE((exStyle & WS_EX_TOPMOST) && (exStyle & WS_EX_TOOLWINDOW));
  EXPECT_GE(testing::BoundsOf(window).top, TaskbarTop() - 1);  // starts behind the taskbar
  // Until it has slid up to where it stays: above the taskbar, no longer moving.
  ASSERT_TRUE(pumpUntil([&, top = LONG{-1}, since = ::GetTickCount()]() mutable {
    const RECT now = testing::BoundsOf(popup.Handle());
    if (now.top != top) top = now.top, since = ::GetTickCount();
    return now.bottom <= TaskbarTop() && ::GetTickCount() - since > 300;
  }));
  const RECT bounds = testing::BoundsOf(window);
  EXPECT_EQ(bounds.right, Screen().right);
  EXPECT_GT(bounds.bottom, TaskbarTop() - 20);
  EXPECT_LT(bounds.top, TaskbarTop() - 40);

  for (const auto& [caption, enabled] :
       {std::pair("Show Program", true), std::pair("Exit Program", false), std::pair("Close This Menu", true)}) {
    ASSERT_NE(item(caption), nullptr) << caption;
    EXPECT_TRUE(::IsWindowVisible(item(caption))) << caption;
    EXPECT_EQ(::IsWindowEnabled(item(caption)) != FALSE, enabled) << caption;
  }
  popup.Open(true, false);  // open already: only the items change
  EXPECT_EQ(popup.Handle(), window);
  EXPECT_FALSE(::IsWindowEnabled(item("Show Program")));
  EXPECT_TRUE(::IsWindowEnabled(item("Exit Program")));
  EXPECT_EQ(::GetFocus(), item("Exit Program"));
  const HWND disabled = item("Show Program");
  ::SendMessageA(window, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(disabled), BN_CLICKED), reinterpret_cast<LPARAM>(disabled));
  EXPECT_EQ(shown, 0);
  EXPECT_TRUE(popup.IsOpen());

  // It stays while the mouse moves over it, and goes two seconds after it has left.
  const POINT middle{(bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2};
  DWORD lastMoveOver = 0;
  for (int step = 0; step < 30 && popup.IsOpen(); ++step) {  // 3 seconds of small moves
    lastMoveOver = ::GetTickCount();
    MoveMouseTo({middle.x + step % 2 * 3, middle.y});
    pumpUntil([] { return false; }, 100);
  }
  ASSERT_TRUE(popup.IsOpen());
  EXPECT_EQ(testing::BoundsOf(window).top, bounds.top);
  MoveMouseTo({0, 0});
  const DWORD still = ::GetTickCount();
  // When it first moves down (or goes), watched from another thread: the popup's own thread
  // waits while it goes.
  std::atomic<DWORD> movedAt{0};
  std::thread watcher([&] {
    RECT now{};
    while (::GetWindowRect(window, &now) && now.top <= bounds.top && ::GetTickCount() - still < 30000) ::Sleep(5);
    movedAt = ::GetTickCount();
  });
  EXPECT_TRUE(waitClosed());
  watcher.join();
  // Counted from the last move over it: a busy test thread makes the mouse leave later.
  EXPECT_GE(movedAt - lastMoveOver, 1900u);  // a slow machine only makes it later,
  EXPECT_LT(movedAt - still, 5000u);  // yet its ticks are tenths of a second, not more
  EXPECT_EQ(shown + exited, 0);

  const struct {
    const char* what;
    std::function<void()> choose;
    int shown;
    int exited;
  } cases[] = {
      {"Close This Menu", [&] { ::SendMessageA(item("Close This Menu"), BM_CLICK, 0, 0); }, 0, 0},
      {"Show Program", [&] { ::SendMessageA(item("Show Program"), BM_CLICK, 0, 0); }, 1, 0},
      {"Exit Program", [&] { ::SendMessageA(item("Exit Program"), BM_CLICK, 0, 0); }, 0, 1},
      {"Escape", [&] { testing::PostKey(::GetFocus(), VK_ESCAPE); }, 0, 0},
      {"Tab, Enter", [&] {
         testing::PostKey(::GetFocus(), VK_TAB);
         ASSERT_TRUE(pumpUntil([&] { return ::GetFocus() == item("Exit Program"); }));
         testing::PostKey(::GetFocus(), VK_RETURN);
       }, 0, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    shown = exited = 0;
    popup.Open(true, true);
    ASSERT_TRUE(pumpUntil([&] { return ::GetFocus() == item("Show Program"); }));
    c.choose();
    EXPECT_TRUE(waitClosed());
    EXPECT_EQ(shown, c.shown);
    EXPECT_EQ(exited, c.exited);
    EXPECT_EQ(popup.Handle(), nullptr);
  }
}

}  // namespace
}  // namespace kestrian
