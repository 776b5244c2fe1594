#include "scan/drive_list.h"

#include <string>

#include "core/text.h"

namespace kestrian::scan {

namespace {
bool Listed(const platform::DriveInfo& drive) {
  using platform::DriveType;
  switch (drive.type) {
    case DriveType::Removable:
    case DriveType::Remote:
    case DriveType::CdRom:
      return true;
    case DriveType::Fixed:
      return drive.ready;
    default:
      return false;
  }
}
}  // namespace

void FillDriveList(ui::ListView& drives, platform::Environment& environment, ui::Host& host) {
  for (const auto& drive : environment.Drives()) {
    if (Listed(drive)) drives.Add(std::string(1, drive.letter));
    host.DoEvents();
  }
}

void SaveDriveChecks(const ui::ListView& drives, core::SettingsStore& settings) {
  for (const auto& row : drives.Items()) {
    settings.Save(core::settings::kDrives, row.text, row.checked ? "True" : "False");
  }
}

void LoadDriveChecks(ui::ListView& drives, const core::SettingsStore& settings) {
  for (std::size_t row = 0; row < drives.Count(); ++row) {
    const std::string stored =
        settings.Get(core::settings::kDrives, drives.Item(row).text, core::settings::kDriveDefault);
    if (const auto checked = core::ParseBoolean(stored)) drives.SetChecked(row, *checked);
  }
}

}  // namespace kestrian::scan
