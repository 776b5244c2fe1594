#pragma once
// The timer `tmrScheduler`: every tick compares the clock with the stored schedule and starts
// a scan session in the second it names.
#include <functional>
#include <optional>

#include "core/program_state.h"
#include "core/settings_store.h"
#include "platform/clock.h"
#include "ui/frm_main.h"

namespace kestrian::core {

// Whether the stored schedule ("Day", "Time", "Date") names the clock's current second. A
// stored text that is not a date or time never matches.
bool ScheduleDue(const SettingsStore& settings, platform::Clock& clock);

class SchedulerTimer {
 public:
  // `startScan` runs one scan session as the scan page's Start does.
  SchedulerTimer(const ui::FrmMain& form, const SettingsStore& settings, ProgramState& state,
                 platform::Clock& clock, std::function<void()> startScan)
      : form_(form), settings_(settings), state_(state), clock_(clock),
        startScan_(std::move(startScan)) {}

  // tmrScheduler tick. The session runs to its end inside the tick, with deletion of all it
  // finds when "chkAutoDel" is checked; outside the tick nothing is deleted unasked.
  void Tick();

 private:
  const ui::FrmMain& form_;
  const SettingsStore& settings_;
  ProgramState& state_;
  platform::Clock& clock_;
  std::function<void()> startScan_;
  std::optional<platform::DateTime> lastStart_;  // the second the last scheduled scan began
};

}  // namespace kestrian::core
