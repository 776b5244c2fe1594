#pragma once
// The one switch of the main window's background timers.
#include "core/settings_store.h"
#include "ui/frm_main.h"

namespace kestrian::core {

// arm = true enables the scheduler, home page and memory shield timers as the settings say;
// arm = false disables them and the page time-out, before long or waiting work.
void ArmTimers(ui::FrmMain& form, const SettingsStore& settings, bool arm);

}  // namespace kestrian::core
