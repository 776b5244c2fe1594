// The Live Update windows as real windows, loaded through the interfaces the update code uses,
// driven with clicks, keys and timers, and read back through the window manager and the shell.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "app/download_window.h"
#include "app/tray_icon.h"
#include "app/update_notice_window.h"
#include "app/win32_host.h"
#include "update/update_notice.h"
#include "win32/window_test_support.h"

namespace kestrian {
namespace {

bool ShowsLabel(HWND window, const std::string& text) {
  return ::IsWindowVisible(testing::ChildOf(window, "Static", text.c_str())) != FALSE;
}

// How many of `window`'s drawn images are on screen.
int ShownImages(HWND window) {
  int shown = 0;
  for (HWND child = ::GetWindow(window, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
    shown += (::GetWindowLongPtrA(child, GWL_STYLE) & SS_TYPEMASK) == SS_OWNERDRAW && ::IsWindowVisible(child);
  }
  return shown;
}

// Under Wine without a window manager, closing a shown window takes two seconds: one test
// follows the shown window from its start to its Cancel, then the hidden one.
TEST(DownloadWindowOnWindows, ShowsTheModelAndItsAnimationWithATrayIconUntilCancelOrLoadsHidden) {
  app::Win32Host host;
  testing::UniqueWindow owner = testing::MakeOwner("Kestrian update owner");
  app::DownloadWindow view{host, owner.get(), "Kestrian"};
  ui::FrmDownload& form = view.Form();
  const auto cancel = [&view] { return testing::ChildOf(view.Handle(), "Button", "Cancel"); };
  const auto expectGone = [&view](HWND window) {  // and its icon with it
    EXPECT_EQ(view.Handle(), nullptr);
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_FALSE(view.InTray());
    EXPECT_FALSE(testing::ShellHoldsIcon(window));
  };
  view.Show();
  const HWND window = view.Handle();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(::IsWindowVisible(window));
  EXPECT_EQ(testing::TextOf(window), "Kestrian Live Update");
  EXPECT_EQ(::GetWindow(window, GW_OWNER), owner.get());
  EXPECT_TRUE(::GetWindowLongPtrA(window, GWL_STYLE) & WS_SYSMENU);
  ASSERT_NE(cancel(), nullptr);
  EXPECT_TRUE(::IsWindowVisible(cancel()));
  EXPECT_TRUE(view.InTray());
  EXPECT_TRUE(testing::ShellHoldsIcon(window));
  // The animation has started: its first text, the up image alone, the blink timer running.
  EXPECT_TRUE(ShowsLabel(window, "Connecting to server/downloading....."));
  EXPECT_TRUE(form.tmrBlink.Enabled());
  EXPECT_EQ(ShownImages(window), 1);
  form.lblStatus.SetCaption("Checking for new registry definitions...");
  EXPECT_TRUE(ShowsLabel(window, "Checking for new registry definitions..."));
  // The first blink: the first step's text and the other image.
  ASSERT_TRUE(testing::PumpUntil(host, [&] { return form.lblProduct.Caption() == "Connecting to the Server."; }, 30000));
  EXPECT_TRUE(ShowsLabel(window, "Connecting to the Server."));
  EXPECT_TRUE(form.picDown.Visible());
  EXPECT_EQ(ShownImages(window), 1);

  ::SendMessageA(cancel(), BM_CLICK, 0, 0);
  expectGone(window);
  // The update goes on writing to the model: no window comes back, no harm.
  form.lblStatus.SetCaption("Downloading new registry definitions...");
  form.tmrBlink.SetEnabled(true);
  form.tmrBlink.SetEnabled(false);
  testing::DispatchPending(host);
  EXPECT_EQ(view.Handle(), nullptr);
  EXPECT_FALSE(view.InTray());
  view.Close();  // without a load: nothing
  EXPECT_EQ(view.Handle(), nullptr);

  // Hidden, it runs unseen until a double-click on its icon shows it; it goes with its owner.
  view.LoadHidden();
  const HWND hidden = view.Handle();
  ASSERT_NE(hidden, nullptr);
  EXPECT_FALSE(::IsWindowVisible(hidden));
  EXPECT_TRUE(view.InTray());
  EXPECT_TRUE(testing::ShellHoldsIcon(hidden));
  EXPECT_TRUE(form.tmrBlink.Enabled());
  form.lblStatus.SetCaption("Checking for new file definitions...");
  EXPECT_NE(testing::ChildOf(hidden, "Static", "Checking for new file definitions..."), nullptr);
  view.LoadHidden();  // loaded already: the same window
  EXPECT_EQ(view.Handle(), hidden);
  for (const UINT mouse : {WM_RBUTTONUP, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_MOUSEMOVE}) {
    ::SendMessageA(hidden, app::DownloadWindow::kTrayMessage, app::kTrayIconId, mouse);
  }
  EXPECT_FALSE(::IsWindowVisible(hidden));
  ::SendMessageA(hidden, app::DownloadWindow::kTrayMessage, app::kTrayIconId, WM_LBUTTONDBLCLK);
  EXPECT_TRUE(::IsWindowVisible(hidden));
  EXPECT_FALSE(::IsIconic(hidden));
  owner.reset();
  expectGone(hidden);
  form.lblStatus.SetCaption("after the owner");
  view.Close();
  EXPECT_EQ(view.Handle(), nullptr);
}

// The notice, an unmanaged popup (closing it costs no wait), shows where its model says and
// follows it. OK runs once whether clicked, pressed with Enter or reached by the end of the
// sink; each showing after a close is a new load, whose OK runs again. (The program's OK
// closes the notice from inside its action: e2e_live_update.)
TEST(UpdateNoticeWindowOnWindows, ShowsWhereTheModelSaysFollowsItAndRunsOkOnce) {
  app::Win32Host host;
  int oks = 0;
  app::UpdateNoticeWindow view{host, "Kestrian", [&oks] { ++oks; }};
  ui::FrmSignatureUpdated& form = view.Form();
  const auto ok = [&view] { return testing::ChildOf(view.Handle(), "Button", "OK"); };
  view.Show();
  const HWND window = view.Handle();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(::IsWindowVisible(window));
  EXPECT_EQ(::GetWindow(window, GW_OWNER), nullptr);
  const LONG_PTR exStyle = ::GetWindowLongPtrA(window, GWL_EXSTYLE);
  EXPECT_TRUE((exStyle & WS_EX_TOPMOST) && (exStyle & WS_EX_TOOLWINDOW));
  EXPECT_EQ(::GetWindowLongPtrA(window, GWL_STYLE) & WS_CAPTION, WS_BORDER);  // no title bar
  const RECT client = testing::ClientOf(window);
  EXPECT_EQ(client.right, ui::FrmSignatureUpdated::kWidth / 15);
  EXPECT_EQ(client.bottom, ui::FrmSignatureUpdated::kHeight / 15);
  EXPECT_TRUE(ShowsLabel(window, "Automatic Update"));
  EXPECT_TRUE(ShowsLabel(window, update::NoticeText("Kestrian")));
  ASSERT_NE(ok(), nullptr);
  // Placed where the load puts the model (behind a bottom taskbar at the right), it follows
  // the model's moves. (Its rise on the timer is e2e_live_update's.)
  EXPECT_EQ(testing::BoundsOf(window).top, form.window.Top() / 15);
  EXPECT_EQ(testing::BoundsOf(window).left, form.window.Left() / 15);
  form.tmrPopupSignatureUpdate.SetEnabled(false);
  form.window.Move(1500, 3000);
  EXPECT_EQ(testing::BoundsOf(window).left, 100);
  EXPECT_EQ(testing::BoundsOf(window).top, 200);
  form.window.SetVisible(false);
  EXPECT_FALSE(::IsWindowVisible(window));
  form.window.SetVisible(true);
  EXPECT_TRUE(::IsWindowVisible(window));
  view.Close();
  EXPECT_EQ(view.Handle(), nullptr);
  EXPECT_FALSE(::IsWindow(window));
  form.window.Move(0, 0);  // no window, no harm
  view.Close();

  const struct {
    const char* what;
    std::function<void()> finish;
  } cases[] = {
      {"click", [&] { ::SendMessageA(ok(), BM_CLICK, 0, 0), ::SendMessageA(ok(), BM_CLICK, 0, 0); }},
      {"Enter", [&] { testing::PressKey(host, ok(), VK_RETURN); }},
      {"sunk", [&] {  // rested already and nearly sunk
         form.tmrPopupSignatureUpdate.SetEnabled(false);
         form.window.Move(form.window.Left(), update::kSinkLimit - 60);
         form.tmrPopDown.SetEnabled(true);
         ASSERT_TRUE(testing::PumpUntil(host, [&] { return oks > 0; }, 30000));
         EXPECT_FALSE(form.tmrPopDown.Enabled());
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    oks = 0;
    view.Show();
    ASSERT_NE(view.Handle(), nullptr);
    c.finish();
    testing::DispatchPending(host);
    EXPECT_EQ(oks, 1);
    view.Close();
  }
}

}  // namespace
}  // namespace kestrian
