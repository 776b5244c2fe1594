// The life of a dialog object's window: made, made again, destroyed by the object, destroyed
// from outside with its owner, and gone with the object, with what reaches the object.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "app/dialog_window.h"
#include "win32/window_test_support.h"

namespace kestrian {
namespace {

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;

TEST(DialogWindowOnWindows, MadeAgainDestroyedOrGoneWithItsOwnerOrItsObject) {
  app::Win32Host host;
  std::vector<HWND> inits;
  int destroys = 0;
  HWND last = nullptr;
  {
    app::DialogWindow window(
        host,
        [&](HWND created) { inits.push_back(created); },
        [&](UINT message, WPARAM, LPARAM) -> INT_PTR {
          if (message == WM_DESTROY) ++destroys;
          return FALSE;
        });
    ASSERT_TRUE(window.Create(kStyle, nullptr));
    const HWND first = window.Get();
    EXPECT_EQ(inits, std::vector<HWND>{first});
    ASSERT_TRUE(window.Create(kStyle, nullptr));
    EXPECT_FALSE(::IsWindow(first));
    window.Destroy();
    EXPECT_FALSE(window);
    window.Destroy();  // nothing left: no effect
    EXPECT_EQ(destroys, 0);  // the object did its own closing

    // Destroyed with its owner: the object is told once and the window forgotten.
    testing::UniqueWindow owner = testing::MakeOwner("Kestrian dialog window owner");
    ASSERT_TRUE(window.Create(kStyle, owner.get()));
    const HWND owned = window.Get();
    owner.reset();
    EXPECT_FALSE(::IsWindow(owned));
    EXPECT_EQ(destroys, 1);
    EXPECT_FALSE(window);
    window.Destroy();
    EXPECT_EQ(destroys, 1);

    ASSERT_TRUE(window.Create(kStyle, nullptr));
    last = window.Get();
    EXPECT_EQ(inits.size(), 4u);
  }
  // The object's end destroys its window without a word to the object.
  EXPECT_FALSE(::IsWindow(last));
  EXPECT_EQ(destroys, 1);
}

}  // namespace
}  // namespace kestrian
