#include "scan/process_guard.h"

#include <algorithm>
#include <string>

#include "core/path_parts.h"
#include "core/text.h"
#include "scan/process_names.h"

namespace kestrian::scan {

namespace {
// Session, logon, service and security processes, the window manager and the shell.
constexpr std::string_view kNeededProcesses[] = {
    "SMSS.EXE",     "CSRSS.EXE",     "WININIT.EXE",     "WINLOGON.EXE", "SERVICES.EXE",
    "LSASS.EXE",    "LSAISO.EXE",    "LSM.EXE",         "SVCHOST.EXE",  "DWM.EXE",
    "EXPLORER.EXE", "FONTDRVHOST.EXE", "SIHOST.EXE",    "CONHOST.EXE",  "TASKHOSTW.EXE",
    "LOGONUI.EXE",  "USERINIT.EXE",  "SPOOLSV.EXE",
};

std::string Resolved(platform::FileSystem& files, std::string_view path) {
  const auto resolved = files.ResolvedPath(path);
  return resolved.ok() ? resolved.value() : std::string();
}

bool SameFolder(std::string_view a, std::string_view b) {
  return !a.empty() && !b.empty() && core::PathParts(a) == core::PathParts(b);
}
}  // namespace

ProcessProtection ProcessGuard::Protection(std::string_view modulePath) {
  auto& files = machine_.files;
  // A bare name tells nothing of where the program lies.
  const std::string program =
      modulePath.find('\\') == std::string_view::npos ? std::string() : Resolved(files, modulePath);
  if (program.empty()) return ProcessProtection::Program;
  const std::string ownFolder = Resolved(files, folder_.Path());
  if (ownFolder.empty() || core::IsInsideFolder(program, ownFolder)) return ProcessProtection::Program;
  const std::string name = core::ToUpper(ProcessFileName(program));
  if (std::find(std::begin(kNeededProcesses), std::end(kNeededProcesses), name) ==
      std::end(kNeededProcesses)) {
    return ProcessProtection::None;
  }
  const std::string folder = program.substr(0, program.size() - name.size());
  const std::string windows = Resolved(files, machine_.environment.WindowsFolder());
  for (const std::string& needed :
       {windows, Resolved(files, machine_.environment.SystemFolder()),
        windows.empty() ? std::string() : windows + "\\SysWOW64"}) {
    if (SameFolder(folder, needed)) return ProcessProtection::Windows;
  }
  return ProcessProtection::None;
}

std::string_view LeftRunningReason(ProcessProtection protection) {
  switch (protection) {
    case ProcessProtection::Program: return "it is part of this program";
    case ProcessProtection::Windows: return "Windows needs it";
    case ProcessProtection::None: break;
  }
  return {};
}

}  // namespace kestrian::scan
