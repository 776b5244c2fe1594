#include "core/options_page.h"

#include <string>
#include <utility>

#include "core/text.h"

namespace kestrian::core {

namespace {
constexpr std::string_view kLastUpdatePrefix = "Signatures Last Updated On ";
constexpr int kDailyRow = 7;  // cmbDays rows 0 to 6 are weekdays, 7 "Daily"
constexpr std::string_view kStartupNotWritten =
    "Run at Startup could not be turned on: Windows refused to write the startup entry for this "
    "computer and for your user account. The option stays off.";
constexpr std::string_view kStartupNotRemoved =
    "Run at Startup could not be turned off completely: Windows refused to remove the startup "
    "entry of this computer, so the program still starts when anyone logs on. An administrator "
    "can turn the option off.";

// The check boxes whose click only stores their value.
constexpr const settings::Key* kPlainBoxes[] = {
    &settings::kMakeLog,       &settings::kSweepMemory,     &settings::kScanRegistry,
    &settings::kScanCookies,   &settings::kAutomaticUpdate, &settings::kAutoDelete};

const char* TrueFalse(bool value) { return value ? "True" : "False"; }

// True when the box changed, which is when its click handler runs.
bool ChangeValue(ui::CheckBox& box, int value) {
  if (box.Value() == value) return false;
  box.SetValue(value);
  return true;
}

void SavePair(SettingsStore& settings, const settings::Key& on, const settings::Key& off,
              bool value) {
  settings.Save(on, TrueFalse(value));
  settings.Save(off, TrueFalse(!value));
}
}  // namespace

OptionsPage::OptionsPage(ui::FrmMain& form, SettingsStore& settings, ui::Host& host,
                         StartupEntry& startup, std::string_view productName,
                         std::function<void()> onAutomaticScanClick)
    : form_(form),
      settings_(settings),
      host_(host),
      startup_(startup),
      productName_(productName),
      onAutomaticScanClick_(std::move(onAutomaticScanClick)) {}

void OptionsPage::LoadOptionsPage() {
  settings_.Save(settings::kShow, "True");
  LoadHomePageShield();
  LoadCheckBox(form_.chkMakeLog, settings::kMakeLog);
  LoadOption(form_.optIEHomePageSheildOff, settings::kHomePageShieldOff,
             &OptionsPage::OnHomePageShieldClick);
  LoadOption(form_.optAlwaysnotifybeforerestoring, settings::kNotifyBeforeRestoring,
             &OptionsPage::OnRestoreChoiceClick);
  LoadOption(form_.optRestoredefaultwithoutnotification, settings::kRestoreSilently,
             &OptionsPage::OnRestoreChoiceClick);
  LoadMemoryShield();
  LoadCheckBox(form_.chkSweepMemory, settings::kSweepMemory);
  LoadCheckBox(form_.chkScanRegistry, settings::kScanRegistry);
  LoadScanType();
  LoadCheckBox(form_.chkRunAtStartup, settings::kRunAtStartup, &OptionsPage::ApplyRunAtStartup);
  LoadCheckBox(form_.chkSweepMemory, settings::kSweepMemory);
  LoadCheckBox(form_.chkScanRegistry, settings::kScanRegistry);
  LoadCheckBox(form_.chkScanCookies, settings::kScanCookies);
  form_.lblLastUpdate.SetCaption(std::string(kLastUpdatePrefix) +
                                 settings_.Get(settings::kSignatureUpdateDate));
  LoadScheduleSwitch();
  LoadDriveChecks();
  host_.RestoreDefaultPointer();
}

void OptionsPage::LoadHomePageShield() {
  LoadOption(form_.optIEHomePageSheildOn, settings::kHomePageShieldOn,
             &OptionsPage::OnHomePageShieldClick);
  if (ChangeValue(form_.chkHomePage, form_.optIEHomePageSheildOn.Value() ? 1 : 0)) {
    OnHomePageClick();
  }
}

void OptionsPage::LoadMemoryShield() {
  LoadOption(form_.optMemorySheildOn, settings::kMemoryShieldOn, &OptionsPage::OnMemoryShieldClick);
  if (ChangeValue(form_.chkAutoProtect, form_.optMemorySheildOn.Value() ? 1 : 0)) {
    OnAutoProtectClick();
  }
  LoadOption(form_.optMemorySheildOff, settings::kMemoryShieldOff,
             &OptionsPage::OnMemoryShieldClick);
}

void OptionsPage::LoadScanType() {
  LoadOption(form_.optScanAllSelectedHardDrive, settings::kCompleteScan,
             &OptionsPage::OnScanTypeClick);
  // The page always opens on Quick Scan, whatever was stored, and stores that choice.
  SelectOption(form_.optScanOnlyKnownSoftwares, true, &OptionsPage::OnScanTypeClick);
}

void OptionsPage::LoadScheduleSwitch() {
  const auto stored = ParseNumber(settings_.Get(settings::kAutomaticScan));
  if (!stored) return;
  const bool checkBoxValue = *stored == 0 || *stored == 1;
  if (checkBoxValue && ChangeValue(form_.chkAutomaticScanYesOrNo, static_cast<int>(*stored)) &&
      onAutomaticScanClick_) {
    onAutomaticScanClick_();
  }
  EnableSchedule(*stored != 0);
}

// The day list's chosen row decides the pickers: a weekday or "Daily" needs a time only,
// "Date & Time" and "Never" keep what the schedule's reload gave them.
void OptionsPage::EnableSchedule(bool enable) {
  form_.tmrScheduler.SetEnabled(enable);
  form_.cmbDays.SetEnabled(enable);
  if (!enable) {
    form_.dtpScheduleDate.SetEnabled(false);
    form_.dtpScheduleTime.SetEnabled(false);
  } else if (const int row = form_.cmbDays.ListIndex(); row >= 0 && row <= kDailyRow) {
    form_.dtpScheduleDate.SetEnabled(false);
    form_.dtpScheduleTime.SetEnabled(true);
  }
}

void OptionsPage::LoadDriveChecks() {
  auto& drives = form_.lvwHardDrives;
  bool changed = false;
  for (std::size_t row = 0; row < drives.Count(); ++row) {
    const std::string stored =
        settings_.Get(settings::kDrives, drives.Item(row).text, settings::kDriveDefault);
    const auto checked = ParseBoolean(stored);
    if (!checked || drives.Item(row).checked == *checked) continue;
    drives.SetChecked(row, *checked);
    changed = true;
  }
  if (changed) OnDriveCheck();
}

std::optional<int> OptionsPage::StoredBoxValue(const settings::Key& key) const {
  const auto number = ParseNumber(settings_.Get(key));
  if (!number || *number < 0 || *number > 1) return std::nullopt;
  return static_cast<int>(*number);
}

void OptionsPage::LoadCheckBox(ui::CheckBox& box, const settings::Key& key) {
  if (const auto value = StoredBoxValue(key); value && ChangeValue(box, *value)) {
    OnCheckBoxClick(box);
  }
}

void OptionsPage::LoadCheckBox(ui::CheckBox& box, const settings::Key& key, Handler onClick) {
  if (const auto value = StoredBoxValue(key); value && ChangeValue(box, *value)) {
    (this->*onClick)();
  }
}

void OptionsPage::LoadOption(ui::OptionButton& option, const settings::Key& key,
                             Handler onClick) {
  if (const auto value = ParseBoolean(settings_.Get(key))) SelectOption(option, *value, onClick);
}

void OptionsPage::SelectOption(ui::OptionButton& option, bool value, Handler onClick) {
  if (option.Value() == value) return;
  option.SetValue(value);
  // An option button reports a click only when it becomes selected.
  if (value) (this->*onClick)();
}

void OptionsPage::OnCheckBoxClick(const ui::CheckBox& box) {
  for (const settings::Key* key : kPlainBoxes) {
    if (key->name == box.Name()) settings_.Save(*key, std::to_string(box.Value()));
  }
}

void OptionsPage::OnAutoProtectClick() {
  const bool on = form_.chkAutoProtect.Value() != 0;
  SavePair(settings_, settings::kMemoryShieldOn, settings::kMemoryShieldOff, on);
  form_.tmrMemoryInspected.SetEnabled(on);
}

void OptionsPage::OnHomePageClick() {
  const bool on = form_.chkHomePage.Value() != 0;
  SavePair(settings_, settings::kHomePageShieldOn, settings::kHomePageShieldOff, on);
  EnableHomePageShield(on);
}

void OptionsPage::OnMemoryShieldClick() {
  settings_.Save(settings::kMemoryShieldOn, TrueFalse(form_.optMemorySheildOn.Value()));
  settings_.Save(settings::kMemoryShieldOff, TrueFalse(form_.optMemorySheildOff.Value()));
  form_.tmrMemoryInspected.SetEnabled(form_.optMemorySheildOn.Value());
}

void OptionsPage::OnHomePageShieldClick() {
  settings_.Save(settings::kHomePageShieldOn, TrueFalse(form_.optIEHomePageSheildOn.Value()));
  settings_.Save(settings::kHomePageShieldOff, TrueFalse(form_.optIEHomePageSheildOff.Value()));
  EnableHomePageShield(form_.optIEHomePageSheildOn.Value());
}

void OptionsPage::EnableHomePageShield(bool enable) {
  form_.tmrCheckHomePage.SetEnabled(enable);
  form_.optAlwaysnotifybeforerestoring.SetEnabled(enable);
  form_.optRestoredefaultwithoutnotification.SetEnabled(enable);
}

void OptionsPage::OnRestoreChoiceClick() {
  settings_.Save(settings::kNotifyBeforeRestoring,
                 TrueFalse(form_.optAlwaysnotifybeforerestoring.Value()));
  settings_.Save(settings::kRestoreSilently,
                 TrueFalse(form_.optRestoredefaultwithoutnotification.Value()));
}

void OptionsPage::OnScanTypeClick() {
  const bool complete = form_.optScanAllSelectedHardDrive.Value();
  settings_.Save(settings::kQuickScan, TrueFalse(form_.optScanOnlyKnownSoftwares.Value()));
  settings_.Save(settings::kCompleteScan, TrueFalse(complete));
  form_.lvwHardDrives.SetVisible(complete);
}

void OptionsPage::OnDriveCheck() {
  for (const auto& row : form_.lvwHardDrives.Items()) {
    settings_.Save(settings::kDrives, row.text, TrueFalse(row.checked));
  }
}

void OptionsPage::ApplyRunAtStartup() {
  settings_.Save(settings::kRunAtStartup, std::to_string(form_.chkRunAtStartup.Value()));
  const auto stored = ParseNumber(settings_.Get(settings::kRunAtStartupReadBack));
  if (!stored) return;
  if (*stored != 1) {
    if (!startup_.Remove()) Tell(kStartupNotRemoved);
    return;
  }
  if (startup_.Write()) return;
  // Nothing will start the program at logon, so the box must not say it will.
  Tell(kStartupNotWritten);
  settings_.Save(settings::kRunAtStartup, "0");
  form_.chkRunAtStartup.SetValue(0);
}

void OptionsPage::Tell(std::string_view text) {
  host_.ShowMessage(text, productName_, ui::MessageButtons::Ok, ui::MessageIcon::Information);
}

}  // namespace kestrian::core
