// The Live Update windows as real windows: the progress window and the notice of an automatic
// update, loaded through the interfaces the update code uses, driven with clicks, keys and
// timers, and read back through the window manager and the shell.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <type_traits>

#include "win32/window_test_support.h"
#include "app/download_window.h"
#include "app/tray_icon.h"
#include "app/update_notice_window.h"
#include "app/win32_host.h"
#include "update/update_notice.h"

namespace kestrian {
namespace {

using testing::BoundsOf;
using testing::MakeOwner;
using testing::ShellHoldsIcon;
using testing::TextOf;
using testing::UniqueWindow;

// A shown text label of `window` with exactly `text`.
bool ShowsLabel(HWND window, const std::string& text) {
  const HWND label = ::FindWindowExA(window, nullptr, "Static", text.c_str());
  return label != nullptr && ::IsWindowVisible(label);
}

// How many of `window`'s drawn images are on screen.
int ShownImages(HWND window) {
  int shown = 0;
  for (HWND child = ::GetWindow(window, GW_CHILD); child != nullptr;
       child = ::GetWindow(child, GW_HWNDNEXT)) {
    const auto style = ::GetWindowLongPtrA(child, GWL_STYLE);
    if ((style & SS_TYPEMASK) == SS_OWNERDRAW && ::IsWindowVisible(child)) ++shown;
  }
  return shown;
}

class UpdateWindowsOnWindows : public ::testing::Test {
 protected:
  bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    return testing::PumpUntil(host, done, timeoutMs);
  }
  void PumpFor(DWORD milliseconds) {
    PumpUntil([] { return false; }, milliseconds);
  }
  void PressKey(HWND target, WPARAM key) {
    testing::PostKey(target, key);
    PumpFor(20);
  }

  app::Win32Host host;
};

class DownloadWindowOnWindows : public UpdateWindowsOnWindows {
 protected:
  // Under Wine without a window manager, the notification area hides its window when its
  // last icon goes, which takes two seconds; an icon of the suite's own keeps it shown, so
  // that the suite pays that once.
  static void SetUpTestSuite() {
    keepAliveWindow = MakeOwner("Kestrian update owner");
    keepAlive = std::make_unique<app::TrayIcon>();
    keepAlive->ShowIcon(keepAliveWindow.get(), "Kestrian update tests");
  }
  static void TearDownTestSuite() {
    keepAlive.reset();
    keepAliveWindow.reset();
  }
  static inline UniqueWindow keepAliveWindow;
  static inline std::unique_ptr<app::TrayIcon> keepAlive;

  HWND Cancel() const { return ::FindWindowExA(view.Handle(), nullptr, "Button", "Cancel"); }

  UniqueWindow owner = MakeOwner("Kestrian update owner");
  app::DownloadWindow view{host, owner.get(), "Kestrian"};
  ui::FrmDownload& form = view.Form();
};

// Under Wine without a window manager, closing a shown window takes two seconds: one test
// follows the shown window from its start to its Cancel.
TEST_F(DownloadWindowOnWindows, ShowsTheModelWithATrayIconUntilCancel) {
  EXPECT_EQ(view.Handle(), nullptr);
  view.Show();
  const HWND window = view.Handle();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(::IsWindowVisible(window));
  EXPECT_EQ(TextOf(window), "Kestrian Live Update");
  EXPECT_EQ(::GetWindow(window, GW_OWNER), owner.get());
  EXPECT_TRUE(::GetWindowLongPtrA(window, GWL_STYLE) & WS_SYSMENU);
  ASSERT_NE(Cancel(), nullptr);
  EXPECT_TRUE(::IsWindowVisible(Cancel()));
  EXPECT_TRUE(view.InTray());
  EXPECT_TRUE(ShellHoldsIcon(window));

  // The animation has started: its first text, the up image alone, the blink timer running.
  EXPECT_TRUE(ShowsLabel(window, "Connecting to server/downloading....."));
  EXPECT_TRUE(form.tmrBlink.Enabled());
  EXPECT_EQ(ShownImages(window), 1);

  form.lblStatus.SetCaption("Checking for new registry definitions...");
  EXPECT_TRUE(ShowsLabel(window, "Checking for new registry definitions..."));

  // The first blink, 800 ms on: the first step's text and the other image.
  ASSERT_TRUE(
      PumpUntil([&] { return form.lblProduct.Caption() == "Connecting to the Server."; }, 3000));
  EXPECT_TRUE(ShowsLabel(window, "Connecting to the Server."));
  EXPECT_TRUE(form.picDown.Visible());
  EXPECT_EQ(ShownImages(window), 1);

  ::SendMessageA(Cancel(), BM_CLICK, 0, 0);
  EXPECT_EQ(view.Handle(), nullptr);
  EXPECT_FALSE(::IsWindow(window));
  EXPECT_FALSE(view.InTray());
  EXPECT_FALSE(ShellHoldsIcon(window));

  // The update goes on writing to the model: no window, no harm.
  form.lblStatus.SetCaption("Downloading new registry definitions...");
  form.picUp.SetVisible(false);
  form.tmrBlink.SetEnabled(false);
  form.tmrBlink.SetEnabled(true);
  PumpFor(20);
  EXPECT_EQ(view.Handle(), nullptr);  // the model's changes do not bring the window back
  EXPECT_FALSE(view.InTray());
  view.Close();
}

TEST_F(DownloadWindowOnWindows, LoadedHiddenItRunsUnseenUntilEscape) {
  view.LoadHidden();
  const HWND window = view.Handle();
  ASSERT_NE(window, nullptr);
  EXPECT_FALSE(::IsWindowVisible(window));
  EXPECT_TRUE(view.InTray());
  EXPECT_TRUE(ShellHoldsIcon(window));
  EXPECT_TRUE(form.tmrBlink.Enabled());
  form.lblStatus.SetCaption("Checking for new file definitions...");
  EXPECT_NE(::FindWindowExA(window, nullptr, "Static", "Checking for new file definitions..."),
            nullptr);
  view.LoadHidden();  // loaded already: the same window
  EXPECT_EQ(view.Handle(), window);

  // Other mouse messages of the icon leave it hidden.
  for (const UINT mouse : {WM_RBUTTONUP, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_MOUSEMOVE}) {
    ::SendMessageA(window, app::DownloadWindow::kTrayMessage, app::kTrayIconId, mouse);
  }
  EXPECT_FALSE(::IsWindowVisible(window));

  PressKey(Cancel(), VK_ESCAPE);
  EXPECT_EQ(view.Handle(), nullptr);
  EXPECT_FALSE(::IsWindow(window));
  EXPECT_FALSE(view.InTray());
  EXPECT_FALSE(ShellHoldsIcon(window));
  view.Close();
  view.Close();
  EXPECT_EQ(view.Handle(), nullptr);
}

TEST_F(DownloadWindowOnWindows, CloseWithoutALoadDoesNothing) {
  view.Close();
  EXPECT_EQ(view.Handle(), nullptr);
  EXPECT_FALSE(view.InTray());
}

TEST_F(DownloadWindowOnWindows, ADoubleClickOnItsIconShowsItAndItGoesWithItsOwner) {
  view.LoadHidden();
  const HWND window = view.Handle();
  ASSERT_NE(window, nullptr);
  ::SendMessageA(window, app::DownloadWindow::kTrayMessage, app::kTrayIconId, WM_LBUTTONDBLCLK);
  EXPECT_TRUE(::IsWindowVisible(window));
  EXPECT_FALSE(::IsIconic(window));
  owner.reset();
  EXPECT_EQ(view.Handle(), nullptr);
  EXPECT_FALSE(::IsWindow(window));
  EXPECT_FALSE(view.InTray());
  EXPECT_FALSE(ShellHoldsIcon(window));
  form.lblStatus.SetCaption("after the owner");
  view.Close();
}

class UpdateNoticeWindowOnWindows : public UpdateWindowsOnWindows {
 protected:
  HWND Ok() const { return ::FindWindowExA(view.Handle(), nullptr, "Button", "OK"); }

  int oks = 0;
  app::UpdateNoticeWindow view{host, "Kestrian", [this] { ++oks; }};
  ui::FrmSignatureUpdated& form = view.Form();
};

TEST(NoticeScreenMeasures, AreTheDesktopsAndTheNoticesClientArea) {
  const UniqueWindow window(::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 300, 160, nullptr,
                                              nullptr, ::GetModuleHandleA(nullptr), nullptr));
  const update::ScreenMeasures screen = app::MeasureScreenForNotice(window.get());
  RECT desktop{};
  ::GetClientRect(::GetDesktopWindow(), &desktop);
  EXPECT_EQ(screen.desktopWidth, desktop.right);
  EXPECT_EQ(screen.desktopHeight, desktop.bottom);
  EXPECT_EQ(screen.noticeClientWidth, 300);
  EXPECT_GE(screen.taskbarHeight, 0);
  EXPECT_LT(screen.taskbarHeight, desktop.bottom / 2);
}

// The notice is an unmanaged popup: closing it costs no wait.
TEST_F(UpdateNoticeWindowOnWindows, RisesFromTheBottomAsTheModelSaysAndOkRunsOnce) {
  view.Show();
  const HWND window = view.Handle();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(::IsWindowVisible(window));
  EXPECT_EQ(::GetWindow(window, GW_OWNER), nullptr);
  const LONG_PTR exStyle = ::GetWindowLongPtrA(window, GWL_EXSTYLE);
  EXPECT_TRUE(exStyle & WS_EX_TOPMOST);
  EXPECT_TRUE(exStyle & WS_EX_TOOLWINDOW);
  EXPECT_EQ(::GetWindowLongPtrA(window, GWL_STYLE) & WS_CAPTION, WS_BORDER);  // no title bar
  RECT client{};
  ::GetClientRect(window, &client);
  EXPECT_EQ(client.right, ui::FrmSignatureUpdated::kWidth / 15);
  EXPECT_EQ(client.bottom, ui::FrmSignatureUpdated::kHeight / 15);

  // Placed by the load: behind a bottom taskbar, at the right.
  const RECT start = BoundsOf(window);
  EXPECT_EQ(start.top, form.window.Top() / 15);
  EXPECT_EQ(start.left, form.window.Left() / 15);
  EXPECT_TRUE(form.tmrPopupSignatureUpdate.Enabled());
  EXPECT_TRUE(ShowsLabel(window, "Automatic Update"));
  EXPECT_TRUE(ShowsLabel(window, update::NoticeText("Kestrian")));
  ASSERT_NE(Ok(), nullptr);

  PumpFor(500);
  const RECT risen = BoundsOf(window);
  EXPECT_LT(risen.top, start.top);
  EXPECT_EQ(risen.top, form.window.Top() / 15);
  EXPECT_EQ(risen.left, start.left);

  ::SendMessageA(Ok(), BM_CLICK, 0, 0);
  EXPECT_EQ(oks, 1);
  ::SendMessageA(Ok(), BM_CLICK, 0, 0);
  EXPECT_EQ(oks, 1);

  view.Close();
  EXPECT_EQ(view.Handle(), nullptr);
  EXPECT_FALSE(::IsWindow(window));
  form.window.Move(0, 0);  // no window, no harm
  view.Close();
}

TEST_F(UpdateNoticeWindowOnWindows, FollowsTheModelsPlaceAndVisibility) {
  view.Show();
  const HWND window = view.Handle();
  ASSERT_NE(window, nullptr);
  form.tmrPopupSignatureUpdate.SetEnabled(false);
  form.window.Move(1500, 3000);
  EXPECT_EQ(BoundsOf(window).left, 100);
  EXPECT_EQ(BoundsOf(window).top, 200);
  form.window.SetVisible(false);
  EXPECT_FALSE(::IsWindowVisible(window));
  form.window.SetVisible(true);
  EXPECT_TRUE(::IsWindowVisible(window));
  view.Close();
}

TEST_F(UpdateNoticeWindowOnWindows, TheEndOfTheSinkRunsOkOnce) {
  view.Show();
  ASSERT_NE(view.Handle(), nullptr);
  // Rested already and nearly sunk.
  form.tmrPopupSignatureUpdate.SetEnabled(false);
  form.window.Move(form.window.Left(), update::kSinkLimit - 60);
  form.tmrPopDown.SetEnabled(true);
  ASSERT_TRUE(PumpUntil([this] { return oks > 0; }, 2000));
  EXPECT_EQ(oks, 1);
  EXPECT_FALSE(form.tmrPopDown.Enabled());
  PumpFor(50);
  EXPECT_EQ(oks, 1);
  view.Close();
}

TEST_F(UpdateNoticeWindowOnWindows, EnterPressesOk) {
  view.Show();
  PressKey(Ok(), VK_RETURN);
  EXPECT_EQ(oks, 1);
  view.Close();
}

TEST_F(UpdateNoticeWindowOnWindows, TheOkActionMayCloseTheNotice) {
  app::UpdateNoticeWindow closing{host, "Kestrian", [&] {
                                    ++oks;
                                    closing.Close();
                                  }};
  closing.Show();
  const HWND window = closing.Handle();
  ::SendMessageA(::FindWindowExA(window, nullptr, "Button", "OK"), BM_CLICK, 0, 0);
  EXPECT_EQ(oks, 1);
  EXPECT_EQ(closing.Handle(), nullptr);
  EXPECT_FALSE(::IsWindow(window));
  // Shown again: a new load, and OK runs again.
  closing.Show();
  ::SendMessageA(::FindWindowExA(closing.Handle(), nullptr, "Button", "OK"), BM_CLICK, 0, 0);
  EXPECT_EQ(oks, 2);
}

}  // namespace
}  // namespace kestrian
