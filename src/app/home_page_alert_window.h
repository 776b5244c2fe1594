#pragma once
// The home page shield's alert (frmHomePageChangedAlert) as a Win32 window: a modal, top-most
// dialog with a warning picture, the product's name, the message, "Yes" (the default) and
// "No". Its owner (the main window) is disabled while it is up, and the alert runs its own
// message loop until it is answered or closed.
#include <windows.h>

#include <string>
#include <string_view>

#include "app/win32_host.h"
#include "protect/home_page_shield.h"

namespace kestrian::app {

class HomePageAlertWindow final : public protect::HomePageAlert {
 public:
  // `host` dispatches the alert's messages and gives it its dialog keys (Tab, Enter,
  // Escape); `owner` (may be null, may be hidden in the tray) owns it.
  HomePageAlertWindow(Win32Host& host, HWND owner, std::string productName);
  HomePageAlertWindow(const HomePageAlertWindow&) = delete;
  HomePageAlertWindow& operator=(const HomePageAlertWindow&) = delete;

  // Yes (or Enter) keeps, No changes; Escape and the close box dismiss, as does the end of
  // the program or the owner's destruction while the alert is up.
  protect::HomePageAnswer Ask(std::string_view message) override;

  // The open alert's window, or null.
  HWND Handle() const { return open_; }

 private:
  Win32Host& host_;
  HWND owner_;
  std::string productName_;
  HWND open_ = nullptr;
};

}  // namespace kestrian::app
