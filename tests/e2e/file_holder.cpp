// Holds a file open for the removal run: file_holder PATH read|none READY
// Opens PATH for reading, sharing reading only ("read") or nothing ("none"), writes READY
// once the handle is open and keeps it for five minutes (or until it is stopped).
#include <windows.h>

#include <cstdlib>
#include <cstring>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  if (__argc != 4) return 2;
  const DWORD share = std::strcmp(__argv[2], "read") == 0 ? FILE_SHARE_READ : 0;
  const HANDLE held = ::CreateFileA(__argv[1], GENERIC_READ, share, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  if (held == INVALID_HANDLE_VALUE) return 1;
  const HANDLE ready = ::CreateFileA(__argv[3], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
  if (ready == INVALID_HANDLE_VALUE) return 1;
  ::CloseHandle(ready);
  ::Sleep(300 * 1000);
  ::CloseHandle(held);
  return 0;
}
