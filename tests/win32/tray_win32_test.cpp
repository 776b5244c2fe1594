// The tray icon and the tray menu as real windows: the icon's record and messages, and the
// popup sliding up at the bottom right, driven with clicks, keys and mouse input.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <type_traits>

#include "win32/window_test_support.h"
#include "app/control_binding.h"
#include "app/tray_icon.h"
#include "app/tray_menu_popup.h"
#include "app/win32_host.h"

namespace kestrian {
namespace {

using testing::BoundsOf;
using testing::MakeOwner;
using testing::ShellHoldsIcon;
using testing::TextOf;
using testing::UniqueWindow;

RECT Screen() {
  RECT screen{};
  ::GetClientRect(::GetDesktopWindow(), &screen);
  return screen;
}

// The taskbar's upper edge, or the bottom of the screen when there is no taskbar below.
LONG TaskbarTop() {
  const LONG bottom = Screen().bottom;
  const HWND taskbar = ::FindWindowA("Shell_TrayWnd", nullptr);
  if (taskbar == nullptr) return bottom;
  const RECT bounds = BoundsOf(taskbar);
  return bounds.top > bottom / 2 ? std::min(bounds.top, bottom) : bottom;
}

// Absolute mouse input, as a user's hand moves it.
void MoveMouseTo(POINT point) {
  const RECT screen = Screen();
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = ::MulDiv(point.x, 65535, screen.right - 1);
  input.mi.dy = ::MulDiv(point.y, 65535, screen.bottom - 1);
  input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  ::SendInput(1, &input, sizeof input);
}

// When a window first moves down from `top` (or goes), watched from another thread: the
// window's own thread waits while the window goes.
class MoveWatcher {
 public:
  MoveWatcher(HWND window, LONG top) : thread_([=, this] { Run(window, top); }) {}
  ~MoveWatcher() {
    stop_ = true;
    thread_.join();
  }
  MoveWatcher(const MoveWatcher&) = delete;
  MoveWatcher& operator=(const MoveWatcher&) = delete;
  DWORD MovedAt() const { return movedAt_; }

 private:
  void Run(HWND window, LONG top) {
    while (!stop_) {
      RECT bounds{};
      if (!::GetWindowRect(window, &bounds) || bounds.top > top) {
        movedAt_ = ::GetTickCount();
        return;
      }
      ::Sleep(5);
    }
  }

  std::atomic<bool> stop_{false};
  std::atomic<DWORD> movedAt_{0};
  std::thread thread_;
};

TEST(TrayTipText, KeepsAShortText) {
  EXPECT_EQ(app::TrayTipText(""), "");
  EXPECT_EQ(app::TrayTipText("Kestrian"), "Kestrian");
}

TEST(TrayTipText, CutsALongTextAt63Characters) {
  const std::string exact(63, 'x');
  EXPECT_EQ(app::TrayTipText(exact), exact);
  EXPECT_EQ(app::TrayTipText(exact + "yz"), exact);
  EXPECT_EQ(app::TrayTipText(std::string(200, 'a')).size(), 63u);
}

TEST(TrayActionOfMessage, RecognisesTheTwoIconMessages) {
  const struct {
    UINT message;
    app::TrayAction action;
  } table[] = {
      {WM_LBUTTONDBLCLK, app::TrayAction::RestoreWindow},
      {WM_RBUTTONUP, app::TrayAction::ShowMenu},
      {WM_MOUSEMOVE, app::TrayAction::None},
      {WM_LBUTTONDOWN, app::TrayAction::None},
      {WM_LBUTTONUP, app::TrayAction::None},
      {WM_RBUTTONDOWN, app::TrayAction::None},
      {WM_RBUTTONDBLCLK, app::TrayAction::None},
      {WM_MBUTTONUP, app::TrayAction::None},
      {0, app::TrayAction::None},
  };
  for (const auto& row : table) {
    EXPECT_EQ(app::ActionOfTrayMessage(static_cast<LPARAM>(row.message)), row.action) << row.message;
  }
}

// Under Wine without a window manager, every removal of an icon takes two seconds.
TEST(TrayIconOnWindows, ShowAndRemoveFlipRunningInTray) {
  const UniqueWindow owner = MakeOwner("Kestrian tray owner");
  app::TrayIcon icon;
  EXPECT_FALSE(icon.RunningInTray());
  icon.ShowIcon(owner.get(), "Kestrian");
  EXPECT_TRUE(icon.RunningInTray());
  EXPECT_TRUE(ShellHoldsIcon(owner.get()));
  icon.ShowIcon(owner.get(), "Kestrian again");  // shown twice: still one icon, still shown
  EXPECT_TRUE(icon.RunningInTray());
  icon.ChangeToolTip(std::string(100, 't'));
  EXPECT_TRUE(icon.RunningInTray());
  icon.RemoveIcon();
  EXPECT_FALSE(icon.RunningInTray());
  EXPECT_FALSE(ShellHoldsIcon(owner.get()));
}

TEST(TrayIconOnWindows, ChangingTheTipOutsideTheTrayShowsNothing) {
  const UniqueWindow owner = MakeOwner("Kestrian tray owner");
  app::TrayIcon icon;
  icon.ChangeToolTip("Getting latest definitions.");
  EXPECT_FALSE(icon.RunningInTray());
  EXPECT_FALSE(ShellHoldsIcon(owner.get()));
  icon.RemoveIcon();
  EXPECT_FALSE(icon.RunningInTray());
}

TEST(TrayIconOnWindows, GoesWithItsOwner) {
  const UniqueWindow owner = MakeOwner("Kestrian tray owner");
  ::SendMessageA(owner.get(), WM_SETICON, ICON_SMALL,
                 reinterpret_cast<LPARAM>(::LoadIconA(nullptr, IDI_INFORMATION)));
  {
    app::TrayIcon icon;
    icon.ShowIcon(owner.get(), "Kestrian");
    EXPECT_TRUE(ShellHoldsIcon(owner.get()));
  }
  EXPECT_FALSE(ShellHoldsIcon(owner.get()));
}

TEST(TrayPopupPlacement, TwipsAtTheScreensDpi) {
  EXPECT_EQ(app::TwipsToPixels(1440, 96), 96);
  EXPECT_EQ(app::TwipsToPixels(4215, 96), 281);
  EXPECT_EQ(app::TwipsToPixels(1500, 96), 100);
  EXPECT_EQ(app::TwipsToPixels(100, 96), 7);
  EXPECT_EQ(app::TwipsToPixels(1500, 144), 150);
}

TEST(TrayPopupPlacement, StartsAtTheTaskbarAndStopsAboveIt) {
  const auto placement = app::PlaceTrayPopup({1024, 768}, 30, {289, 120}, 96);
  EXPECT_EQ(placement.left, 1024 - 289);
  EXPECT_EQ(placement.startTop, 738);
  EXPECT_EQ(placement.targetTop, 738 - 120);
}

TEST(TrayPopupPlacement, WithoutATaskbarStops100TwipsAboveTheBottom) {
  const auto placement = app::PlaceTrayPopup({1024, 768}, 0, {289, 120}, 96);
  EXPECT_EQ(placement.startTop, 768);
  EXPECT_EQ(placement.targetTop, 768 - 120 - 7);
}

class TrayMenuPopupOnWindows : public ::testing::Test {
 protected:
  TrayMenuPopupOnWindows() { ::SetCursorPos(0, 0); }

  bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    return testing::PumpUntil(host, done, timeoutMs);
  }
  void PumpFor(DWORD milliseconds) { PumpUntil([] { return false; }, milliseconds); }
  bool WaitClosed(DWORD timeoutMs = 2000) {
    return PumpUntil([this] { return !popup.IsOpen(); }, timeoutMs);
  }
  // Until it has slid up to where it stays.
  bool WaitSlidUp() {
    LONG previous = BoundsOf(popup.Handle()).top;
    for (int i = 0; i < 40 && popup.IsOpen(); ++i) {
      PumpFor(50);
      const RECT bounds = BoundsOf(popup.Handle());
      if (bounds.top == previous && bounds.bottom <= TaskbarTop()) return true;
      previous = bounds.top;
    }
    return false;
  }
  HWND Item(const char* caption) const {
    return ::FindWindowExA(popup.Handle(), nullptr, "Button", caption);
  }

  UniqueWindow owner = MakeOwner("Kestrian tray owner");
  app::Win32Host host;
  int shown = 0;
  int exited = 0;
  app::TrayMenuPopup popup{host, owner.get(), "Kestrian", [this] { ++shown; }, [this] { ++exited; }};
};

TEST_F(TrayMenuPopupOnWindows, SlidesUpAtTheBottomRightAboveTheTaskbar) {
  EXPECT_FALSE(popup.IsOpen());
  popup.Open(true, true);
  ASSERT_TRUE(popup.IsOpen());
  const HWND window = popup.Handle();
  EXPECT_TRUE(::IsWindowVisible(window));
  EXPECT_EQ(TextOf(window), "Kestrian");
  EXPECT_EQ(::GetWindow(window, GW_OWNER), owner.get());
  const LONG_PTR exStyle = ::GetWindowLongPtrA(window, GWL_EXSTYLE);
  EXPECT_TRUE(exStyle & WS_EX_TOPMOST);
  EXPECT_TRUE(exStyle & WS_EX_TOOLWINDOW);
  const LONG startTop = BoundsOf(window).top;
  EXPECT_GE(startTop, TaskbarTop() - 1);
  ASSERT_TRUE(WaitSlidUp());
  const RECT bounds = BoundsOf(window);
  EXPECT_EQ(bounds.right, Screen().right);
  EXPECT_LE(bounds.bottom, TaskbarTop());
  EXPECT_GT(bounds.bottom, TaskbarTop() - 20);
  RECT client{};
  ::GetClientRect(window, &client);
  const int dpi = app::ScreenDpi();
  EXPECT_EQ(client.right, app::TwipsToPixels(4215, dpi));
  EXPECT_EQ(client.bottom, app::TwipsToPixels(1500, dpi));
  PumpFor(100);
  EXPECT_EQ(BoundsOf(window).top, bounds.top);  // stays there
}

TEST_F(TrayMenuPopupOnWindows, OffersTheThreeItemsEnabledAsAsked) {
  popup.Open(false, true);
  const HWND show = Item("Show Program");
  const HWND exit = Item("Exit Program");
  const HWND close = Item("Close This Menu");
  ASSERT_NE(show, nullptr);
  ASSERT_NE(exit, nullptr);
  ASSERT_NE(close, nullptr);
  EXPECT_TRUE(::IsWindowEnabled(show));
  EXPECT_FALSE(::IsWindowEnabled(exit));
  EXPECT_TRUE(::IsWindowEnabled(close));
  EXPECT_TRUE(::IsWindowVisible(show) && ::IsWindowVisible(exit) && ::IsWindowVisible(close));
  popup.Open(true, false);  // open already: only the items change
  EXPECT_FALSE(::IsWindowEnabled(show));
  EXPECT_TRUE(::IsWindowEnabled(exit));
  EXPECT_EQ(::GetFocus(), exit);
}

TEST_F(TrayMenuPopupOnWindows, EachItemRunsItsActionAndTheMenuSlidesAway) {
  const struct {
    const char* item;
    int shown;
    int exited;
  } cases[] = {
      {"Close This Menu", 0, 0},
      {"Show Program", 1, 0},
      {"Exit Program", 0, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.item);
    shown = exited = 0;
    popup.Open(true, true);
    ::SendMessageA(Item(c.item), BM_CLICK, 0, 0);
    EXPECT_EQ(shown, c.shown);
    EXPECT_EQ(exited, c.exited);
    EXPECT_TRUE(WaitClosed());
    EXPECT_EQ(popup.Handle(), nullptr);
  }
}

TEST_F(TrayMenuPopupOnWindows, ADisabledItemDoesNothing) {
  popup.Open(false, false);
  for (const HWND item : {Item("Exit Program"), Item("Show Program")}) {
    ::SendMessageA(popup.Handle(), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(item), BN_CLICKED),
                   reinterpret_cast<LPARAM>(item));
  }
  EXPECT_EQ(exited, 0);
  EXPECT_EQ(shown, 0);
  EXPECT_TRUE(popup.IsOpen());
}

TEST_F(TrayMenuPopupOnWindows, EscapeClosesIt) {
  popup.Open(true, true);
  PumpFor(20);
  ASSERT_EQ(::GetFocus(), Item("Show Program"));
  testing::PostKey(::GetFocus(), VK_ESCAPE);
  EXPECT_TRUE(WaitClosed());
  EXPECT_EQ(shown, 0);
}

TEST_F(TrayMenuPopupOnWindows, TabAndEnterChooseAnItem) {
  popup.Open(true, true);
  PumpFor(20);
  testing::PostKey(::GetFocus(), VK_TAB);
  PumpFor(20);
  EXPECT_EQ(::GetFocus(), Item("Exit Program"));
  testing::PostKey(::GetFocus(), VK_RETURN);
  EXPECT_TRUE(WaitClosed());
  EXPECT_EQ(exited, 1);
  EXPECT_EQ(shown, 0);
}

// Under Wine without a window manager, the popup takes two more seconds to go once shown.
TEST_F(TrayMenuPopupOnWindows, StaysWhileTheMouseMovesOverItAndClosesTwoSecondsAfter) {
  popup.Open(true, true);
  ASSERT_TRUE(WaitSlidUp());
  const RECT bounds = BoundsOf(popup.Handle());
  const POINT middle{(bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2};
  for (int step = 0; step < 30 && popup.IsOpen(); ++step) {  // 3 seconds of small moves
    MoveMouseTo({middle.x + step % 2 * 3, middle.y});
    PumpFor(100);
  }
  ASSERT_TRUE(popup.IsOpen());
  EXPECT_EQ(BoundsOf(popup.Handle()).top, bounds.top);
  MoveMouseTo({0, 0});
  const DWORD still = ::GetTickCount();
  const MoveWatcher watcher(popup.Handle(), bounds.top);
  ASSERT_TRUE(WaitClosed(6000));
  const DWORD elapsed = watcher.MovedAt() - still;
  EXPECT_GE(elapsed, 1900u);
  EXPECT_LE(elapsed, 3000u);
  EXPECT_EQ(shown + exited, 0);
}

TEST_F(TrayMenuPopupOnWindows, ClosesWithItsOwner) {
  popup.Open(true, true);
  owner.reset();
  EXPECT_FALSE(popup.IsOpen());
  EXPECT_EQ(popup.Handle(), nullptr);
}

}  // namespace
}  // namespace kestrian
