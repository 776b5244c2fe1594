#pragma once
// Taking the process list and stopping processes, shared by the process scan, the backup
// step of removal and the memory shield's alert. A process is stopped by its id, and only
// after its program was read again: a look-alike of the same name is never taken for it.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/machine.h"
#include "scan/process_guard.h"
#include "ui/host.h"

namespace kestrian::scan {

// A process as the scan found it: its id and the path of its program as read then.
struct FoundProcess {
  std::uint32_t id = 0;
  std::string modulePath;
  bool operator==(const FoundProcess&) const = default;
};

// The process list in snapshot order, yielding to the message loop after each entry.
std::vector<platform::ProcessEntry> SnapshotProcesses(platform::Processes& processes,
                                                      ui::Host& host);

// Stops the process found earlier, in up to 11 attempts, when its id still runs the same
// program (an id since taken by another program is left alone). True when it was stopped
// or has ended; false while it still runs.
bool StopFoundProcess(platform::Processes& processes, const FoundProcess& found);

// Stops every process whose program is the file `path` (both compared as Windows resolves
// them). True when none runs it any more; false when one keeps running, or is one the guard
// protects, which is never stopped.
bool StopProcessesRunning(platform::Machine& machine, ui::Host& host, ProcessGuard& guard,
                          std::string_view path);

}  // namespace kestrian::scan
