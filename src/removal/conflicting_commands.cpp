#include "removal/conflicting_commands.h"

namespace kestrian::removal {

ConflictingCommandsLock::ConflictingCommandsLock(ui::FrmMain& form) {
  for (ui::Control* command : std::initializer_list<ui::Control*>{
           &form.Command4, &form.cmdExclude, &form.cmdScanNow, &form.cmdUpdate,
           &form.cmdLiveUpdate, &form.timUpdate}) {
    saved_.emplace_back(command, command->Enabled());
    command->SetEnabled(false);
  }
}

ConflictingCommandsLock::~ConflictingCommandsLock() {
  for (const auto& [command, enabled] : saved_) command->SetEnabled(enabled);
}

}  // namespace kestrian::removal
