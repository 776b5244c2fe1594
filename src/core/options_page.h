#pragma once
// The scan options of the options page: filled from the settings store when the window
// loads, and written back by each control's click. (The protection, schedule and update
// options of the page join this class with the shell's start-up.)
#include "core/settings_store.h"
#include "ui/frm_main.h"

namespace kestrian::core {

class OptionsPage {
 public:
  OptionsPage(ui::FrmMain& form, SettingsStore& settings) : form_(form), settings_(settings) {}

  // The scan-option steps of the page's load, in their order. A control whose state the
  // load changes runs its click handler, as if the user had clicked it; a stored value that
  // cannot be converted leaves its control as it was.
  void LoadScanOptions();

  // chkMakeLog, chkSweepMemory, chkScanRegistry, chkScanCookies: the key of the same name.
  void OnScanCheckBoxClick(const ui::CheckBox& box);
  // optScanAllSelectedHardDrive / optScanOnlyKnownSoftwares: both keys; the drive list is
  // shown for a complete scan and hidden for a quick one.
  void OnScanTypeClick();
  // A drive's check mark changed: every drive's state under its letter.
  void OnDriveCheck();

 private:
  void LoadCheckBox(ui::CheckBox& box, const settings::Key& key);
  void SelectScanType(ui::OptionButton& option, bool value);
  void LoadDriveChecks();

  ui::FrmMain& form_;
  SettingsStore& settings_;
};

}  // namespace kestrian::core
