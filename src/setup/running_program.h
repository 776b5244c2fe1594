#pragma once
// Ends the program before its files are replaced or removed, as its user would: each running
// copy of the program file is asked to close (its window's orderly end writes its settings
// and takes its tray icon away), and only a copy that is still running after a generous
// deadline is stopped.
#include <cstdint>
#include <functional>
#include <string_view>

#include "platform/processes.h"

namespace kestrian::setup {

// Asks a process's main window to close; false when the process shows none (yet).
using CloseRequest = std::function<bool(std::uint32_t processId)>;

struct EndTiming {
  std::uint32_t closeMilliseconds = 30 * 1000;  // for a copy to end after it was asked
  std::uint32_t stopMilliseconds = 5 * 1000;    // for a stopped copy to be gone
};

enum class EndOutcome {
  NotRunning,    // no copy ran
  Closed,        // every copy closed when asked
  Stopped,       // a copy did not close in time and was stopped
  StillRunning,  // a copy could not be stopped either
};

// `program` is the full path of the program file; copies of a program of the same name in
// another folder are left alone.
EndOutcome EndRunningProgram(platform::Processes& processes, const CloseRequest& askToClose,
                             std::string_view program, EndTiming timing = {});

}  // namespace kestrian::setup
