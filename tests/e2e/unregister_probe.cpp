// A library whose DllUnregisterServer leaves a trace: it appends its own path as a line to
// the file named by KSCAN_E2E_UNREGISTER_MARKER, so a run can tell the call was made.
#include <windows.h>

#include <fstream>

extern "C" IMAGE_DOS_HEADER __ImageBase;  // this library as loaded

extern "C" __declspec(dllexport) HRESULT __stdcall DllUnregisterServer() {
  char marker[MAX_PATH + 1] = {};
  const DWORD length = ::GetEnvironmentVariableA("KSCAN_E2E_UNREGISTER_MARKER", marker, sizeof marker);
  if (length == 0 || length > MAX_PATH) return E_FAIL;
  char path[MAX_PATH + 1] = {};
  ::GetModuleFileNameA(reinterpret_cast<HMODULE>(&__ImageBase), path, MAX_PATH);
  std::ofstream file(marker, std::ios::binary | std::ios::app);
  file << path << "\r\n";
  return file.flush() ? S_OK : E_FAIL;
}
