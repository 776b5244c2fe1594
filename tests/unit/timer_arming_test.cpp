#include "core/timer_arming.h"

#include <gtest/gtest.h>

#include "core/main_window_pages.h"
#include "support/fake_machine.h"

namespace kestrian::core {
namespace {

TEST(ArmTimers, ArmingFollowsTheSettingsAndDisarmingStopsAll) {
  const struct {
    const char* schedule;
    const char* homePage;
    const char* memory;
    bool scheduler, homeTimer, memoryTimer;
  } cases[] = {
      {nullptr, nullptr, nullptr, false, true, true},  // fresh profile
      {"1", "False", "True", true, false, true}, {"0", "True", "False", false, true, false},
      {"2", "0", "-1", true, false, true},
      {"often", "0", "maybe", true, false, false},  // not a number: the timer stays as it was
  };
  for (const auto& c : cases) {
    testing::FakeMachine machine;
    SettingsStore settings(machine.registry, "Kestrian");
    if (c.schedule) settings.Save(settings::kAutomaticScan, c.schedule);
    if (c.homePage) settings.Save(settings::kHomePageShieldOn, c.homePage);
    if (c.memory) settings.Save(settings::kMemoryShieldOn, c.memory);
    ui::FrmMain form;
    ArmTimers(form, settings, false);
    EXPECT_FALSE(form.tmrScheduler.Enabled() || form.tmrCheckHomePage.Enabled() ||
                 form.tmrMemoryInspected.Enabled() || form.tmrTimeOut.Enabled());
    form.tmrScheduler.SetEnabled(true);
    ArmTimers(form, settings, true);
    EXPECT_EQ(form.tmrScheduler.Enabled(), c.scheduler);
    EXPECT_EQ(form.tmrCheckHomePage.Enabled(), c.homeTimer);
    EXPECT_EQ(form.tmrMemoryInspected.Enabled(), c.memoryTimer);
    EXPECT_FALSE(form.tmrTimeOut.Enabled());  // arming leaves the time-out alone
  }
}

TEST(StatusPage, ShowsCountsVersionsAndDates) {
  testing::FakeMachine machine;
  SettingsStore settings(machine.registry, "Kestrian");
  ui::FrmMain form;
  UpdateStatusPage(form, settings, {.total = 12345}, {"Kestrian", "", "", 1, 6});
  const std::vector<std::string> shown = {form.lblDefCount.Caption(),   form.lblVersion.Caption(),
                                          form.lblDefVersion.Caption(), form.lblDefRemoved.Caption(),
                                          form.lblLastScan.Caption(),   form.lblLastFullScan.Caption()};
  EXPECT_EQ(shown, (std::vector<std::string>{"12,345", "1.6", "43", "0", "Never", "Never"}));
}

}  // namespace
}  // namespace kestrian::core
