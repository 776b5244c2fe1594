#pragma once
// The options page: filled from the settings store when the main window loads, and written
// back by each control's click at once. The clicks of the scheduler's own controls ("Enable
// Scheduled Scans", the day list, the pickers, "Apply", "Reset") belong to the scheduler.
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/settings_store.h"
#include "core/startup_entry.h"
#include "ui/frm_main.h"
#include "ui/host.h"

namespace kestrian::core {

class OptionsPage {
 public:
  // onAutomaticScanClick: the scheduler's click handler of "Enable Scheduled Scans", run
  // when the load changes that box.
  // productName: the title of the page's messages.
  OptionsPage(ui::FrmMain& form, SettingsStore& settings, ui::Host& host, StartupEntry& startup,
              std::string_view productName, std::function<void()> onAutomaticScanClick);

  // Every control from the store, in the page's order; once per start of the main window. A
  // control whose state the load changes runs its click handler, as if the user had clicked
  // it; a stored value that cannot be converted leaves its control as it was.
  void LoadOptionsPage();

  // chkMakeLog, chkSweepMemory, chkScanRegistry, chkScanCookies, chkAutomaticUpdate and
  // chkAutoDel: the key of the same name, nothing else.
  void OnCheckBoxClick(const ui::CheckBox& box);
  // chkAutoProtect: the memory shield's keys and timer.
  void OnAutoProtectClick();
  // chkHomePage: the home page shield's keys, timer and restore options.
  void OnHomePageClick();
  // optMemorySheildOn / optMemorySheildOff: both keys; the timer runs while On is selected.
  void OnMemoryShieldClick();
  // optIEHomePageSheildOn / optIEHomePageSheildOff: both keys; the timer and the restore
  // options are enabled while On is selected.
  void OnHomePageShieldClick();
  // optAlwaysnotifybeforerestoring / optRestoredefaultwithoutnotification: both keys.
  void OnRestoreChoiceClick();
  // optScanAllSelectedHardDrive / optScanOnlyKnownSoftwares: both keys; the drive list is
  // shown for a complete scan and hidden for a quick one.
  void OnScanTypeClick();
  // A drive's check mark changed: every drive's state under its letter.
  void OnDriveCheck();
  // chkRunAtStartup: stores the box, then adds or removes the Run value as the stored value
  // says. When no Run key takes the value the user is told, and the box and the stored
  // option go off; an entry that cannot be removed is told too.
  void ApplyRunAtStartup();

 private:
  using Handler = void (OptionsPage::*)();

  std::optional<int> StoredBoxValue(const settings::Key& key) const;
  void LoadCheckBox(ui::CheckBox& box, const settings::Key& key);
  void LoadCheckBox(ui::CheckBox& box, const settings::Key& key, Handler onClick);
  void LoadOption(ui::OptionButton& option, const settings::Key& key, Handler onClick);
  void SelectOption(ui::OptionButton& option, bool value, Handler onClick);
  void LoadHomePageShield();
  void LoadMemoryShield();
  void LoadScanType();
  void LoadScheduleSwitch();
  void LoadDriveChecks();
  void EnableHomePageShield(bool enable);
  void EnableSchedule(bool enable);
  void Tell(std::string_view text);

  ui::FrmMain& form_;
  SettingsStore& settings_;
  ui::Host& host_;
  StartupEntry& startup_;
  std::string productName_;
  std::function<void()> onAutomaticScanClick_;
};

}  // namespace kestrian::core
