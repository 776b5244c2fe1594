#pragma once
// Long work of the main window, a scan session or a removal, runs exactly while the scan
// page's Start (cmdScanNow) is disabled. What would start other work from a timer, a menu
// or another window does nothing meanwhile.
#include "ui/frm_main.h"

namespace kestrian::core {

inline bool LongWorkRunning(const ui::FrmMain& form) { return !form.cmdScanNow.Enabled(); }

}  // namespace kestrian::core
