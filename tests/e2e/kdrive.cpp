// Drives the real program's windows from outside, as a user would: finds the main window,
// presses buttons by caption, waits for a text to show. Used by the end-to-end runs.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr char kMainClass[] = "KestrianMainWindow";

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

HWND FindChild(const char* text, const char* className) {
  const HWND main = ::FindWindowA(kMainClass, nullptr);
  if (main == nullptr) return nullptr;
  Search search{text, className, nullptr};
  ::EnumChildWindows(main, &MatchChild, reinterpret_cast<LPARAM>(&search));
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

int Usage() {
  std::fputs(
      "usage: kdrive wait-window SECONDS | click CAPTION | wait-text TEXT SECONDS | close\n",
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
    HWND button = nullptr;
    if (!WaitFor(10, [&] {
          button = FindChild(argv[2], "Button");
          return button != nullptr && ::IsWindowEnabled(button);
        })) {
      std::fprintf(stderr, "kdrive: no enabled button \"%s\"\n", argv[2]);
      return 1;
    }
    ::PostMessageA(button, BM_CLICK, 0, 0);
    return 0;
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
  return Usage();
}
