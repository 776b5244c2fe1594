#pragma once
// The window of one of the program's dialog objects. It makes the dialog (empty: the object
// adds its controls in pixels once it knows the DPI), keeps the handle, has the host give the
// window its dialog keys (Tab, Enter, Escape) while it lives, and routes every message to the
// object. A window destroyed from outside (with its owner, as the program ends) still passes
// its WM_DESTROY to the object before it is forgotten.
#include <windows.h>

#include <functional>

#include "app/win32_host.h"

namespace kestrian::app {

class DialogWindow {
 public:
  using InitHandler = std::function<void(HWND)>;
  using MessageHandler = std::function<INT_PTR(UINT, WPARAM, LPARAM)>;

  // `init` gets the new window (WM_INITDIALOG); `handle` every later message.
  template <class Owner>
  DialogWindow(Win32Host& host, Owner* owner, void (Owner::*init)(HWND),
               INT_PTR (Owner::*handle)(UINT, WPARAM, LPARAM))
      : DialogWindow(host, [owner, init](HWND window) { (owner->*init)(window); },
                     [owner, handle](UINT message, WPARAM wParam, LPARAM lParam) {
                       return (owner->*handle)(message, wParam, lParam);
                     }) {}
  DialogWindow(Win32Host& host, InitHandler init, MessageHandler handle);
  ~DialogWindow() { Destroy(); }
  DialogWindow(const DialogWindow&) = delete;
  DialogWindow& operator=(const DialogWindow&) = delete;

  // Makes the dialog with `style`, owned by `owner` (may be null); false if it could not be
  // made. A window made before is destroyed first.
  bool Create(DWORD style, HWND owner);
  // Destroys the window without a word to the object, which has done its own closing.
  void Destroy();
  // The window, or null when there is none.
  HWND Get() const { return window_; }
  explicit operator bool() const { return window_ != nullptr; }

 private:
  static INT_PTR CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // The window no longer reaches the object nor the host's dialog keys.
  void Forget();

  Win32Host& host_;
  InitHandler init_;
  MessageHandler handle_;
  HWND window_ = nullptr;
};

}  // namespace kestrian::app
