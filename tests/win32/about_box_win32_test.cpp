// The About box as a real window: its texts read back through the window manager, closed
// with OK, the keys and the close box, shown again, and its link opened with the keyboard.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>

#include "app/about_box.h"
#include "app/win32_host.h"
#include "win32/window_test_support.h"

namespace kestrian {
namespace {

using testing::ChildOf;

// Every shown window that is hidden or destroyed costs two seconds under Wine without a
// window manager, so the tests show the box as seldom as they can.
class AboutBoxOnWindows : public ::testing::Test {
 protected:
  AboutBoxOnWindows() {
    const INITCOMMONCONTROLSEX classes{sizeof classes, ICC_LINK_CLASS};
    ::InitCommonControlsEx(&classes);
  }
  HWND Child(const char* className, const char* text) const { return ChildOf(box.Handle(), className, text); }

  testing::UniqueWindow owner = testing::MakeOwner("Kestrian about owner");
  app::Win32Host host;
  int websiteOpened = 0;
  const platform::VersionResource version{"Kestrian Test", "Kestrian & Sons", "www.kestrian.example", 1, 6};
  app::AboutBox box{host, owner.get(), version, [this] { ++websiteOpened; }};
};

TEST_F(AboutBoxOnWindows, ShowsTheVersionResourceAndOkEnterEscapeOrTheCloseBoxHideIt) {
  const struct {
    const char* what;
    std::function<void(HWND)> close;
  } cases[] = {
      {"OK", [](HWND ok) { ::SendMessageA(ok, BM_CLICK, 0, 0); }},
      {"Enter", [this](HWND ok) { testing::PressKey(host, ok, VK_RETURN); }},
      {"Escape", [this](HWND ok) { testing::PressKey(host, ok, VK_ESCAPE); }},
      {"close box", [](HWND ok) { ::SendMessageA(::GetParent(ok), WM_CLOSE, 0, 0); }},
  };
  EXPECT_EQ(box.Handle(), nullptr);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    box.Show();
    testing::DispatchPending(host);
    const HWND window = ::FindWindowA("#32770", "About Kestrian Test");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window, box.Handle());
    EXPECT_TRUE(::IsWindowVisible(window));
    EXPECT_EQ(::GetWindow(window, GW_OWNER), owner.get());
    for (const char* text : {"Kestrian Test", "Version 1.6", "Kestrian & Sons"}) {
      EXPECT_NE(Child("Static", text), nullptr) << text;
    }
    EXPECT_NE(Child("SysLink", "<a>www.kestrian.example</a>"), nullptr);
    const HWND ok = Child("Button", "OK");
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(::GetFocus(), ok);
    EXPECT_EQ(LOWORD(::SendMessageA(window, DM_GETDEFID, 0, 0)), IDOK);
    c.close(ok);
    EXPECT_FALSE(::IsWindowVisible(window));
  }
  EXPECT_EQ(websiteOpened, 0);
}

TEST_F(AboutBoxOnWindows, EnterOnTheLinkOpensTheWebsiteAndShowingAgainActivatesTheSameBox) {
  box.Show();
  const HWND window = box.Handle();
  const HWND link = Child("SysLink", nullptr);
  ASSERT_NE(link, nullptr);
  ::SetFocus(link);
  testing::PressKey(host, link, VK_RETURN);
  EXPECT_EQ(websiteOpened, 1);
  EXPECT_TRUE(::IsWindowVisible(window));

  const testing::UniqueWindow other = testing::MakeOwner("Kestrian other window", true);
  ::SetForegroundWindow(other.get());
  ASSERT_EQ(::GetActiveWindow(), other.get());
  box.Show();
  EXPECT_EQ(box.Handle(), window);
  EXPECT_EQ(::GetActiveWindow(), window);
  EXPECT_EQ(::FindWindowExA(nullptr, window, "#32770", "About Kestrian Test"), nullptr);
  owner.reset();  // it goes with its owner
  EXPECT_EQ(box.Handle(), nullptr);
}

TEST_F(AboutBoxOnWindows, ShowsTheAddressAsTextWithoutAWebsiteToOpen) {
  app::AboutBox plain(host, owner.get(), version);
  plain.Show();
  EXPECT_NE(ChildOf(plain.Handle(), "Static", "www.kestrian.example"), nullptr);
  EXPECT_EQ(ChildOf(plain.Handle(), "SysLink", nullptr), nullptr);
}

}  // namespace
}  // namespace kestrian
