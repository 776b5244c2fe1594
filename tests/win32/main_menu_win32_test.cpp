// The main window's menu bar as a real menu on a real (hidden) main window: captions,
// separators and mnemonics read back through the window manager, and every item's command
// reaching its menu's handler through the window.
#include <windows.h>

#include <gtest/gtest.h>

#include <cctype>
#include <optional>
#include <string>
#include <vector>

#include "app/main_menu.h"
#include "app/main_window.h"
#include "app/win32_host.h"
#include "ui/frm_main.h"
#include "win32/window_test_support.h"

namespace kestrian {
namespace {

using app::Menu;
using app::MenuItemId;

// The bar as the user reads it; a separator is empty.
const std::pair<const char*, std::vector<std::string>> kBar[] = {
    {"File", {"Scan Now", "Scan Results", "View Log", "", "Run Live Update", "Roll Back Definitions", "",
              "Minimize to Tray", "", "Exit"}},
    {"Settings", {"Scan Options", "Proactive Protection", "Schedule", "Auto Update"}},
    {"Quarantine", {"View Quarantine", "View Exclusions", "Restore from Quarantine..."}},
    {"Help", {"View Help"}},
    {"About", {"About this software"}},
};

std::string MenuText(HMENU menu, int position) {
  char text[128] = {};
  ::GetMenuStringA(menu, static_cast<UINT>(position), text, sizeof text, MF_BYPOSITION);
  return text;
}

class MainMenuOnWindow : public ::testing::Test {
 protected:
  MainMenuOnWindow() {
    EXPECT_TRUE(window->Create(::GetModuleHandleA(nullptr), "Kestrian menu test"));
    ::GetClientRect(window->Handle(), &clientBefore);
    for (int menu = 0; menu < app::kMenuCount; ++menu) {
      commands.On(Menu(menu), [this, menu](int index) { chosen.push_back({Menu(menu), index}); });
    }
    bar = app::BuildMenuBar().release();
    window->SetMenuCommands(bar, [this](int id) { return commands.Dispatch(id); });
  }
  // The window's end posts a quit; later tests of this process must not see it.
  ~MainMenuOnWindow() override {
    window.reset();
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
  }
  void PostCommand(int id) { ::PostMessageA(window->Handle(), WM_COMMAND, MAKEWPARAM(id, 0), 0); }

  ui::FrmMain form;
  app::Win32Host host;
  std::optional<app::MainWindow> window{std::in_place, form, host};
  app::MenuCommands commands;
  HMENU bar = nullptr;
  RECT clientBefore{};
  std::vector<MenuItemId> chosen;
};

TEST_F(MainMenuOnWindow, TheBarShowsEveryItemWithAUniqueMnemonicAndKeepsTheClientArea) {
  ASSERT_EQ(::GetMenu(window->Handle()), bar);
  RECT client{};
  ::GetClientRect(window->Handle(), &client);
  EXPECT_EQ(client.right, clientBefore.right);
  EXPECT_EQ(client.bottom, clientBefore.bottom);
  ASSERT_EQ(::GetMenuItemCount(bar), 5);
  for (int m = 0; m < 5; ++m) {
    const auto& [title, items] = kBar[m];
    std::string shown = MenuText(bar, m);
    std::erase(shown, '&');
    EXPECT_EQ(shown, title);
    const HMENU popup = ::GetSubMenu(bar, m);
    ASSERT_EQ(::GetMenuItemCount(popup), static_cast<int>(items.size())) << title;
    std::string keys;
    for (int index = 0; index < static_cast<int>(items.size()); ++index) {
      const std::string& caption = items[static_cast<std::size_t>(index)];
      const UINT state = ::GetMenuState(popup, static_cast<UINT>(index), MF_BYPOSITION);
      SCOPED_TRACE(caption + " at " + std::to_string(index));
      EXPECT_EQ((state & MF_SEPARATOR) != 0, caption.empty());
      if (caption.empty()) continue;
      EXPECT_FALSE(state & (MF_GRAYED | MF_DISABLED));
      std::string text = MenuText(popup, index);
      if (const auto amp = text.find('&'); amp != std::string::npos) {
        const char key = static_cast<char>(std::toupper(static_cast<unsigned char>(text[amp + 1])));
        EXPECT_EQ(keys.find(key), std::string::npos) << "mnemonic used twice";
        keys += key;
      }
      std::erase(text, '&');
      EXPECT_EQ(text, caption);
    }
  }
}

// Every item's id, as the menu carries it, reaches its menu's handler with its index; other
// ids and button clicks reach no menu handler.
TEST_F(MainMenuOnWindow, EveryItemsCommandReachesItsMenusHandler) {
  std::vector<MenuItemId> expected;
  for (int m = 0; m < 5; ++m) {
    const HMENU popup = ::GetSubMenu(bar, m);
    for (int index = 0; index < ::GetMenuItemCount(popup); ++index) {
      if (::GetMenuState(popup, static_cast<UINT>(index), MF_BYPOSITION) & MF_SEPARATOR) continue;
      PostCommand(static_cast<int>(::GetMenuItemID(popup, index)));
      expected.push_back({Menu(m), index});
    }
  }
  for (const int other : {1000, app::kFirstMenuCommand - 1, app::CommandOfMenuItem({Menu::File, 10}),
                          app::CommandOfMenuItem({Menu::About, 1}), app::kFirstMenuCommand + 500}) {
    PostCommand(other);
  }
  int clicks = 0;
  window->OnClick(form.cmdScan, [&clicks] { ++clicks; });
  const HWND button = window->NativeOf(form.cmdScan);
  ::PostMessageA(window->Handle(), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(button), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
  EXPECT_TRUE(testing::PumpUntil(host, [&] { return clicks == 1; }, 30000));
  EXPECT_EQ(chosen, expected);
  EXPECT_FALSE(app::MenuCommands().Dispatch(1000));
  EXPECT_TRUE(app::MenuCommands().Dispatch(app::CommandOfMenuItem({Menu::Help, 0})));  // no handler: still its
}

TEST_F(MainMenuOnWindow, ClosingDuringAMenuCommandWaitsForIt) {
  bool stopAsked = false;
  bool openDuringCommand = false;
  window->OnCloseWhileBusy([&stopAsked] { stopAsked = true; });
  const HWND handle = window->Handle();
  commands.On(Menu::About, [&](int) {
    ::SendMessageA(handle, WM_CLOSE, 0, 0);
    openDuringCommand = ::IsWindow(handle) != FALSE;
  });
  PostCommand(app::CommandOfMenuItem({Menu::About, 0}));
  EXPECT_TRUE(testing::PumpUntil(host, [handle] { return !::IsWindow(handle); }, 30000));
  EXPECT_TRUE(openDuringCommand);
  EXPECT_TRUE(stopAsked);
}

}  // namespace
}  // namespace kestrian
