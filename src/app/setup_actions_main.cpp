// SetupActions.exe: the steps of the installer package that Windows Installer tables cannot
// express, run by the package from the program's folder (where it is installed) with the
// user's rights and no window:
//   SetupActions close                            ends a running copy of the program in order
//   SetupActions place-definitions R F E C        puts the packaged definition files in place
//                                                 unless Live Update's are newer (R F E C: the
//                                                 packaged versions of the four kinds)
//   SetupActions remove-leftovers UPGRADE PRODUCT removes the definition files and the Run
//                                                 values, unless another version of the product
//                                                 stays installed (the removal of a major upgrade)
// Exit code 0: done; 1: a step failed (each failure is one line on standard error); 2: usage.
#include <windows.h>

#include <msi.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "app/main_window_class.h"
#include "core/application_folder.h"
#include "core/restart_helper.h"
#include "core/settings_keys.h"
#include "core/settings_store.h"
#include "core/text.h"
#include "platform/win32/win32_environment.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_processes.h"
#include "platform/win32/win32_registry.h"
#include "setup/packaged_definitions.h"
#include "setup/running_program.h"
#include "setup/uninstall_leftovers.h"

namespace kestrian::app {
namespace {

constexpr int kDone = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

struct MainWindowSearch {
  DWORD processId;
  bool asked;
};

BOOL CALLBACK CloseIfMainWindow(HWND window, LPARAM parameter) {
  auto& search = *reinterpret_cast<MainWindowSearch*>(parameter);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  char className[64] = {};
  ::GetClassNameA(window, className, sizeof className);
  if (owner == search.processId && std::string_view(className) == kMainWindowClass) {
    search.asked = ::PostMessageA(window, WM_CLOSE, 0, 0) != FALSE || search.asked;
  }
  return TRUE;
}

// Posts WM_CLOSE to the process's main window: the same orderly end as its close box.
bool AskMainWindowToClose(std::uint32_t processId) {
  MainWindowSearch search{processId, false};
  ::EnumWindows(&CloseIfMainWindow, reinterpret_cast<LPARAM>(&search));
  return search.asked;
}

void Report(const std::string& line) { std::fprintf(stderr, "SetupActions: %s\n", line.c_str()); }

int Close(platform::Processes& processes, const core::ApplicationFolder& folder) {
  const std::string program = folder.FilePath(core::kDefaultProgramFile);
  switch (setup::EndRunningProgram(processes, &AskMainWindowToClose, program)) {
    case setup::EndOutcome::NotRunning:
    case setup::EndOutcome::Closed:
      return kDone;
    case setup::EndOutcome::Stopped:
      Report(program + " did not close when asked and was stopped");
      return kDone;
    case setup::EndOutcome::StillRunning:
      break;
  }
  Report(program + " is still running");
  return kFailed;
}

int PlaceDefinitions(platform::FileSystem& files, platform::Registry& registry,
                     const core::ApplicationFolder& folder, const char* const* versionTexts) {
  setup::PackagedVersions versions{};
  for (std::size_t i = 0; i < versions.size(); ++i) {
    const auto version = core::ParseNumber(versionTexts[i]);
    if (!version) return kUsage;
    versions[i] = *version;
  }
  core::SettingsStore settings(registry, std::string(core::settings::kProductName));
  int result = kDone;
  for (const auto& placed : setup::PlacePackagedDefinitions(files, settings, folder, versions)) {
    if (placed.placement != setup::Placement::Failed) continue;
    Report(std::string(placed.file) + " could not be put in place (error " +
           std::to_string(placed.status) + ")");
    result = kFailed;
  }
  return result;
}

// Whether a product of the upgrade code other than `product` is installed: the new version,
// while a major upgrade removes the old one after installing itself.
bool AnotherVersionInstalled(const char* upgradeCode, std::string_view product) {
  char found[39] = {};
  for (DWORD index = 0; ::MsiEnumRelatedProductsA(upgradeCode, 0, index, found) == ERROR_SUCCESS; ++index) {
    if (!core::EqualsIgnoringCase(found, product)) return true;
  }
  return false;
}

int RemoveLeftovers(platform::FileSystem& files, platform::Registry& registry,
                    const core::ApplicationFolder& folder, const char* upgradeCode, const char* product) {
  if (AnotherVersionInstalled(upgradeCode, product)) return kDone;
  auto failures = setup::RemoveDefinitionFiles(files, folder);
  const auto values = setup::RemoveStartupValues(registry, folder);
  failures.insert(failures.end(), values.begin(), values.end());
  for (const auto& failure : failures) {
    Report(failure.item + " could not be removed (error " + std::to_string(failure.status) + ")");
  }
  return failures.empty() ? kDone : kFailed;
}

int Run(int argc, char** argv) {
  platform::win32::Win32Environment environment;
  platform::win32::Win32FileSystem files;
  platform::win32::Win32Registry registry;
  platform::win32::Win32Processes processes;
  const auto folder = core::ApplicationFolder::OfExecutable(environment);
  const std::string_view verb = argc > 1 ? argv[1] : "";
  if (verb == "close" && argc == 2) return Close(processes, folder);
  if (verb == "place-definitions" && argc == 6) return PlaceDefinitions(files, registry, folder, argv + 2);
  if (verb == "remove-leftovers" && argc == 4) return RemoveLeftovers(files, registry, folder, argv[2], argv[3]);
  return kUsage;
}

}  // namespace
}  // namespace kestrian::app

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return kestrian::app::Run(__argc, __argv); }
