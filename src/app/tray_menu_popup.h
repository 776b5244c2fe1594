#pragma once
// The tray menu (frmMenuPopUp): a small top-most window that slides up from the taskbar at
// the bottom right of the screen, offers "Show Program", "Exit Program" and "Close This
// Menu", and slides away by itself about two seconds after the mouse last moved over it.
#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

#include "app/dialog_support.h"
#include "app/dialog_window.h"
#include "app/win32_host.h"

namespace kestrian::app {

// Where the popup starts (its top at the taskbar's upper edge) and where it stops sliding
// up, in pixels: at the right edge of the screen, never lower than the taskbar.
struct TrayPopupPlacement {
  int left = 0;
  int startTop = 0;
  int targetTop = 0;
};
TrayPopupPlacement PlaceTrayPopup(SIZE screen, int taskbarHeight, SIZE popup, int dpi);

class TrayMenuPopup {
 public:
  // `owner` (the main window, may be null) owns the popup; `host` gives it its dialog keys.
  // The item callbacks may destroy the owner, but not this object.
  TrayMenuPopup(Win32Host& host, HWND owner, std::string_view productName,
                std::function<void()> showProgram, std::function<void()> exitProgram);
  TrayMenuPopup(const TrayMenuPopup&) = delete;
  TrayMenuPopup& operator=(const TrayMenuPopup&) = delete;

  // Opens the popup and slides it up; when it is open already, only the items change.
  void Open(bool exitEnabled, bool showEnabled);
  bool IsOpen() const { return static_cast<bool>(window_); }
  // The popup, or null while it is closed.
  HWND Handle() const { return window_.Get(); }

 private:
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void OnInitDialog(HWND window);
  void CreateItems();
  void LayoutItems();
  void EnableItems(bool exitEnabled, bool showEnabled);
  void FocusFirstItem();
  void PlaceAtTaskbar();
  void OnCommand(int id);
  void RunThenSlideDown(const std::function<void()>& action);
  void OnTimer(UINT_PTR id);
  void SlideUpStep();
  void AutoCloseTick();
  void SlideDownStep();
  void StartSlideDown();
  int Top() const;
  void MoveTo(int top);

  Win32Host& host_;
  HWND owner_;
  std::string productName_;
  std::function<void()> showProgram_;
  std::function<void()> exitProgram_;
  int dpi_ = 96;
  UniqueFont font_;
  int ticks_ = 0;
  int left_ = 0;
  int targetTop_ = 0;
  int screenHeight_ = 0;
  // Last: destroyed before the font its items use.
  DialogWindow window_{host_, this, &TrayMenuPopup::OnInitDialog, &TrayMenuPopup::OnMessage};
};

}  // namespace kestrian::app
