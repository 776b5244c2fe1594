#include "scan/process_control.h"

#include "core/text.h"
#include "scan/process_names.h"

namespace kestrian::scan {

namespace {
constexpr int kStopAttempts = 11;
constexpr std::uint32_t kEndWaitMilliseconds = 1;
}  // namespace

std::vector<platform::ProcessEntry> SnapshotProcesses(platform::Processes& processes,
                                                      ui::Host& host) {
  std::vector<platform::ProcessEntry> entries = processes.Snapshot();
  for (std::size_t i = 1; i < entries.size(); ++i) host.DoEvents();
  return entries;
}

bool StopFoundProcess(platform::Processes& processes, const FoundProcess& found) {
  const auto now = processes.MainModulePath(found.id);
  // Ended, taken by another program, or no longer readable: nothing of ours to stop.
  if (!now.ok() || !core::EqualsIgnoringCase(core::Trim(now.value()), core::Trim(found.modulePath))) {
    return processes.WaitForEnd(found.id, 0);
  }
  for (int attempt = 0; attempt < kStopAttempts; ++attempt) {
    if (processes.Terminate(found.id, 0)) return true;
    if (processes.WaitForEnd(found.id, kEndWaitMilliseconds)) return true;
  }
  return false;
}

bool StopProcessesRunning(platform::Machine& machine, ui::Host& host, ProcessGuard& guard,
                          std::string_view path) {
  const auto file = machine.files.ResolvedPath(path);
  if (!file.ok()) return false;
  const std::string_view name = ProcessFileName(file.value());
  bool allStopped = true;
  for (const auto& entry : SnapshotProcesses(machine.processes, host)) {
    // Only a process of that name, or one whose name the snapshot may not show plainly,
    // can run the file: the others are passed over unopened.
    if (IsPlainProcessName(entry.exeFile) && !ProcessNameMatches(entry.exeFile, name)) continue;
    const auto modulePath = machine.processes.MainModulePath(entry.id);
    if (!modulePath.ok()) continue;
    const auto program = machine.files.ResolvedPath(modulePath.value());
    if (!program.ok() || !core::EqualsIgnoringCase(program.value(), file.value())) continue;
    if (guard.Protection(modulePath.value()) != ProcessProtection::None ||
        !StopFoundProcess(machine.processes, {entry.id, modulePath.value()})) {
      allStopped = false;
    }
    host.DoEvents();
  }
  return allStopped;
}

}  // namespace kestrian::scan
