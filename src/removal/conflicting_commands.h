#pragma once
// While a removal runs, the commands that would start other work are disabled, and each gets
// back the state it had when the removal ends: Delete, Exclude, the scan page's Start, Live
// Update (the button, the settings page's button and the idle timer). The removal disarms
// the shields' and the scheduler's timers itself; handlers that start work from a timer, a
// menu or the tray check core::LongWorkRunning, which the disabled Start makes true.
#include <utility>
#include <vector>

#include "ui/frm_main.h"

namespace kestrian::removal {

class ConflictingCommandsLock {
 public:
  explicit ConflictingCommandsLock(ui::FrmMain& form);
  ~ConflictingCommandsLock();
  ConflictingCommandsLock(const ConflictingCommandsLock&) = delete;
  ConflictingCommandsLock& operator=(const ConflictingCommandsLock&) = delete;

 private:
  std::vector<std::pair<ui::Control*, bool>> saved_;  // each command and whether it was enabled
};

}  // namespace kestrian::removal
