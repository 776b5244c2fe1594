#pragma once
// "Roll Back Definitions": after a question, the previous generation of every definition
// file that has one goes back in place with its version; the program then counts its
// definitions afresh and says what it did.
#include "core/application_folder.h"
#include "core/program_state.h"
#include "core/settings_store.h"
#include "platform/environment.h"
#include "platform/file_system.h"
#include "ui/frm_main.h"
#include "ui/host.h"

namespace kestrian::core {

struct DefinitionRollbackContext {
  ui::FrmMain& form;
  SettingsStore& settings;
  ProgramState& state;
  platform::FileSystem& files;
  const ApplicationFolder& folder;
  const platform::VersionResource& version;
  ui::Host& host;
};

class DefinitionRollback {
 public:
  explicit DefinitionRollback(DefinitionRollbackContext context) : c_(context) {}

  // The File menu's command. Ignored while a scan runs, which reads the files.
  void Command();
  // Offered at start-up when a definition file is missing or unreadable: asks only when
  // there is a previous generation. True when definitions were put back.
  bool Offer();

 private:
  bool AskAndRollBack();
  void Recount();

  DefinitionRollbackContext c_;
};

}  // namespace kestrian::core
