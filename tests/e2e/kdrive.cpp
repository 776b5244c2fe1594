// Drives the real program's windows from outside, as a user would: finds the main window,
// presses buttons by caption, waits for a text to show. Other top-level windows (message
// boxes, dialogs) are found by their title. Used by the end-to-end runs.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/application_title.h"

namespace {

constexpr char kMainClass[] = "KestrianMainWindow";
constexpr const char* kInstanceMutex = kestrian::core::kSingleInstanceMutex;

struct Search {
  const char* text;
  const char* className;  // null: any class
  HWND found;
};

BOOL CALLBACK MatchChild(HWND child, LPARAM parameter) {
  auto& search = *reinterpret_cast<Search*>(parameter);
  char text[512] = {};
  char className[64] = {};
  ::GetWindowTextA(child, text, sizeof text);
  ::GetClassNameA(child, className, sizeof className);
  const bool classMatches = search.className == nullptr || _stricmp(className, search.className) == 0;
  if (classMatches && ::IsWindowVisible(child) && std::strcmp(text, search.text) == 0) {
    search.found = child;
    return FALSE;
  }
  return TRUE;
}

HWND FindChildOf(HWND parent, const char* text, const char* className) {
  if (parent == nullptr) return nullptr;
  Search search{text, className, nullptr};
  ::EnumChildWindows(parent, &MatchChild, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND FindChild(const char* text, const char* className) {
  return FindChildOf(::FindWindowA(kMainClass, nullptr), text, className);
}

// A visible top-level window with exactly this title.
HWND FindTopLevel(const char* title) {
  Search search{title, nullptr, nullptr};
  ::EnumWindows(&MatchChild, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

template <class Probe>
bool WaitFor(double seconds, Probe probe) {
  const DWORD deadline = ::GetTickCount() + static_cast<DWORD>(seconds * 1000);
  while (!probe()) {
    if (static_cast<LONG>(::GetTickCount() - deadline) > 0) return false;
    ::Sleep(50);
  }
  return true;
}

// Presses an enabled button of `parent` (waiting up to 10 s for one); `parent` is looked up
// again on every try.
template <class Parent>
int ClickButton(Parent parent, const char* caption) {
  HWND button = nullptr;
  if (!WaitFor(10, [&] {
        button = FindChildOf(parent(), caption, "Button");
        return button != nullptr && ::IsWindowEnabled(button);
      })) {
    std::fprintf(stderr, "kdrive: no enabled button \"%s\"\n", caption);
    return 1;
  }
  ::PostMessageA(button, BM_CLICK, 0, 0);
  return 0;
}

BOOL CALLBACK PrintButton(HWND child, LPARAM) {
  char text[512] = {};
  char className[64] = {};
  ::GetWindowTextA(child, text, sizeof text);
  ::GetClassNameA(child, className, sizeof className);
  if (_stricmp(className, "Button") == 0 && ::IsWindowVisible(child)) {
    std::fprintf(stderr, "kdrive:   button \"%s\"\n", text);
  }
  return TRUE;
}

// Some copy of the program runs in this session, visible or not, ending or not.
bool ProgramRuns() {
  const HANDLE mutex = ::OpenMutexA(SYNCHRONIZE, FALSE, kInstanceMutex);
  if (mutex == nullptr) return false;
  ::CloseHandle(mutex);
  return true;
}

int Usage() {
  std::fputs(
      "usage: kdrive wait-window SECONDS | click CAPTION | wait-text TEXT SECONDS | close\n"
      "       kdrive wait-title TITLE SECONDS | wait-gone TITLE SECONDS | click-in TITLE CAPTION\n"
      "              | close-title TITLE | rect-title TITLE | command ID | ticks ID COUNT\n"
      "              | wait-ended SECONDS | end-session\n",
      stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  const std::string command = argv[1];
  if (command == "wait-window" && argc == 3) {
    return WaitFor(std::atof(argv[2]), [] { return ::FindWindowA(kMainClass, nullptr) != nullptr; })
               ? 0 : 1;
  }
  if (command == "click" && argc == 3) {
    return ClickButton([] { return ::FindWindowA(kMainClass, nullptr); }, argv[2]);
  }
  if (command == "wait-text" && argc == 4) {
    if (WaitFor(std::atof(argv[3]), [&] { return FindChild(argv[2], nullptr) != nullptr; })) return 0;
    std::fprintf(stderr, "kdrive: \"%s\" did not show\n", argv[2]);
    return 1;
  }
  if (command == "close" && argc == 2) {
    const HWND main = ::FindWindowA(kMainClass, nullptr);
    if (main != nullptr) ::PostMessageA(main, WM_CLOSE, 0, 0);
    return main != nullptr ? 0 : 1;
  }
  // The end of the Windows session as Windows, or an installer closing the program, sends it.
  if (command == "end-session" && argc == 2) {
    const HWND main = ::FindWindowA(kMainClass, nullptr);
    if (main == nullptr || !::SendMessageA(main, WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP)) return 1;
    ::SendMessageA(main, WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP);
    return 0;
  }
  if (command == "wait-ended" && argc == 3) {
    if (WaitFor(std::atof(argv[2]), [] { return !ProgramRuns(); })) return 0;
    std::fprintf(stderr, "kdrive: the program still runs\n");
    return 1;
  }
  if (command == "wait-title" && argc == 4) {
    if (WaitFor(std::atof(argv[3]), [&] { return FindTopLevel(argv[2]) != nullptr; })) return 0;
    std::fprintf(stderr, "kdrive: no window \"%s\"\n", argv[2]);
    return 1;
  }
  if (command == "wait-gone" && argc == 4) {
    if (WaitFor(std::atof(argv[3]), [&] { return FindTopLevel(argv[2]) == nullptr; })) return 0;
    std::fprintf(stderr, "kdrive: the window \"%s\" is still there\n", argv[2]);
    return 1;
  }
  if (command == "click-in" && argc == 4) {
    const int result = ClickButton([&] { return FindTopLevel(argv[2]); }, argv[3]);
    if (result != 0) {
      const HWND window = FindTopLevel(argv[2]);
      if (window == nullptr) std::fprintf(stderr, "kdrive:   no window \"%s\"\n", argv[2]);
      else ::EnumChildWindows(window, &PrintButton, 0);
    }
    return result;
  }
  if (command == "close-title" && argc == 3) {
    const HWND window = FindTopLevel(argv[2]);
    if (window != nullptr) ::PostMessageA(window, WM_CLOSE, 0, 0);
    return window != nullptr ? 0 : 1;
  }
  if (command == "rect-title" && argc == 3) {
    // The window's place on the screen: LEFT TOP WIDTH HEIGHT.
    const HWND window = FindTopLevel(argv[2]);
    RECT bounds{};
    if (window == nullptr || !::GetWindowRect(window, &bounds)) return 1;
    std::printf("%ld %ld %ld %ld\n", bounds.left, bounds.top, bounds.right - bounds.left,
                bounds.bottom - bounds.top);
    return 0;
  }
  // A menu command by its id, as choosing the item sends it (menus cannot be read from
  // another process under Wine).
  if (command == "command" && argc == 3) {
    const HWND main = ::FindWindowA(kMainClass, nullptr);
    if (main == nullptr) return 1;
    ::PostMessageA(main, WM_COMMAND, static_cast<WPARAM>(std::atoi(argv[2])), 0);
    return 0;
  }
  // Ticks of a window timer of the main window, by its id, as if that much time had passed
  // (the idle count before an automatic update would otherwise take minutes).
  if (command == "ticks" && argc == 4) {
    const HWND main = ::FindWindowA(kMainClass, nullptr);
    if (main == nullptr) return 1;
    const int count = std::atoi(argv[3]);
    for (int tick = 0; tick < count; ++tick) {
      ::PostMessageA(main, WM_TIMER, static_cast<WPARAM>(std::atoi(argv[2])), 0);
    }
    return 0;
  }
  return Usage();
}
