#include "scan/process_control.h"

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

bool StopProcessByName(platform::Processes& processes, ui::Host& host, std::string_view name) {
  const auto entries = SnapshotProcesses(processes, host);
  const platform::ProcessEntry* match = nullptr;
  for (const auto& entry : entries) {
    if (ProcessNameMatches(entry.exeFile, name)) {
      match = &entry;
      break;
    }
    host.DoEvents();
  }
  if (match == nullptr) return true;  // nothing runs under that name
  for (int attempt = 0; attempt < kStopAttempts; ++attempt) {
    if (processes.Terminate(match->id, 0)) return true;
    if (processes.WaitForEnd(match->id, kEndWaitMilliseconds)) return true;
  }
  return false;
}

}  // namespace kestrian::scan
