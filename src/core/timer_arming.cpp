#include "core/timer_arming.h"

#include "core/text.h"

namespace kestrian::core {

namespace {
// A value that cannot be converted leaves the timer as it is.
void EnableFromNumber(ui::Timer& timer, const std::string& text) {
  if (const auto number = ParseNumber(text)) timer.SetEnabled(*number != 0);
}
void EnableFromBoolean(ui::Timer& timer, const std::string& text) {
  if (const auto flag = ParseBoolean(text)) timer.SetEnabled(*flag);
}
}  // namespace

void ArmTimers(ui::FrmMain& form, const SettingsStore& settings, bool arm) {
  if (arm) {
    EnableFromNumber(form.tmrScheduler, settings.Get(settings::kAutomaticScan));
    EnableFromBoolean(form.tmrCheckHomePage, settings.Get(settings::kHomePageShieldOn));
    EnableFromBoolean(form.tmrMemoryInspected, settings.Get(settings::kMemoryShieldOn));
    return;
  }
  form.tmrCheckHomePage.SetEnabled(false);
  form.tmrMemoryInspected.SetEnabled(false);
  form.tmrScheduler.SetEnabled(false);
  form.tmrTimeOut.SetEnabled(false);
}

}  // namespace kestrian::core
