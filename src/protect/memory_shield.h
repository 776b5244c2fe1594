#pragma once
// The memory shield ("Auto-Protect"): every few seconds between scans, the process scan runs
// outside a session and each listed program that runs is put to the user through the alert.
#include <string_view>

#include "core/exclusion_list.h"
#include "core/program_state.h"
#include "core/settings_store.h"
#include "platform/machine.h"
#include "scan/process_control.h"
#include "scan/scanners.h"
#include "ui/frm_main.h"
#include "ui/frm_spyware_found_alert.h"
#include "ui/host.h"

namespace kestrian::protect {

// One tick of tmrMemoryInspected: nothing while the shield is off or a shield run is
// already in progress; otherwise a process scan with the background timers disarmed.
class MemoryShield {
 public:
  MemoryShield(ui::FrmMain& form, core::SettingsStore& settings, scan::ProcessScan& processScan)
      : form_(form), settings_(settings), processScan_(processScan) {}

  void Tick();
  bool Running() const { return running_; }

 private:
  ui::FrmMain& form_;
  core::SettingsStore& settings_;
  scan::ProcessScan& processScan_;
  bool running_ = false;
};

// What the alert's answers do. The alert window calls these; each closes the window after.
struct AlertServices {
  core::ProgramState& state;
  platform::Processes& processes;
  core::ExclusionList& exclusions;
  ui::Host& host;
  std::string_view productName;
};

// A new alert: nothing answered yet.
void OnAlertCreated(ui::FrmSpywareFoundAlert& form, core::ProgramState& state);
// STOP: the process the alert is about is stopped; when it cannot be, the user is told.
void AlertStop(ui::FrmSpywareFoundAlert& form, const AlertServices& services,
               const scan::FoundProcess& process);
// ALLOW: the program's name goes onto the exclusion list.
void AlertAllow(const ui::FrmSpywareFoundAlert& form, const AlertServices& services);
// Closed without an answer: the scan goes on, nothing is stopped or excluded.
void AlertDismissed(core::ProgramState& state);

}  // namespace kestrian::protect
