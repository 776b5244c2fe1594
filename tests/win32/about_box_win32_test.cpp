// The About box as a real window: its texts read back through the window manager, closed
// with OK, the keys and the close box, and shown again.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <type_traits>

#include "win32/window_test_support.h"
#include "app/about_box.h"
#include "app/win32_host.h"

namespace kestrian {
namespace {

using testing::MakeOwner;
using testing::UniqueWindow;

platform::VersionResource TestVersion() {
  platform::VersionResource version;
  version.productName = "Kestrian Test";
  version.companyName = "Kestrian & Sons";
  version.comments = "www.kestrian.example";
  version.major = 1;
  version.minor = 6;
  return version;
}

TEST(VersionLine, IsMajorDotMinor) {
  platform::VersionResource version;
  version.major = 2;
  version.minor = 10;
  EXPECT_EQ(app::VersionLine(version), "Version 2.10");
}

// Every shown window that is hidden or destroyed costs two seconds under Wine without a
// window manager, so the tests show the box as seldom as they can.
class AboutBoxOnWindows : public ::testing::Test {
 protected:
  AboutBoxOnWindows() {
    const INITCOMMONCONTROLSEX classes{sizeof classes, ICC_LINK_CLASS};
    ::InitCommonControlsEx(&classes);
  }

  void Pump() { testing::DispatchPending(host); }
  HWND Child(const char* className, const char* text) const {
    return ::FindWindowExA(box.Handle(), nullptr, className, text);
  }
  void PressKey(HWND target, WPARAM key) { testing::PressKey(host, target, key); }

  UniqueWindow owner = MakeOwner("Kestrian about owner");
  app::Win32Host host;
  int websiteOpened = 0;
  app::AboutBox box{host, owner.get(), TestVersion(), [this] { ++websiteOpened; }};
};

TEST_F(AboutBoxOnWindows, ShowsTheVersionResourceUntilOkIsPressed) {
  EXPECT_EQ(box.Handle(), nullptr);
  box.Show();
  const HWND window = ::FindWindowA("#32770", "About Kestrian Test");
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window, box.Handle());
  EXPECT_TRUE(::IsWindowVisible(window));
  EXPECT_EQ(::GetWindow(window, GW_OWNER), owner.get());
  EXPECT_NE(Child("Static", "Kestrian Test"), nullptr);
  EXPECT_NE(Child("Static", "Version 1.6"), nullptr);
  EXPECT_NE(Child("Static", "Kestrian & Sons"), nullptr);
  EXPECT_NE(Child("SysLink", "<a>www.kestrian.example</a>"), nullptr);
  const HWND ok = Child("Button", "OK");
  ASSERT_NE(ok, nullptr);
  EXPECT_EQ(::GetFocus(), ok);
  EXPECT_EQ(LOWORD(::SendMessageA(window, DM_GETDEFID, 0, 0)), IDOK);
  ::SendMessageA(ok, BM_CLICK, 0, 0);
  EXPECT_FALSE(::IsWindowVisible(window));
  EXPECT_EQ(websiteOpened, 0);
}

TEST_F(AboutBoxOnWindows, EnterOnTheLinkOpensTheWebsite) {
  box.Show();
  const HWND link = Child("SysLink", nullptr);
  ASSERT_NE(link, nullptr);
  ::SetFocus(link);
  PressKey(link, VK_RETURN);
  EXPECT_EQ(websiteOpened, 1);
  EXPECT_TRUE(::IsWindowVisible(box.Handle()));
}

TEST_F(AboutBoxOnWindows, ShowsTheAddressAsTextWithoutAWebsiteToOpen) {
  app::AboutBox plain(host, owner.get(), TestVersion());
  plain.Show();
  EXPECT_NE(::FindWindowExA(plain.Handle(), nullptr, "Static", "www.kestrian.example"), nullptr);
  EXPECT_EQ(::FindWindowExA(plain.Handle(), nullptr, "SysLink", nullptr), nullptr);
}

TEST_F(AboutBoxOnWindows, EnterEscapeAndTheCloseBoxHideTheBox) {
  for (const WPARAM key : {VK_RETURN, VK_ESCAPE}) {
    box.Show();
    Pump();
    PressKey(Child("Button", "OK"), key);
    EXPECT_FALSE(::IsWindowVisible(box.Handle())) << key;
  }
  box.Show();
  ::SendMessageA(box.Handle(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(::IsWindowVisible(box.Handle()));
}

TEST_F(AboutBoxOnWindows, ShowingWhileShownActivatesTheSameWindow) {
  box.Show();
  const HWND window = box.Handle();
  const UniqueWindow other = MakeOwner("Kestrian other window", true);
  ::SetForegroundWindow(other.get());
  ASSERT_EQ(::GetActiveWindow(), other.get());
  box.Show();
  EXPECT_EQ(box.Handle(), window);
  EXPECT_EQ(::GetActiveWindow(), window);
  EXPECT_EQ(::FindWindowExA(nullptr, window, "#32770", "About Kestrian Test"), nullptr);
}

TEST_F(AboutBoxOnWindows, OutlivesItsOwner) {
  box.Show();
  owner.reset();
  EXPECT_EQ(box.Handle(), nullptr);
}

}  // namespace
}  // namespace kestrian
