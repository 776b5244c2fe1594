#pragma once
// The "Scheduled Scans" tab of the options page: its controls' handlers, and the schedule
// they edit, which only "Apply" stores and the tab reloads from the settings store.
#include <string>

#include "core/settings_store.h"
#include "platform/clock.h"
#include "platform/environment.h"
#include "ui/frm_main.h"
#include "ui/host.h"

namespace kestrian::core {

class SchedulerPage {
 public:
  SchedulerPage(ui::FrmMain& form, SettingsStore& settings, platform::Clock& clock,
                ui::Host& host, const platform::VersionResource& version)
      : form_(form), settings_(settings), clock_(clock), host_(host), version_(version) {}

  // chkAutomaticScanYesOrNo click: the timer, the list and the pickers follow the box.
  void OnAutomaticScanClick();
  // cmbDays click: which pickers the chosen row needs.
  void OnDaysClick();
  // dtpScheduleDate / dtpScheduleTime change.
  void OnPickerChange();
  // chkAutoDel click: stored at once, without "Apply".
  void OnAutoDeleteClick();
  // CmdProceed ("Apply") click: stores the schedule and shows it as stored.
  void OnApplyClick();
  // cmdDefaultSetting ("Reset") click: "Daily", scheduling off, applied.
  void OnResetClick();

  // Stores the tab's schedule. False, with a message and nothing stored, when "Date & Time"
  // lacks its date or time.
  bool SaveSchedule();
  // Shows the stored schedule on the tab; also run by the main window's start-up.
  void LoadSchedule();

 private:
  // Setting a control the way code does runs its click handler only when its state changes.
  void SelectDay(int index);
  void SetAutomaticScan(int value);
  void LoadPicker(ui::DateTimePicker& picker, const settings::Key& key);
  std::string PickerText(const ui::DateTimePicker& picker);

  ui::FrmMain& form_;
  SettingsStore& settings_;
  platform::Clock& clock_;
  ui::Host& host_;
  const platform::VersionResource& version_;
};

}  // namespace kestrian::core
