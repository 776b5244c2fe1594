#pragma once
// The main window's menu bar. The items of one menu form an array told apart by their index
// (separators included); a command id encodes the menu and the index.
#include <windows.h>

#include <array>
#include <functional>
#include <optional>
#include <span>
#include <string_view>
#include <utility>

namespace kestrian::app {

enum class Menu { File, Settings, Quarantine, Help, About };
inline constexpr int kMenuCount = 5;

struct MenuItemId {
  Menu menu;
  int index;
  friend bool operator==(const MenuItemId&, const MenuItemId&) = default;
};

// Well above the main window's control ids.
inline constexpr int kFirstMenuCommand = 40000;

// The caption of a menu on the bar, with its mnemonic.
std::string_view MenuCaption(Menu menu);
// The items of a menu in order, with their mnemonics; a separator is an empty caption.
std::span<const std::string_view> MenuItems(Menu menu);

int CommandOfMenuItem(MenuItemId item);
// The item of a command id, or nothing when the id is no item of the bar.
std::optional<MenuItemId> MenuItemOfCommand(int id);

// Owns a menu until it is released to a window (SetMenu), which destroys it with itself.
class UniqueMenu {
 public:
  explicit UniqueMenu(HMENU menu = nullptr) : menu_(menu) {}
  ~UniqueMenu() { reset(); }
  UniqueMenu(const UniqueMenu&) = delete;
  UniqueMenu& operator=(const UniqueMenu&) = delete;
  UniqueMenu(UniqueMenu&& other) noexcept : menu_(other.release()) {}
  UniqueMenu& operator=(UniqueMenu&& other) noexcept {
    if (this != &other) {
      reset();
      menu_ = other.release();
    }
    return *this;
  }

  HMENU get() const { return menu_; }
  explicit operator bool() const { return menu_ != nullptr; }
  HMENU release() { return std::exchange(menu_, nullptr); }
  void reset() {
    if (menu_ != nullptr) ::DestroyMenu(menu_);
    menu_ = nullptr;
  }

 private:
  HMENU menu_ = nullptr;
};

// The whole menu bar; null when a menu cannot be made.
UniqueMenu BuildMenuBar();

// One click handler per menu, given the index of the chosen item.
class MenuCommands {
 public:
  using Handler = std::function<void(int index)>;

  void On(Menu menu, Handler handler) {
    handlers_[static_cast<std::size_t>(menu)] = std::move(handler);
  }
  // Runs the handler of the item `commandId` names; false when it names no item.
  bool Dispatch(int commandId) const;

 private:
  std::array<Handler, kMenuCount> handlers_;
};

}  // namespace kestrian::app
