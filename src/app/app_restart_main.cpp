// AppRestart.exe: the restart helper beside the program. The program starts it without
// arguments after Live Update and ends; the helper starts the program again once it has
// ended (core/restart_helper.h). No window, no message box: failures go to AppRestart.log.
// Exit code 0: the program was started, or no restart was asked for; 1: a failure (logged).
#include <windows.h>

#include "core/restart_helper.h"
#include "core/settings_keys.h"
#include "core/settings_store.h"
#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_environment.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_processes.h"
#include "platform/win32/win32_registry.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  using namespace kestrian;
  // Only the services the helper uses, not the whole machine.
  platform::win32::Win32Registry registry;
  platform::win32::Win32FileSystem files;
  platform::win32::Win32Environment environment;
  platform::win32::Win32Clock clock;
  platform::win32::Win32Processes processes;
  platform::win32::Win32Desktop desktop;
  const core::SettingsStore settings(registry, std::string(core::settings::kProductName));
  const auto outcome = core::RunRestart({files, environment, clock, processes, desktop}, settings);
  const bool failed = outcome != core::RestartOutcome::Started &&
                      outcome != core::RestartOutcome::NotRequested;
  return failed ? 1 : 0;
}
