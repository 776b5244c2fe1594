#pragma once
// What a scan session and its scanners work with: the main window's model, the host, the
// program-wide state, the settings and the machine.
#include <string>

#include "core/application_folder.h"
#include "core/program_state.h"
#include "core/settings_store.h"
#include "platform/environment.h"
#include "platform/machine.h"
#include "ui/frm_main.h"
#include "ui/host.h"

namespace kestrian::scan {

struct ScanContext {
  ui::FrmMain& form;
  ui::FrmDelete& deleteFailed;
  ui::Host& host;
  core::ProgramState& state;
  core::SettingsStore& settings;
  platform::Machine& machine;
  const core::ApplicationFolder& folder;
  const platform::VersionResource& version;  // product name, version of the status page
};

}  // namespace kestrian::scan
