#pragma once
// The restart helper (AppRestart.exe, beside the program): after Live Update the program
// stores RESTART = "True", starts the helper without arguments and ends. The helper waits
// until no copy of the program runs any more and starts it again from its folder. It has no
// window, so a failure becomes one line of its own log, AppRestart.log in its folder.
//
// SHOW (user-started or unattended update) is not read: the program starts as the user
// left it (window or tray) from its own "Minimized" setting, so both start it normally.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/settings_store.h"
#include "platform/clock.h"
#include "platform/desktop.h"
#include "platform/environment.h"
#include "platform/file_system.h"
#include "platform/processes.h"

namespace kestrian::core {

inline constexpr std::string_view kRestartLogFile = "AppRestart.log";
// The program's file when the shared entry does not name it.
inline constexpr std::string_view kDefaultProgramFile = "Kestrian.exe";

// The services the helper uses; the registry comes in through the settings store.
struct RestartServices {
  platform::FileSystem& files;
  platform::Environment& environment;  // the helper's own path gives the folder
  platform::Clock& clock;              // the log line's time
  platform::Processes& processes;
  platform::Desktop& desktop;
};

struct RestartTiming {
  std::uint32_t timeoutMilliseconds = 60 * 1000;  // for all copies of the program together
  std::uint32_t waitMilliseconds = 500;           // one wait, between two snapshots
};

enum class RestartOutcome {
  Started,         // the program was started again
  NotRequested,    // RESTART is not "True": nothing started
  StillRunning,    // a copy still ran after the time-out (logged; no second copy started)
  ProgramMissing,  // the program file is not in the folder (logged)
  StartFailed,     // starting it failed (logged)
};

// A running process of `program` (a full path), found by its executable's path: a program of
// the same name in another folder is not this one.
std::optional<std::uint32_t> FindRunningProgram(platform::Processes& processes, std::string_view program);

// The program's file name: the shared entry's, when that entry names this product (another
// product may share it); otherwise kDefaultProgramFile.
std::string RestartProgramFile(const SettingsStore& settings);

// The helper's whole run. `settings` is the program's store (its application name).
RestartOutcome RunRestart(const RestartServices& services, const SettingsStore& settings,
                          RestartTiming timing = {});

}  // namespace kestrian::core
