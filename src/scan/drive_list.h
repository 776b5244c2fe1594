#pragma once
// The drive list of the scan options and the check states kept for it.
#include "core/settings_store.h"
#include "platform/environment.h"
#include "ui/host.h"
#include "ui/list_view.h"

namespace kestrian::scan {

// One row per removable, network or CD-ROM drive, and per fixed disk that is ready.
void FillDriveList(ui::ListView& drives, platform::Environment& environment, ui::Host& host);
// Writes the check state of every row under its drive letter ("True" or "False").
void SaveDriveChecks(const ui::ListView& drives, core::SettingsStore& settings);
// Checks every row whose stored value is true; a drive with no stored value counts as checked.
void LoadDriveChecks(ui::ListView& drives, const core::SettingsStore& settings);

}  // namespace kestrian::scan
