#pragma once
// Taking the process list and stopping a process by its executable name, shared by the
// process scan, the backup step of removal and the memory shield's alert.
#include <string_view>
#include <vector>

#include "platform/processes.h"
#include "ui/host.h"

namespace kestrian::scan {

// The process list in snapshot order, yielding to the message loop after each entry.
std::vector<platform::ProcessEntry> SnapshotProcesses(platform::Processes& processes,
                                                      ui::Host& host);

// Stops the first process (in snapshot order) that runs under `name`, in its full or its
// short 8.3 form. True when it was stopped, has ended, or none runs; false when it still
// runs after the last of 11 attempts.
bool StopProcessByName(platform::Processes& processes, ui::Host& host, std::string_view name);

}  // namespace kestrian::scan
