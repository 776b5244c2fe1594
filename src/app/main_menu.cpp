#include "app/main_menu.h"

#include <string>

namespace kestrian::app {

namespace {
constexpr int kItemsPerMenu = 100;

constexpr std::array<Menu, kMenuCount> kMenus{Menu::File, Menu::Settings, Menu::Quarantine,
                                              Menu::Help, Menu::About};
constexpr std::array<std::string_view, kMenuCount> kMenuCaptions{
    "&File", "&Settings", "&Quarantine", "&Help", "&About"};

constexpr std::array<std::string_view, 10> kFileItems{
    "&Scan Now", "Scan &Results", "&View Log", "", "Run &Live Update", "Roll &Back Definitions", "",
    "&Minimize to Tray", "", "E&xit"};
constexpr std::array<std::string_view, 4> kSettingsItems{
    "Scan &Options", "&Proactive Protection", "&Schedule", "&Auto Update"};
constexpr std::array<std::string_view, 3> kQuarantineItems{"View &Quarantine", "View &Exclusions",
                                                           "&Restore from Quarantine..."};
constexpr std::array<std::string_view, 1> kHelpItems{"View &Help"};
constexpr std::array<std::string_view, 1> kAboutItems{"&About this software"};

bool AppendItem(HMENU menu, MenuItemId item, std::string_view caption) {
  if (caption.empty()) return ::AppendMenuA(menu, MF_SEPARATOR, 0, nullptr) != FALSE;
  const std::string text(caption);
  return ::AppendMenuA(menu, MF_STRING, static_cast<UINT_PTR>(CommandOfMenuItem(item)),
                       text.c_str()) != FALSE;
}

UniqueMenu BuildMenu(Menu menu) {
  UniqueMenu popup(::CreatePopupMenu());
  if (!popup) return popup;
  const auto items = MenuItems(menu);
  for (int index = 0; index < static_cast<int>(items.size()); ++index) {
    if (!AppendItem(popup.get(), {menu, index}, items[static_cast<std::size_t>(index)])) {
      return UniqueMenu();
    }
  }
  return popup;
}
}  // namespace

std::string_view MenuCaption(Menu menu) { return kMenuCaptions[static_cast<std::size_t>(menu)]; }

std::span<const std::string_view> MenuItems(Menu menu) {
  switch (menu) {
    case Menu::File: return kFileItems;
    case Menu::Settings: return kSettingsItems;
    case Menu::Quarantine: return kQuarantineItems;
    case Menu::Help: return kHelpItems;
    case Menu::About: return kAboutItems;
  }
  return {};
}

int CommandOfMenuItem(MenuItemId item) {
  return kFirstMenuCommand + static_cast<int>(item.menu) * kItemsPerMenu + item.index;
}

std::optional<MenuItemId> MenuItemOfCommand(int id) {
  const int offset = id - kFirstMenuCommand;
  if (offset < 0 || offset >= kMenuCount * kItemsPerMenu) return std::nullopt;
  const MenuItemId item{kMenus[static_cast<std::size_t>(offset / kItemsPerMenu)],
                        offset % kItemsPerMenu};
  if (item.index >= static_cast<int>(MenuItems(item.menu).size())) return std::nullopt;
  return item;
}

UniqueMenu BuildMenuBar() {
  UniqueMenu bar(::CreateMenu());
  if (!bar) return bar;
  for (const Menu menu : kMenus) {
    UniqueMenu popup = BuildMenu(menu);
    const std::string caption(MenuCaption(menu));
    if (!popup || !::AppendMenuA(bar.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(popup.get()),
                                 caption.c_str())) {
      return UniqueMenu();
    }
    popup.release();  // now destroyed with the bar
  }
  return bar;
}

bool MenuCommands::Dispatch(int commandId) const {
  const auto item = MenuItemOfCommand(commandId);
  if (!item) return false;
  const Handler& handler = handlers_[static_cast<std::size_t>(item->menu)];
  if (handler) handler(item->index);
  return true;
}

}  // namespace kestrian::app
