#include "setup/running_program.h"

#include <algorithm>

#include "core/restart_helper.h"

namespace kestrian::setup {

namespace {

// One program per user session; a few more rounds cover copies of other sessions that
// start while the first ends.
constexpr int kMostCopies = 4;

EndOutcome EndCopy(platform::Processes& processes, const CloseRequest& askToClose, std::uint32_t id,
                   EndTiming timing) {
  askToClose(id);
  if (processes.WaitForEnd(id, timing.closeMilliseconds)) return EndOutcome::Closed;
  // With the terminate right alone: a user may end their own processes without the debug
  // privilege that Terminate asks for.
  processes.TerminateWithOwnExitCode(id);
  return processes.WaitForEnd(id, timing.stopMilliseconds) ? EndOutcome::Stopped
                                                           : EndOutcome::StillRunning;
}

}  // namespace

EndOutcome EndRunningProgram(platform::Processes& processes, const CloseRequest& askToClose,
                             std::string_view program, EndTiming timing) {
  EndOutcome outcome = EndOutcome::NotRunning;
  for (int copy = 0; copy < kMostCopies; ++copy) {
    const auto running = core::FindRunningProgram(processes, program);
    if (!running) return outcome;
    outcome = std::max(outcome, EndCopy(processes, askToClose, *running, timing));
    if (outcome == EndOutcome::StillRunning) return outcome;
  }
  return core::FindRunningProgram(processes, program) ? EndOutcome::StillRunning : outcome;
}

}  // namespace kestrian::setup
