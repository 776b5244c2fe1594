// Drives the real program's windows from outside, as a user would: finds the main window,
// presses buttons by caption, waits for a text to show. Other top-level windows (message
// boxes, dialogs) are found by their title. Used by the end-to-end runs.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/application_title.h"
#include "platform/win32/unique_handle.h"

namespace {

using kestrian::platform::win32::UniqueHandle;

HWND MainWindow() { return ::FindWindowA("KestrianMainWindow", nullptr); }

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
  if (classMatches && ::IsWindowVisible(child) && std::strcmp(text, search.text) == 0) search.found = child;
  return search.found == nullptr;  // on until one matches
}

HWND FindChildOf(HWND parent, const char* text, const char* className) {
  if (parent == nullptr) return nullptr;
  Search search{text, className, nullptr};
  ::EnumChildWindows(parent, &MatchChild, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// A visible top-level window with exactly this title.
HWND FindTopLevel(const char* title) {
  Search search{title, nullptr, nullptr};
  ::EnumWindows(&MatchChild, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// 0 when `ok`; otherwise 1, saying why.
int Result(bool ok, const std::string& failure) {
  if (!ok) std::fprintf(stderr, "kdrive: %s\n", failure.c_str());
  return ok ? 0 : 1;
}

template <class Probe>
bool WaitFor(double seconds, Probe probe) {
  for (const DWORD start = ::GetTickCount(); !probe(); ::Sleep(50)) {
    if (::GetTickCount() - start > seconds * 1000) return false;
  }
  return true;
}

// Presses an enabled button of `parent` (waiting up to a minute for one); `parent` is looked up
// again on every try.
template <class Parent>
int ClickButton(Parent parent, const char* caption) {
  HWND button = nullptr;
  const bool found = WaitFor(60, [&] {
    button = FindChildOf(parent(), caption, "Button");
    return button != nullptr && ::IsWindowEnabled(button);
  });
  if (found) ::PostMessageA(button, BM_CLICK, 0, 0);
  return Result(found, "no enabled button \"" + std::string(caption) + "\"");
}

// Prints the rows of the list view on the main window's page, one a line, the cells
// separated by tabs. The list view takes its item structure and returns the text by pointer,
// and a pointer only means something in its own process: both are in a buffer made there.
int PrintRows() {
  const HWND list = FindChildOf(MainWindow(), "", WC_LISTVIEWA);
  DWORD processId = 0;
  ::GetWindowThreadProcessId(list, &processId);
  const UniqueHandle process(::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId));
  constexpr DWORD kTextSize = 1024;
  char* item = nullptr;
  if (list != nullptr && process) {
    item = static_cast<char*>(::VirtualAllocEx(process.get(), nullptr, sizeof(LVITEMA) + kTextSize,
                                               MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  }
  if (item == nullptr) return Result(false, "no list shows");
  char* const remoteText = item + sizeof(LVITEMA);
  const int columns = Header_GetItemCount(ListView_GetHeader(list));
  const int rows = ListView_GetItemCount(list);
  bool read = true;
  for (int row = 0; read && row < rows; ++row) {
    std::string line;
    for (int column = 0; read && column < columns; ++column) {
      LVITEMA cell{};
      cell.iSubItem = column;
      cell.pszText = remoteText;
      cell.cchTextMax = kTextSize;
      char text[kTextSize] = {};  // empty unless the list writes a text
      read = ::WriteProcessMemory(process.get(), item, &cell, sizeof cell, nullptr) &&
             ::WriteProcessMemory(process.get(), remoteText, text, 1, nullptr);
      if (read) ::SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(item));
      read = read && ::ReadProcessMemory(process.get(), remoteText, text, sizeof text - 1, nullptr);
      line += column > 0 ? "\t" : "";
      line += text;
    }
    if (read) std::printf("%s\n", line.c_str());
  }
  ::VirtualFreeEx(process.get(), item, 0, MEM_RELEASE);
  return Result(read, "the list could not be read");
}

// Some copy of the program runs in this session, visible or not, ending or not.
bool ProgramRuns() {
  return bool(UniqueHandle(::OpenMutexA(SYNCHRONIZE, FALSE, kestrian::core::kSingleInstanceMutex)));
}

// Has the window and its controls painted now, and returns once its thread has taken the
// message after it, so a screenshot taken next shows what the window holds.
// A program busy for a while (a page filling its lists) is waited for up to a minute.
int Paint(HWND window) {
  DWORD_PTR result = 0;
  if (window == nullptr) return Result(false, "no window to paint");
  ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  const bool taken = ::SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_BLOCK, 60000, &result) != 0;
  return Result(taken, "the window took no message for a minute (error " + std::to_string(::GetLastError()) + ")");
}

// Posts `count` copies of a message to the main window, if there is one.
int PostToMain(UINT message, WPARAM wParam, int count = 1) {
  const HWND main = MainWindow();
  for (int sent = 0; main != nullptr && sent < count; ++sent) ::PostMessageA(main, message, wParam, 0);
  return Result(main != nullptr, "no main window");
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  const std::string what = argc > 2 ? argv[2] : "";
  const double seconds = std::atof(argv[argc - 1]);
  const auto topLevel = [&] { return FindTopLevel(what.c_str()); };
  if (command == "wait-window" && argc == 3) {
    return Result(WaitFor(seconds, [] { return MainWindow() != nullptr; }), "no main window");
  }
  if (command == "click" && argc == 3) return ClickButton(&MainWindow, argv[2]);
  if (command == "wait-text" && argc == 4) {
    const bool shows = WaitFor(seconds, [&] { return FindChildOf(MainWindow(), argv[2], nullptr) != nullptr; });
    return Result(shows, what + " did not show");
  }
  if (command == "close" && argc == 2) return PostToMain(WM_CLOSE, 0);
  // The end of the Windows session as Windows, or an installer closing the program, sends it.
  if (command == "end-session" && argc == 2) {
    const HWND main = MainWindow();
    if (main == nullptr || !::SendMessageA(main, WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP)) return 1;
    ::SendMessageA(main, WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP);
    return 0;
  }
  if (command == "wait-ended" && argc == 3) {
    return Result(WaitFor(seconds, [] { return !ProgramRuns(); }), "the program still runs");
  }
  // The text beside a caption label: the control made right after it (a counter's value).
  if (command == "value-of" && argc == 3) {
    const HWND caption = FindChildOf(MainWindow(), argv[2], "Static");
    const HWND value = caption != nullptr ? ::GetWindow(caption, GW_HWNDNEXT) : nullptr;
    char text[512] = {};
    if (value != nullptr) ::GetWindowTextA(value, text, sizeof text);
    std::printf("%s\n", text);
    return Result(value != nullptr, "no label " + what + " shows");
  }
  if (command == "rows" && argc == 2) return PrintRows();
  // With a TITLE, the top-level window of that title instead.
  if (command == "painted" && (argc == 2 || argc == 3)) return Paint(argc == 3 ? topLevel() : MainWindow());
  if (command == "wait-title" && argc == 4) {
    return Result(WaitFor(seconds, [&] { return topLevel() != nullptr; }), "no window " + what);
  }
  if (command == "wait-gone" && argc == 4) {
    return Result(WaitFor(seconds, [&] { return topLevel() == nullptr; }), "the window " + what + " is still there");
  }
  // Until the window stands wholly on the screen (a notice rising from its bottom edge), and
  // then painted.
  if (command == "wait-on-screen" && argc == 4) {
    const bool onScreen = WaitFor(seconds, [&] {
      RECT bounds{};
      return ::GetWindowRect(topLevel(), &bounds) && bounds.top >= 0 && bounds.bottom <= ::GetSystemMetrics(SM_CYSCREEN);
    });
    return onScreen ? Paint(topLevel()) : Result(false, "the window " + what + " is not wholly on the screen");
  }
  // As a pointer resting on the window TITLE once it shows, until it is gone: a popup that
  // slides away after a while without a mouse movement stays while a user reaches for it.
  if (command == "hover" && argc == 4) {
    if (!WaitFor(seconds, [&] { return topLevel() != nullptr; })) return 1;
    for (HWND window; (window = topLevel()) != nullptr; ::Sleep(50)) ::PostMessageA(window, WM_MOUSEMOVE, 0, 0);
    return 0;
  }
  if (command == "click-in" && argc == 4) return ClickButton(topLevel, argv[3]);
  // A mouse click on the first column's heading of the list in the window TITLE (a sort).
  if (command == "click-heading" && argc == 3) {
    const HWND list = FindChildOf(topLevel(), "", WC_LISTVIEWA);
    const HWND heading = list != nullptr ? ListView_GetHeader(list) : nullptr;
    if (heading == nullptr) return Result(false, "no list heading on " + what);
    ::PostMessageA(heading, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
    ::PostMessageA(heading, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
    return 0;
  }
  // A menu command by its id, as choosing the item sends it (menus cannot be read from
  // another process under Wine).
  if (command == "command" && argc == 3) return PostToMain(WM_COMMAND, std::atoi(argv[2]));
  // Ticks of a window timer of the main window, by its id, as if that much time had passed
  // (the idle count before an automatic update would otherwise take minutes).
  if (command == "ticks" && argc == 4) return PostToMain(WM_TIMER, std::atoi(argv[2]), std::atoi(argv[3]));
  std::fputs(
      "usage: kdrive wait-window|wait-ended SECONDS | wait-text TEXT SECONDS | click CAPTION | close | end-session\n"
      "  | wait-title|wait-gone|wait-on-screen|hover TITLE SECONDS | click-in TITLE CAPTION | click-heading TITLE\n"
      "  | painted [TITLE] | value-of CAPTION | rows | command ID | ticks ID COUNT\n",
      stderr);
  return 2;
}
