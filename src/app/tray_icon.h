#pragma once
// The program's one notification-area icon, and what its mouse messages ask for.
#include <windows.h>

#include <shellapi.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace kestrian::app {

// The message the icon sends to its window; lParam is the mouse message.
inline constexpr UINT kTrayCallbackMessage = WM_APP + 1;
inline constexpr UINT kTrayIconId = 1;
inline constexpr std::size_t kTrayTipLength = 63;

enum class TrayAction { None, RestoreWindow, ShowMenu };

// A left double-click restores the window, a released right button shows the tray menu.
TrayAction ActionOfTrayMessage(LPARAM lParam);

// The tip as the icon shows it: at most kTrayTipLength characters of `text`.
std::string TrayTipText(std::string_view text);

class TrayIcon {
 public:
  TrayIcon() = default;
  ~TrayIcon();
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;

  // Adds the icon for `window` with the window's own icon; its mouse messages reach the
  // window as `callbackMessage`. A failing shell call still counts as shown.
  void ShowIcon(HWND window, std::string_view tip, UINT callbackMessage = kTrayCallbackMessage);
  void RemoveIcon();
  // Only while the icon is shown.
  void ChangeToolTip(std::string_view tip);
  bool RunningInTray() const { return runningInTray_; }

 private:
  void SetTip(std::string_view tip);

  NOTIFYICONDATAA record_{};
  bool runningInTray_ = false;
};

}  // namespace kestrian::app
