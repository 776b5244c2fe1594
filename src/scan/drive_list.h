#pragma once
// The drive list of the scan options. Its check states belong to the options page.
#include "platform/environment.h"
#include "ui/host.h"
#include "ui/list_view.h"

namespace kestrian::scan {

// One row per removable, network or CD-ROM drive, and per fixed disk that is ready.
void FillDriveList(ui::ListView& drives, platform::Environment& environment, ui::Host& host);

}  // namespace kestrian::scan
