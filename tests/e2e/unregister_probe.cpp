// A library whose DllUnregisterServer leaves a trace: it appends its own path as a line to
// the file named by KSCAN_E2E_UNREGISTER_MARKER, so a run can tell the call was made.
#include <windows.h>

#include <string>

namespace {
HMODULE self = nullptr;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) self = instance;
  return TRUE;
}

extern "C" __declspec(dllexport) HRESULT __stdcall DllUnregisterServer() {
  char marker[MAX_PATH + 1] = {};
  const DWORD length =
      ::GetEnvironmentVariableA("KSCAN_E2E_UNREGISTER_MARKER", marker, sizeof marker);
  if (length == 0 || length > MAX_PATH) return E_FAIL;
  char path[MAX_PATH + 1] = {};
  const DWORD pathLength = ::GetModuleFileNameA(self, path, MAX_PATH);
  const std::string line = std::string(path, pathLength) + "\r\n";
  const HANDLE file = ::CreateFileA(marker, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return E_FAIL;
  DWORD written = 0;
  const BOOL ok =
      ::WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  ::CloseHandle(file);
  return ok ? S_OK : E_FAIL;
}
