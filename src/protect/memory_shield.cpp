#include "protect/memory_shield.h"

#include "core/long_work.h"
#include "core/scoped_flag.h"
#include "core/settings_keys.h"
#include "core/text.h"
#include "core/timer_arming.h"
#include "scan/process_control.h"

namespace kestrian::protect {

void MemoryShield::Tick() {
  // A run still waiting for an answer holds its alert open: another run would stack a
  // second alert on it (a tick can arrive inside the wait, from the home page shield).
  if (running_) return;
  // Nothing starts inside a scan or a removal, even when its timer was armed again meanwhile.
  if (core::LongWorkRunning(form_)) return;
  if (!core::ParseBoolean(settings_.Get(core::settings::kMemoryShieldOn)).value_or(false)) return;
  const core::ScopedFlag running(running_);
  core::ArmTimers(form_, settings_, false);
  processScan_.ScanRunningProcesses();
  core::ArmTimers(form_, settings_, true);
}

void OnAlertCreated(ui::FrmSpywareFoundAlert& form, core::ProgramState& state) {
  state.alertAnswered = false;
  form.tmrBlink.SetEnabled(true);
}

void AlertStop(ui::FrmSpywareFoundAlert& form, const AlertServices& services,
               const scan::FoundProcess& process) {
  form.cmdYes.SetEnabled(false);
  services.state.alertAnswered = true;
  const std::string name(core::Trim(form.lblAlertFileName.Caption()));
  if (scan::StopFoundProcess(services.processes, process)) return;
  services.host.ShowMessage(core::ToUpper(name) +
                                " could not be stopped.  You should try again after saving your "
                                "work and closing any open applications.",
                            services.productName, ui::MessageButtons::Ok,
                            ui::MessageIcon::Information);
}

void AlertAllow(const ui::FrmSpywareFoundAlert& form, const AlertServices& services) {
  services.state.alertAnswered = true;
  services.exclusions.Add(core::Trim(form.lblAlertFileName.Caption()));
}

void AlertDismissed(core::ProgramState& state) { state.alertAnswered = true; }

}  // namespace kestrian::protect
