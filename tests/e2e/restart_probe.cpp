// The program the restart helper's run starts again: each start appends a line to
// started.txt beside it; then it runs until stop.txt appears there (at most a minute), so
// the run decides when the running copy ends and a later copy ends right after its start.
#include <windows.h>

#include <string>

#include "platform/win32/unique_handle.h"

namespace {
std::string OwnFolder() {
  char path[MAX_PATH] = {};
  const std::string self(path, ::GetModuleFileNameA(nullptr, path, MAX_PATH));
  return self.substr(0, self.find_last_of('\\') + 1);
}
}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  const std::string folder = OwnFolder();
  {
    kestrian::platform::win32::UniqueFileHandle log(
        ::CreateFileA((folder + "started.txt").c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                      nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!log) return 1;
    DWORD written = 0;
    ::WriteFile(log.get(), "started\r\n", 9, &written, nullptr);
  }
  const std::string stop = folder + "stop.txt";
  for (int tick = 0; tick < 600 && ::GetFileAttributesA(stop.c_str()) == INVALID_FILE_ATTRIBUTES; ++tick) {
    ::Sleep(100);
  }
  return 0;
}
