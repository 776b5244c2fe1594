#include "core/scheduler_page.h"

#include <string>

#include "core/scheduler_days.h"
#include "core/settings_keys.h"
#include "core/text.h"

namespace kestrian::core {

namespace {
constexpr std::string_view kNull = "Null";
constexpr std::string_view kNeverStored = "None";

void ClearAndDisable(ui::DateTimePicker& picker) {
  picker.SetValue(std::nullopt);
  picker.SetEnabled(false);
}
}  // namespace

void SchedulerPage::OnAutomaticScanClick() {
  const bool on = form_.chkAutomaticScanYesOrNo.Value() == 1;
  form_.tmrScheduler.SetEnabled(on);
  form_.cmbDays.SetEnabled(on);
  if (!on) {
    form_.dtpScheduleDate.SetEnabled(false);
    form_.dtpScheduleTime.SetEnabled(false);
  } else if (schedule::IsTimeOnlyDay(form_.cmbDays.ListIndex())) {
    ClearAndDisable(form_.dtpScheduleDate);
    form_.dtpScheduleTime.SetEnabled(true);
  }
  form_.CmdProceed.SetEnabled(true);
}

void SchedulerPage::OnDaysClick() {
  const int index = form_.cmbDays.ListIndex();
  if (schedule::IsTimeOnlyDay(index)) {
    ClearAndDisable(form_.dtpScheduleDate);
    form_.dtpScheduleTime.SetEnabled(true);
  } else if (index == schedule::kDateAndTime) {
    form_.dtpScheduleDate.SetEnabled(true);
    form_.dtpScheduleTime.SetEnabled(true);
  } else if (index == schedule::kNever) {
    ClearAndDisable(form_.dtpScheduleDate);
    ClearAndDisable(form_.dtpScheduleTime);
  }
  form_.CmdProceed.SetEnabled(true);
}

void SchedulerPage::OnPickerChange() { form_.CmdProceed.SetEnabled(true); }

void SchedulerPage::OnAutoDeleteClick() {
  settings_.Save(settings::kAutoDelete, std::to_string(form_.chkAutoDel.Value()));
}

void SchedulerPage::OnApplyClick() {
  // A refused schedule is reloaded too: the tab then shows what is stored.
  SaveSchedule();
  form_.CmdProceed.SetEnabled(false);
  LoadSchedule();
}

void SchedulerPage::OnResetClick() {
  SelectDay(schedule::kDaily);
  SetAutomaticScan(0);
  OnApplyClick();
}

bool SchedulerPage::SaveSchedule() {
  const bool dateAndTime = form_.cmbDays.ListIndex() == schedule::kDateAndTime;
  if (dateAndTime && (!form_.dtpScheduleDate.Value() || !form_.dtpScheduleTime.Value())) {
    host_.ShowMessage("Please select the date that you want to scan.", version_.productName,
                      ui::MessageButtons::Ok, ui::MessageIcon::Information);
    return false;
  }
  settings_.Save(settings::kAutomaticScan, std::to_string(form_.chkAutomaticScanYesOrNo.Value()));
  // The stored value decides, as the timer arming reads it.
  if (ParseNumber(settings_.Get(settings::kAutomaticScan)).value_or(0) != 1) {
    form_.tmrScheduler.SetEnabled(false);
    return true;
  }
  settings_.Save(settings::kScheduleDayForTimer, std::to_string(form_.cmbDays.ListIndex()));
  settings_.Save(settings::kScheduleTime, PickerText(form_.dtpScheduleTime));
  settings_.Save(settings::kScheduleDate, PickerText(form_.dtpScheduleDate));
  form_.tmrScheduler.SetEnabled(true);
  return true;
}

void SchedulerPage::LoadSchedule() {
  if (const auto autoDelete = ParseNumber(settings_.Get(settings::kAutoDelete));
      autoDelete && (*autoDelete == 0 || *autoDelete == 1) &&
      form_.chkAutoDel.Value() != *autoDelete) {
    form_.chkAutoDel.SetValue(static_cast<int>(*autoDelete));
    OnAutoDeleteClick();
  }
  if (settings_.Get(settings::kScheduleDayForLoad) == kNeverStored) {
    SelectDay(schedule::kDaily);
    return;
  }
  LoadPicker(form_.dtpScheduleDate, settings::kScheduleDate);
  LoadPicker(form_.dtpScheduleTime, settings::kScheduleTime);
  if (const auto day = ParseNumber(settings_.Get(settings::kScheduleDayForTimer))) {
    SelectDay(static_cast<int>(*day));
  }
  // The box follows the stored switch, so that scheduling switched off and applied stays
  // off on the tab as it does for the timer.
  if (const auto on = ParseNumber(settings_.Get(settings::kAutomaticScan))) {
    SetAutomaticScan(*on == 0 ? 0 : 1);
  }
}

void SchedulerPage::SelectDay(int index) {
  if (form_.cmbDays.ListIndex() == index) return;
  if (form_.cmbDays.SetListIndex(index)) OnDaysClick();
}

void SchedulerPage::SetAutomaticScan(int value) {
  if (form_.chkAutomaticScanYesOrNo.Value() == value) return;
  form_.chkAutomaticScanYesOrNo.SetValue(value);
  OnAutomaticScanClick();
}

void SchedulerPage::LoadPicker(ui::DateTimePicker& picker, const settings::Key& key) {
  picker.SetValue(clock_.Now());
  const std::string stored = settings_.Get(key);
  if (stored == kNull) {
    picker.SetValue(std::nullopt);
  } else if (const auto value = clock_.ParseDateText(stored)) {
    picker.SetValue(*value);
  }
}

std::string SchedulerPage::PickerText(const ui::DateTimePicker& picker) {
  const auto& value = picker.Value();
  return value ? clock_.GeneralDateText(*value) : std::string(kNull);
}

}  // namespace kestrian::core
