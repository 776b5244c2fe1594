#include "core/scheduler_page.h"
#include "core/scheduler_tick.h"
#include "scan_fixture.h"

namespace kestrian::core {
namespace {

platform::DateTime At(std::string_view text) {
  testing::FakeClock clock;
  return *clock.ParseDateText(text);
}

void StoreSchedule(SettingsStore& settings, const char* day, const char* time, const char* date) {
  if (day) settings.Save(settings::kScheduleDayForTimer, day);
  if (time) settings.Save(settings::kScheduleTime, time);
  if (date) settings.Save(settings::kScheduleDate, date);
}

class SchedulerTest : public scan::ScanFixture {
 protected:
  SchedulerTest() { EndSession(); }

  std::string Stored(const settings::Key& key) {
    return settings.Get(key.section, key.name, "<none>");
  }
  std::vector<std::string> StoredSchedule() {
    return {Stored(settings::kAutomaticScan), Stored(settings::kScheduleDayForTimer),
            Stored(settings::kScheduleTime), Stored(settings::kScheduleDate)};
  }

  int scans = 0;
  std::vector<bool> autoDeleteAtStart;
  SchedulerTimer timer{form, settings, state, machine.clock, [this] {
                         ++scans;
                         autoDeleteAtStart.push_back(state.session.autoDeleteAfterScan);
                       }};
  SchedulerPage page{form, settings, machine.clock, host, version};
};

TEST(SchedulerTimer, ATickStartsAScanOnlyInTheScheduledSecondOfTheScheduledDay) {
  const struct {
    const char* day;
    const char* time;
    const char* date;
    const char* now;  // 6/10/2026 is a Wednesday
    const char* wednesday;  // the clock's name of the day
    bool starts;
  } cases[] = {
      {"2", "1/1/2020 2:30:00 PM", "Null", "6/10/2026 2:30:00 PM", "Wednesday", true},
      {"2", "1/1/2020 2:30:00 PM", "Null", "6/10/2026 2:30:00 PM", "wednesday", true},
      {"2", "1/1/2020 2:30:00 PM", "Null", "6/10/2026 2:30:01 PM", "Wednesday", false},
      {"2", "1/1/2020 2:30:00 PM", "Null", "6/11/2026 2:30:00 PM", "Wednesday", false},
      {"2", "1/1/2020 2:30:00 PM", "Null", "6/10/2026 2:30:00 PM", "Mittwoch", false},
      {"3", "2:30:00 PM", "Null", "6/11/2026 2:30:00 PM", "Wednesday", true},
      {"7", "1/1/2020 2:30:00 PM", "Null", "6/11/2026 2:29:59 PM", "Wednesday", false},
      {"7", "1/1/2020 2:30:00 PM", "Null", "6/11/2026 2:30:00 AM", "Wednesday", false},
      {"8", "1/1/2020 2:30:00 PM", "6/10/2026 9:00:00 AM", "6/10/2026 2:30:00 PM", "Wednesday", true},
      {"8", "1/1/2020 2:30:00 PM", "6/9/2026 9:00:00 AM", "6/10/2026 2:30:00 PM", "Wednesday", false},
      {"8", "1/1/2020 2:30:00 PM", "Null", "6/10/2026 2:30:00 PM", "Wednesday", false},
      {"9", "1/1/2020 2:30:00 PM", "Null", "6/10/2026 2:30:00 PM", "Wednesday", false},
      {"Daily", "1/1/2020 2:30:00 PM", "Null", "6/10/2026 2:30:00 PM", "Wednesday", false},
      {"7", "Null", "Null", "6/10/2026 2:30:00 PM", "Wednesday", false},
      {nullptr, nullptr, nullptr, "6/10/2026 12:00:00 AM", "Wednesday", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.day ? c.day : "<none>") + " at " + c.now + ", " + c.wednesday);
    scan::ScanWorld world;
    StoreSchedule(world.settings, c.day, c.time, c.date);
    world.machine.clock.now = c.now;
    world.machine.clock.weekdayNames[3] = c.wednesday;
    int started = 0;
    SchedulerTimer timer(world.form, world.settings, world.state, world.machine.clock, [&] { ++started; });
    timer.Tick();
    EXPECT_EQ(started, c.starts ? 1 : 0);
  }
}

TEST_F(SchedulerTest, AScheduleFiresOnceInItsSecondAndDeletesOnlyWhileItsScanRuns) {
  StoreSchedule(settings, "7", "2:30:00 PM", "Null");
  machine.clock.now = "6/11/2026 2:30:00 PM";  // a Thursday
  form.chkAutoDel.SetValue(1);
  timer.Tick();
  timer.Tick();
  form.chkAutoDel.SetValue(0);
  machine.clock.now = "6/12/2026 2:30:00 PM";  // the next day
  timer.Tick();
  EXPECT_EQ(autoDeleteAtStart, (std::vector<bool>{true, false}));
  state.session.autoDeleteAfterScan = true;
  machine.clock.now = "6/12/2026 2:30:01 PM";
  timer.Tick();  // no scan, and still nothing deleted unasked afterwards
  EXPECT_EQ(scans, 2);
  EXPECT_FALSE(state.session.autoDeleteAfterScan);
}

TEST_F(SchedulerTest, ApplyWithDateAndTimeAndNoDateStoresNothing) {
  for (const bool date : {false, true}) {
    ui::FrmMain window;
    SchedulerPage tab(window, settings, machine.clock, host, version);
    window.chkAutomaticScanYesOrNo.SetValue(1);
    window.cmbDays.SetListIndex(8);
    window.dtpScheduleDate.SetValue(date ? At("6/10/2026") : std::optional<platform::DateTime>());
    window.dtpScheduleTime.SetValue(date ? std::optional<platform::DateTime>() : At("2:30:00 PM"));
    tab.OnApplyClick();
  }
  ASSERT_EQ(host.Messages().size(), 2u);
  EXPECT_EQ(scan::PartsOf(host.Messages()[1]), (scan::MessageParts{"Please select the date that you want to scan.",
                                                                  "Kestrian", ui::MessageButtons::Ok,
                                                                  ui::MessageIcon::Information}));
  EXPECT_EQ(StoredSchedule(), std::vector<std::string>(4, "<none>"));
}

TEST_F(SchedulerTest, ApplyStoresTheScheduleAndShowsItAsStored) {
  form.chkAutomaticScanYesOrNo.SetValue(1);
  page.OnAutomaticScanClick();
  form.cmbDays.SetListIndex(8);
  page.OnDaysClick();
  form.dtpScheduleDate.SetValue(At("6/10/2026 9:00:00 AM"));
  form.dtpScheduleTime.SetValue(At("6/1/2026 2:30:00 PM"));
  form.tmrScheduler.SetEnabled(false);
  page.OnApplyClick();
  EXPECT_TRUE(host.Messages().empty());
  EXPECT_EQ(StoredSchedule(),
            (std::vector<std::string>{"1", "8", "6/1/2026 2:30:00 PM", "6/10/2026 9:00:00 AM"}));
  EXPECT_TRUE(form.tmrScheduler.Enabled());
  EXPECT_FALSE(form.CmdProceed.Enabled());  // the reload changed nothing on the tab

  // A new start shows the same schedule.
  ui::FrmMain reopened;
  SchedulerPage(reopened, settings, machine.clock, host, version).LoadSchedule();
  EXPECT_EQ(reopened.cmbDays.ListIndex(), 8);
  EXPECT_EQ(reopened.chkAutomaticScanYesOrNo.Value(), 1);
  EXPECT_EQ(reopened.dtpScheduleDate.Value(), At("6/10/2026 9:00:00 AM"));
  EXPECT_EQ(reopened.dtpScheduleTime.Value(), At("6/1/2026 2:30:00 PM"));
  EXPECT_TRUE(reopened.dtpScheduleDate.Enabled() && reopened.dtpScheduleTime.Enabled() &&
              reopened.tmrScheduler.Enabled());
}

TEST_F(SchedulerTest, ApplyWithSchedulingOffStoresOnlyTheSwitchAndResetAppliesDaily) {
  StoreSchedule(settings, "2", "2:30:00 PM", "Null");
  form.chkAutomaticScanYesOrNo.SetValue(0);
  form.cmbDays.SetListIndex(7);
  form.dtpScheduleTime.SetValue(At("9:00:00 AM"));
  form.tmrScheduler.SetEnabled(true);
  page.OnApplyClick();
  EXPECT_EQ(StoredSchedule(), (std::vector<std::string>{"0", "2", "2:30:00 PM", "Null"}));
  EXPECT_FALSE(form.tmrScheduler.Enabled());
  // The tab shows the stored schedule, still switched off.
  EXPECT_EQ(form.cmbDays.ListIndex(), 2);
  EXPECT_EQ(form.chkAutomaticScanYesOrNo.Value(), 0);
  EXPECT_EQ(form.dtpScheduleTime.Value(), At("12/30/1899 2:30:00 PM"));
  // Reset applies daily with scheduling off.
  StoreSchedule(settings, "8", "2:30:00 PM", "6/10/2026");
  settings.Save(settings::kAutomaticScan, "1");
  page.LoadSchedule();
  page.OnResetClick();
  EXPECT_EQ(Stored(settings::kAutomaticScan), "0");
  EXPECT_EQ(form.chkAutomaticScanYesOrNo.Value(), 0);
  EXPECT_FALSE(form.cmbDays.Enabled() || form.tmrScheduler.Enabled());
}

// The deletion box is stored at once; only "Apply" stores the schedule.
TEST_F(SchedulerTest, TheDeletionBoxIsStoredAtOnceAndLoadingFallsBackToDailyAndTheCurrentTime) {
  form.chkAutoDel.SetValue(1);
  page.OnAutoDeleteClick();
  EXPECT_EQ(Stored(settings::kAutoDelete), "1");
  EXPECT_EQ(Stored(settings::kAutomaticScan), "<none>");
  form.chkAutoDel.SetValue(0);
  page.LoadSchedule();
  EXPECT_EQ(form.cmbDays.ListIndex(), 7);
  EXPECT_EQ(form.chkAutoDel.Value(), 1);
  EXPECT_EQ(form.chkAutomaticScanYesOrNo.Value(), 0);
  EXPECT_FALSE(form.dtpScheduleDate.Value().has_value() || form.dtpScheduleDate.Enabled());
  // Unreadable stored texts leave the current time on the pickers.
  StoreSchedule(settings, "8", "soon", "tomorrow");
  machine.clock.now = "6/10/2026 8:15:00 AM";
  page.LoadSchedule();
  EXPECT_EQ(form.dtpScheduleDate.Value(), At("6/10/2026 8:15:00 AM"));
  EXPECT_EQ(form.dtpScheduleTime.Value(), At("6/10/2026 8:15:00 AM"));
}

TEST_F(SchedulerTest, TheDayListEnablesThePickersTheRowNeeds) {
  const struct {
    int index;
    bool dateEnabled, dateKept, timeEnabled, timeKept;
  } cases[] = {
      {0, false, false, true, true},  {6, false, false, true, true},
      {7, false, false, true, true},  {8, true, true, true, true}, {9, false, false, false, false},
  };
  for (const auto& c : cases) {
    ui::FrmMain window;
    SchedulerPage tab(window, settings, machine.clock, host, version);
    window.dtpScheduleDate.SetValue(At("6/10/2026"));
    window.dtpScheduleTime.SetValue(At("2:30:00 PM"));
    window.cmbDays.SetListIndex(c.index);
    tab.OnDaysClick();
    EXPECT_EQ(window.dtpScheduleDate.Enabled(), c.dateEnabled) << c.index;
    EXPECT_EQ(window.dtpScheduleDate.Value().has_value(), c.dateKept) << c.index;
    EXPECT_EQ(window.dtpScheduleTime.Enabled(), c.timeEnabled) << c.index;
    EXPECT_EQ(window.dtpScheduleTime.Value().has_value(), c.timeKept) << c.index;
    EXPECT_TRUE(window.CmdProceed.Enabled()) << c.index;
  }
}

TEST_F(SchedulerTest, TheSwitchEnablesTheTimerTheListAndThePickers) {
  form.cmbDays.SetListIndex(3);
  form.dtpScheduleDate.SetValue(At("6/10/2026"));
  form.chkAutomaticScanYesOrNo.SetValue(1);
  page.OnAutomaticScanClick();
  EXPECT_TRUE(form.tmrScheduler.Enabled() && form.cmbDays.Enabled() && form.dtpScheduleTime.Enabled());
  EXPECT_FALSE(form.dtpScheduleDate.Enabled() || form.dtpScheduleDate.Value().has_value());
  EXPECT_TRUE(form.CmdProceed.Enabled());

  form.CmdProceed.SetEnabled(false);
  form.chkAutomaticScanYesOrNo.SetValue(0);
  page.OnAutomaticScanClick();
  EXPECT_FALSE(form.tmrScheduler.Enabled() || form.cmbDays.Enabled() || form.dtpScheduleTime.Enabled());
  EXPECT_TRUE(form.CmdProceed.Enabled());
}

}  // namespace
}  // namespace kestrian::core
