#pragma once
// What one scan session holds, built as the program builds it: the main window's model with
// "Scan Now" disabled, the program's host, the program state with the definition counts, a
// settings store on the benchmark's own application name, and the real machine.
#include <string_view>

#include "app/win32_host.h"
#include "core/application_folder.h"
#include "core/program_state.h"
#include "core/settings_store.h"
#include "platform/machine.h"
#include "scan/scan_context.h"
#include "ui/frm_main.h"

namespace kestrian::bench {

inline constexpr const char* kApplicationName = "KestrianBench";

// A host that never pumps: the scan without its yields, to see what they weigh.
class SilentHost final : public ui::Host {
 public:
  void DoEvents() override {}
  ui::MessageAnswer ShowMessage(std::string_view, std::string_view, ui::MessageButtons,
                                ui::MessageIcon) override {
    return ui::MessageAnswer::Ok;
  }
  void SuspendMainWindowDrawing(bool) override {}
  void RestoreDefaultPointer() override {}
};

// Fresh for every run, so no run inherits another's rows.
struct Rig {
  Rig(platform::Machine& machine, const core::ApplicationFolder& folder,
      const core::DefinitionCounts& counts, bool silent)
      : settings(machine.registry, kApplicationName),
        context{form,     deleteFailed, silent ? static_cast<ui::Host&>(silentHost) : host,
                state,    settings,     machine,
                folder,   version} {
    state.definitionCounts = counts;
    version.productName = "Kestrian";
    state.session.running = true;
  }

  ui::FrmMain form;
  ui::FrmDelete deleteFailed;
  app::Win32Host host;
  SilentHost silentHost;
  core::ProgramState state;
  core::SettingsStore settings;
  platform::VersionResource version;
  scan::ScanContext context;
};

}  // namespace kestrian::bench
