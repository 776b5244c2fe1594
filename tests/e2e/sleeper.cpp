// A process for the scan to find: it only waits, or with "PATH read|none READY" holds PATH open
// for reading, sharing reading only or nothing, and writes READY once it does. It carries no
// version resource, so no company name keeps the scan from reporting it. It ends by itself
// after five minutes, so a run that never got to clean up leaves nothing behind for long.
#include <windows.h>

#include <cstring>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  if (__argc == 4) {
    const DWORD share = std::strcmp(__argv[2], "read") == 0 ? FILE_SHARE_READ : 0;
    const HANDLE held = ::CreateFileA(__argv[1], GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr);
    if (held == INVALID_HANDLE_VALUE) return 1;  // open until the process ends
    const HANDLE ready = ::CreateFileA(__argv[3], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (ready == INVALID_HANDLE_VALUE) return 1;
    ::CloseHandle(ready);
  }
  ::Sleep(300 * 1000);
  return 0;
}
