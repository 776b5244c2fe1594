#pragma once
// What the Win32 window tests share: an owner window, a window's text and its place, and a
// message loop that runs until a condition holds.
#include <windows.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "app/dialog_support.h"
#include "app/tray_icon.h"
#include "app/win32_host.h"

namespace kestrian::testing {

using app::UniqueWindow;

// A top-level window to own the windows under test. Under Wine without a window manager,
// hiding or destroying a shown top-level window waits two seconds; owners the test does not
// look at stay hidden.
inline UniqueWindow MakeOwner(const char* title, bool shown = false) {
  UniqueWindow owner(::CreateWindowExA(0, "STATIC", title, WS_OVERLAPPEDWINDOW, 50, 50, 500, 400,
                                       nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr));
  if (shown) ::ShowWindow(owner.get(), SW_SHOW);
  return owner;
}

inline std::string TextOf(HWND window) {
  std::string text(static_cast<std::size_t>(::GetWindowTextLengthA(window)) + 1, '\0');
  text.resize(static_cast<std::size_t>(::GetWindowTextA(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

inline RECT BoundsOf(HWND window) {
  RECT bounds{};
  ::GetWindowRect(window, &bounds);
  return bounds;
}

inline RECT ClientOf(HWND window) {
  RECT client{};
  ::GetClientRect(window, &client);
  return client;
}

// A user on another thread: waits for the dialog titled `title` to show (one generous
// deadline; a dialog exists, hidden and without its controls, a little before it is shown)
// and hands it to `act`, which reads and answers it; `found` says whether it showed.
class DialogUser {
 public:
  DialogUser(const char* title, std::function<void(HWND)> act)
      : thread_([this, title, act = std::move(act)] {
          for (const DWORD start = ::GetTickCount(); !found && ::GetTickCount() - start < 30000; ::Sleep(10)) {
            const HWND dialog = ::FindWindowA("#32770", title);
            found = dialog != nullptr && ::IsWindowVisible(dialog);
            if (found) act(dialog);
          }
        }) {}
  ~DialogUser() { Join(); }
  void Join() {
    if (thread_.joinable()) thread_.join();
  }
  bool found = false;

 private:
  std::thread thread_;
};

inline std::vector<std::string> ChildTexts(HWND window) {
  std::vector<std::string> texts;
  for (HWND child = ::GetWindow(window, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
    texts.push_back(TextOf(child));
  }
  return texts;
}

inline HWND ChildOf(HWND window, const char* className, const char* text) {
  return ::FindWindowExA(window, nullptr, className, text);
}

// Runs what is queued now through the program's dispatch, dialog keys included.
inline void DispatchPending(app::Win32Host& host) {
  MSG message;
  while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) host.Dispatch(message);
}

// A key pressed and let go on `target`, as the keyboard would queue it.
inline void PostKey(HWND target, WPARAM key) {
  ::PostMessageA(target, WM_KEYDOWN, key, 1);
  ::PostMessageA(target, WM_KEYUP, key, 0xC0000001);
}

// The key, and what it leads to, run through the program's dispatch.
inline void PressKey(app::Win32Host& host, HWND target, WPARAM key) {
  PostKey(target, key);
  DispatchPending(host);
}

// Whether the shell holds an icon with the program's id for `window`: only then can the
// icon be modified.
inline bool ShellHoldsIcon(HWND window) {
  NOTIFYICONDATAA record{};
  record.cbSize = NOTIFYICONDATAA_V1_SIZE;
  record.hWnd = window;
  record.uID = app::kTrayIconId;
  return ::Shell_NotifyIconA(NIM_MODIFY, &record) != FALSE;
}

// Runs the queue through the program's dispatch until `done`, at most `timeoutMs`.
inline bool PumpUntil(app::Win32Host& host, const std::function<bool()>& done, DWORD timeoutMs) {
  const DWORD start = ::GetTickCount();
  while (!done()) {
    if (::GetTickCount() - start > timeoutMs) return false;
    DispatchPending(host);
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
  return true;
}

}  // namespace kestrian::testing
