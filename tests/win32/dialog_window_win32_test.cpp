// The life of a dialog object's window: made, destroyed by the object, destroyed from outside
// with its owner, and made again, with what reaches the object at each step.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "app/dialog_window.h"
#include "app/win32_host.h"
#include "win32/window_test_support.h"

namespace kestrian {
namespace {

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr UINT kProbe = WM_APP + 7;

// An object with a dialog window that records what its window tells it.
class Recorder {
 public:
  explicit Recorder(app::Win32Host& host) : window{host, this, &Recorder::OnInit, &Recorder::OnMessage} {}

  std::vector<HWND> inits;
  int destroys = 0;
  int probes = 0;
  app::DialogWindow window;

 private:
  void OnInit(HWND created) {
    inits.push_back(created);
    ::SetWindowTextA(created, "Kestrian dialog window under test");
  }
  INT_PTR OnMessage(UINT message, WPARAM, LPARAM) {
    if (message == WM_DESTROY) ++destroys;
    if (message == kProbe) ++probes;
    return FALSE;
  }
};

TEST(DialogWindowOnWindows, MadeAgainOrDestroyedByTheObjectItSaysNothingAndGoesWithTheObject) {
  app::Win32Host host;
  HWND last = nullptr;
  {
    Recorder recorder(host);
    ASSERT_TRUE(recorder.window.Create(kStyle, nullptr));
    const HWND first = recorder.window.Get();
    EXPECT_EQ(recorder.inits, std::vector<HWND>{first});
    EXPECT_EQ(testing::TextOf(first), "Kestrian dialog window under test");
    ::SendMessageA(first, kProbe, 0, 0);
    EXPECT_EQ(recorder.probes, 1);
    ASSERT_TRUE(recorder.window.Create(kStyle, nullptr));
    EXPECT_FALSE(::IsWindow(first));
    recorder.window.Destroy();
    EXPECT_FALSE(recorder.window);
    recorder.window.Destroy();  // nothing left: no effect
    ASSERT_TRUE(recorder.window.Create(kStyle, nullptr));
    last = recorder.window.Get();
    EXPECT_EQ(recorder.inits.size(), 3u);
    EXPECT_EQ(recorder.destroys, 0);  // the object did its own closing
  }
  // The object's end destroys its window without calling into the object that is going.
  EXPECT_FALSE(::IsWindow(last));
}

TEST(DialogWindowOnWindows, DestroyedWithItsOwnerItTellsTheObjectOnceAndIsForgotten) {
  app::Win32Host host;
  Recorder recorder(host);
  testing::UniqueWindow owner = testing::MakeOwner("Kestrian dialog window owner");
  ASSERT_TRUE(recorder.window.Create(kStyle, owner.get()));
  const HWND window = recorder.window.Get();
  owner.reset();  // destroys the owned dialog too
  EXPECT_FALSE(::IsWindow(window));
  EXPECT_EQ(recorder.destroys, 1);
  EXPECT_FALSE(recorder.window);
  recorder.window.Destroy();
  EXPECT_EQ(recorder.destroys, 1);
}

}  // namespace
}  // namespace kestrian
