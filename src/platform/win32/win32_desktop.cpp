#include "platform/win32/win32_desktop.h"

#include <windows.h>

#include <shellapi.h>

#include <string>

#include "platform/win32/unique_handle.h"

namespace kestrian::platform::win32 {

Status Win32Desktop::RunCommand(std::string_view commandLine, int showStyle) {
  std::string line(commandLine);  // CreateProcessA may write into its command line
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(showStyle);
  PROCESS_INFORMATION started{};
  if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &started)) {
    return static_cast<Status>(::GetLastError());
  }
  UniqueHandle process(started.hProcess);
  UniqueHandle thread(started.hThread);
  return kOk;
}

Status Win32Desktop::OpenDocument(std::string_view target) {
  const std::string file(target);
  SHELLEXECUTEINFOA execute{};
  execute.cbSize = sizeof execute;
  execute.fMask = SEE_MASK_FLAG_NO_UI;  // a failure is the caller's to report, not a dialog
  execute.lpVerb = "open";
  execute.lpFile = file.c_str();
  execute.nShow = SW_SHOWNORMAL;
  if (!::ShellExecuteExA(&execute)) return static_cast<Status>(::GetLastError());
  return kOk;
}

}  // namespace kestrian::platform::win32
