#include "platform/win32/win32_processes.h"

#include <windows.h>

#include <psapi.h>
#include <tlhelp32.h>

#include <cstring>

#include "platform/win32/unique_handle.h"

namespace kestrian::platform::win32 {

namespace {
constexpr DWORD kQueryAndReadMemory = PROCESS_QUERY_INFORMATION | PROCESS_VM_READ;  // 0x0410
constexpr DWORD kModuleBufferBytes = 200;
constexpr DWORD kStillActive = 259;

bool IsNtFamily() { return (::GetVersion() & 0x80000000u) == 0; }

// Enables or disables the debug privilege in the program's own token.
bool SetDebugPrivilege(HANDLE token, bool enable) {
  TOKEN_PRIVILEGES privileges{};
  privileges.PrivilegeCount = 1;
  if (!::LookupPrivilegeValueA(nullptr, "SeDebugPrivilege", &privileges.Privileges[0].Luid)) {
    return false;
  }
  privileges.Privileges[0].Attributes = enable ? SE_PRIVILEGE_ENABLED : 0;
  return ::AdjustTokenPrivileges(token, FALSE, &privileges, sizeof privileges, nullptr, nullptr);
}

bool TerminateOpened(DWORD id, UINT exitCode) {
  UniqueHandle process(::OpenProcess(PROCESS_ALL_ACCESS, FALSE, id));
  return process && ::TerminateProcess(process.get(), exitCode);
}
}  // namespace

std::vector<ProcessEntry> Win32Processes::Snapshot() {
  std::vector<ProcessEntry> entries;
  UniqueFileHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return entries;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = ::Process32First(snapshot.get(), &entry); more;
       more = ::Process32Next(snapshot.get(), &entry)) {
    entries.push_back({entry.th32ProcessID,
                       std::string(entry.szExeFile, ::strnlen(entry.szExeFile, MAX_PATH))});
  }
  return entries;
}

Result<std::string> Win32Processes::MainModulePath(std::uint32_t id) {
  UniqueHandle process(::OpenProcess(kQueryAndReadMemory, FALSE, id));
  if (!process) return Result<std::string>::Failure(static_cast<Status>(::GetLastError()));
  HMODULE modules[kModuleBufferBytes / sizeof(HMODULE)] = {};
  DWORD needed = 0;
  if (!::EnumProcessModules(process.get(), modules, kModuleBufferBytes, &needed)) {
    return Result<std::string>::Failure(static_cast<Status>(::GetLastError()));
  }
  char path[MAX_PATH] = {};
  const DWORD length = ::GetModuleFileNameExA(process.get(), modules[0], path, MAX_PATH);
  if (length == 0) return Result<std::string>::Failure(static_cast<Status>(::GetLastError()));
  return std::string(path, length);
}

bool Win32Processes::Terminate(std::uint32_t id, std::uint32_t exitCode) {
  if (!IsNtFamily()) return TerminateOpened(id, exitCode);
  UniqueHandle token;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY,
                          token.put())) {
    return false;
  }
  if (!SetDebugPrivilege(token.get(), true)) return false;
  const bool terminated = TerminateOpened(id, exitCode);
  SetDebugPrivilege(token.get(), false);
  return terminated;
}

void Win32Processes::TerminateWithOwnExitCode(std::uint32_t id) {
  UniqueHandle process(::OpenProcess(PROCESS_TERMINATE, FALSE, id));
  if (!process) return;
  DWORD exitCode = 0;
  // With the terminate right alone an NT-family system refuses the query; a running
  // process would report the still-active code anyway.
  if (!::GetExitCodeProcess(process.get(), &exitCode)) exitCode = kStillActive;
  ::TerminateProcess(process.get(), exitCode);
}

bool Win32Processes::WaitForEnd(std::uint32_t id, std::uint32_t milliseconds) {
  UniqueHandle process(::OpenProcess(SYNCHRONIZE, FALSE, id));
  if (!process) return ::GetLastError() == ERROR_INVALID_PARAMETER;  // no such process
  return ::WaitForSingleObject(process.get(), milliseconds) == WAIT_OBJECT_0;
}

}  // namespace kestrian::platform::win32
