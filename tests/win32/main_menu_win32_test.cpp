// The main window's menu bar as a real menu: captions, separators and command ids read back
// through the window manager, and menu commands reaching their handlers through the window.
#include <windows.h>

#include <gtest/gtest.h>

#include <cctype>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/main_menu.h"
#include "app/main_window.h"
#include "app/win32_host.h"
#include "ui/frm_main.h"

namespace kestrian {
namespace {

using app::Menu;
using app::MenuItemId;

// The captions as the user reads them; a separator is empty.
const std::vector<std::pair<Menu, std::vector<std::string>>>& ExpectedBar() {
  static const std::vector<std::pair<Menu, std::vector<std::string>>> bar{
      {Menu::File, {"Scan Now", "Scan Results", "View Log", "", "Run Live Update", "Roll Back Definitions",
                    "", "Minimize to Tray", "", "Exit"}},
      {Menu::Settings, {"Scan Options", "Proactive Protection", "Schedule", "Auto Update"}},
      {Menu::Quarantine, {"View Quarantine", "View Exclusions", "Restore from Quarantine..."}},
      {Menu::Help, {"View Help"}},
      {Menu::About, {"About this software"}},
  };
  return bar;
}

const char* const kMenuTitles[] = {"File", "Settings", "Quarantine", "Help", "About"};

std::string WithoutMnemonic(std::string text) {
  std::erase(text, '&');
  return text;
}

std::string MenuText(HMENU menu, int position) {
  char text[128] = {};
  ::GetMenuStringA(menu, static_cast<UINT>(position), text, sizeof text, MF_BYPOSITION);
  return text;
}

TEST(MainMenu, BarHasTheFiveMenusInOrder) {
  const app::UniqueMenu bar = app::BuildMenuBar();
  ASSERT_TRUE(bar);
  ASSERT_EQ(::GetMenuItemCount(bar.get()), 5);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(WithoutMnemonic(MenuText(bar.get(), i)), kMenuTitles[i]);
    EXPECT_NE(::GetSubMenu(bar.get(), i), nullptr) << kMenuTitles[i];
  }
}

TEST(MainMenu, ItemsAndSeparatorsSitAtTheirIndexes) {
  const app::UniqueMenu bar = app::BuildMenuBar();
  ASSERT_TRUE(bar);
  for (const auto& [menu, items] : ExpectedBar()) {
    const HMENU popup = ::GetSubMenu(bar.get(), static_cast<int>(menu));
    ASSERT_EQ(::GetMenuItemCount(popup), static_cast<int>(items.size()));
    for (int index = 0; index < static_cast<int>(items.size()); ++index) {
      const std::string& caption = items[static_cast<std::size_t>(index)];
      const UINT state = ::GetMenuState(popup, static_cast<UINT>(index), MF_BYPOSITION);
      SCOPED_TRACE(caption + " at " + std::to_string(index));
      if (caption.empty()) {
        EXPECT_TRUE(state & MF_SEPARATOR);
        continue;
      }
      EXPECT_FALSE(state & (MF_SEPARATOR | MF_GRAYED | MF_DISABLED));
      EXPECT_EQ(WithoutMnemonic(MenuText(popup, index)), caption);
      EXPECT_EQ(static_cast<int>(::GetMenuItemID(popup, index)),
                app::CommandOfMenuItem({menu, index}));
    }
  }
}

TEST(MainMenu, MnemonicsAreUniqueWithinEachMenu) {
  for (const auto& [menu, items] : ExpectedBar()) {
    std::string keys;
    for (const std::string_view caption : app::MenuItems(menu)) {
      const auto amp = caption.find('&');
      if (amp == std::string_view::npos) continue;
      const char key = static_cast<char>(std::toupper(static_cast<unsigned char>(caption[amp + 1])));
      EXPECT_EQ(keys.find(key), std::string::npos) << caption;
      keys += key;
    }
  }
}

TEST(MainMenu, CommandIdsRoundTripEveryItem) {
  for (const auto& [menu, items] : ExpectedBar()) {
    for (int index = 0; index < static_cast<int>(items.size()); ++index) {
      const int id = app::CommandOfMenuItem({menu, index});
      EXPECT_GE(id, app::kFirstMenuCommand);
      EXPECT_LE(id, 0xFFFF);
      EXPECT_EQ(app::MenuItemOfCommand(id), (MenuItemId{menu, index}));
    }
  }
}

TEST(MainMenu, OtherIdsAreNoItems) {
  for (const int id : {0, 1000, 1400, app::kFirstMenuCommand - 1,
                       app::CommandOfMenuItem({Menu::File, 10}),
                       app::CommandOfMenuItem({Menu::Settings, 4}),
                       app::CommandOfMenuItem({Menu::About, 1}), app::kFirstMenuCommand + 500}) {
    EXPECT_EQ(app::MenuItemOfCommand(id), std::nullopt) << id;
  }
}

TEST(MainMenu, DispatchCallsTheMenusHandlerWithTheIndex) {
  std::vector<MenuItemId> calls;
  app::MenuCommands commands;
  for (const auto& [menu, items] : ExpectedBar()) {
    commands.On(menu, [&calls, menu = menu](int index) { calls.push_back({menu, index}); });
  }
  std::vector<MenuItemId> expected;
  for (const auto& [menu, items] : ExpectedBar()) {
    for (int index = 0; index < static_cast<int>(items.size()); ++index) {
      EXPECT_TRUE(commands.Dispatch(app::CommandOfMenuItem({menu, index})));
      expected.push_back({menu, index});
    }
  }
  EXPECT_EQ(calls, expected);
  EXPECT_FALSE(commands.Dispatch(1000));
  EXPECT_FALSE(commands.Dispatch(app::CommandOfMenuItem({Menu::Help, 1})));
  EXPECT_EQ(calls.size(), expected.size());
}

TEST(MainMenu, DispatchWithoutHandlerStillClaimsTheCommand) {
  const app::MenuCommands commands;
  EXPECT_TRUE(commands.Dispatch(app::CommandOfMenuItem({Menu::Help, 0})));
}

// A real main window, kept hidden (a shown top-level window is slow to go under Wine).
class MainMenuOnWindow : public ::testing::Test {
 protected:
  MainMenuOnWindow() {
    EXPECT_TRUE(window->Create(::GetModuleHandleA(nullptr), "Kestrian menu test"));
    ::GetClientRect(window->Handle(), &clientBefore);
    commands.On(Menu::Settings, [this](int index) { chosen.push_back({Menu::Settings, index}); });
    commands.On(Menu::File, [this](int index) { chosen.push_back({Menu::File, index}); });
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

  // Runs the message loop until `done` or the queue stays empty.
  template <class Done>
  void Pump(Done done) {
    MSG message;
    for (int idle = 0; idle < 200 && !done();) {
      if (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        host.Dispatch(message);
      } else {
        ++idle;
        ::Sleep(5);
      }
    }
  }
  void PostMenuCommand(MenuItemId item) {
    ::PostMessageA(window->Handle(), WM_COMMAND, MAKEWPARAM(app::CommandOfMenuItem(item), 0), 0);
  }

  ui::FrmMain form;
  app::Win32Host host;
  std::optional<app::MainWindow> window{std::in_place, form, host};
  app::MenuCommands commands;
  HMENU bar = nullptr;
  RECT clientBefore{};
  std::vector<MenuItemId> chosen;
};

TEST_F(MainMenuOnWindow, TheWindowCarriesTheBarAndKeepsItsClientArea) {
  EXPECT_EQ(::GetMenu(window->Handle()), bar);
  RECT client{};
  ::GetClientRect(window->Handle(), &client);
  EXPECT_EQ(client.right, clientBefore.right);
  EXPECT_EQ(client.bottom, clientBefore.bottom);
}

TEST_F(MainMenuOnWindow, APostedMenuCommandReachesTheDispatcher) {
  PostMenuCommand({Menu::Settings, 2});
  PostMenuCommand({Menu::File, 6});
  Pump([this] { return chosen.size() == 2; });
  EXPECT_EQ(chosen, (std::vector<MenuItemId>{{Menu::Settings, 2}, {Menu::File, 6}}));
}

TEST_F(MainMenuOnWindow, ButtonClicksStillReachTheirHandlers) {
  int clicks = 0;
  window->OnClick(form.cmdScan, [&clicks] { ++clicks; });
  const HWND button = window->NativeOf(form.cmdScan);
  ::PostMessageA(window->Handle(), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(button), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
  Pump([&clicks] { return clicks == 1; });
  EXPECT_EQ(clicks, 1);
  EXPECT_TRUE(chosen.empty());
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
  PostMenuCommand({Menu::About, 0});
  Pump([handle] { return !::IsWindow(handle); });
  EXPECT_TRUE(openDuringCommand);
  EXPECT_TRUE(stopAsked);
  EXPECT_FALSE(::IsWindow(handle));
}

}  // namespace
}  // namespace kestrian
