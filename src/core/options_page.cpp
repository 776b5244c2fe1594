#include "core/options_page.h"

#include "core/text.h"

namespace kestrian::core {

namespace {
const char* TrueFalse(bool value) { return value ? "True" : "False"; }
}  // namespace

void OptionsPage::LoadScanOptions() {
  LoadCheckBox(form_.chkMakeLog, settings::kMakeLog);
  LoadCheckBox(form_.chkSweepMemory, settings::kSweepMemory);
  LoadCheckBox(form_.chkScanRegistry, settings::kScanRegistry);
  if (const auto complete = ParseBoolean(settings_.Get(settings::kCompleteScan))) {
    SelectScanType(form_.optScanAllSelectedHardDrive, *complete);
  }
  // The page always opens on Quick Scan, whatever was stored, and stores that choice.
  SelectScanType(form_.optScanOnlyKnownSoftwares, true);
  LoadCheckBox(form_.chkSweepMemory, settings::kSweepMemory);
  LoadCheckBox(form_.chkScanRegistry, settings::kScanRegistry);
  LoadCheckBox(form_.chkScanCookies, settings::kScanCookies);
  LoadDriveChecks();
}

void OptionsPage::LoadCheckBox(ui::CheckBox& box, const settings::Key& key) {
  const auto number = ParseNumber(settings_.Get(key));
  if (!number || *number < 0 || *number > 1) return;
  const int value = static_cast<int>(*number);
  if (box.Value() == value) return;
  box.SetValue(value);
  OnScanCheckBoxClick(box);
}

void OptionsPage::SelectScanType(ui::OptionButton& option, bool value) {
  if (option.Value() == value) return;
  option.SetValue(value);
  // An option button reports a click only when it becomes selected.
  if (value) OnScanTypeClick();
}

void OptionsPage::OnScanCheckBoxClick(const ui::CheckBox& box) {
  settings_.Save(settings::kOptions, box.Name(), std::to_string(box.Value()));
}

void OptionsPage::OnScanTypeClick() {
  const bool complete = form_.optScanAllSelectedHardDrive.Value();
  settings_.Save(settings::kQuickScan, TrueFalse(form_.optScanOnlyKnownSoftwares.Value()));
  settings_.Save(settings::kCompleteScan, TrueFalse(complete));
  form_.lvwHardDrives.SetVisible(complete);
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

void OptionsPage::OnDriveCheck() {
  for (const auto& row : form_.lvwHardDrives.Items()) {
    settings_.Save(settings::kDrives, row.text, TrueFalse(row.checked));
  }
}

}  // namespace kestrian::core
