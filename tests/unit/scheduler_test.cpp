#include <gtest/gtest.h>

#include "core/scheduler_page.h"
#include "core/scheduler_tick.h"
#include "removal/check_mirroring.h"
#include "removal/removal.h"
#include "scan/scan_session.h"
#include "scan_fixture.h"

namespace kestrian::core {
namespace {

constexpr const char* kWednesday = "6/10/2026";  // a Wednesday
constexpr const char* kThursday = "6/11/2026";
const std::array<std::string, 7> kGermanWeekdays{"Sonntag",    "Montag",  "Dienstag", "Mittwoch",
                                                 "Donnerstag", "Freitag", "Samstag"};

platform::DateTime At(std::string_view text) {
  testing::FakeClock clock;
  return *clock.ParseDateText(text);
}

class SchedulerTest : public scan::ScanFixture {
 protected:
  SchedulerTest() { EndSession(); }

  void StoreSchedule(const char* day, const char* time, const char* date) {
    if (day) settings.Save(settings::kScheduleDayForTimer, day);
    if (time) settings.Save(settings::kScheduleTime, time);
    if (date) settings.Save(settings::kScheduleDate, date);
  }
  std::string Stored(const settings::Key& key) {
    return settings.Get(key.section, key.name, "<none>");
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
    std::string now;
    bool german;
    bool starts;
  } cases[] = {
      {"2", "1/1/2020 2:30:00 PM", "Null", std::string(kWednesday) + " 2:30:00 PM", false, true},
      {"2", "1/1/2020 2:30:00 PM", "Null", std::string(kWednesday) + " 2:30:01 PM", false, false},
      {"2", "1/1/2020 2:30:00 PM", "Null", std::string(kThursday) + " 2:30:00 PM", false, false},
      {"2", "1/1/2020 2:30:00 PM", "Null", std::string(kWednesday) + " 2:30:00 PM", true, false},
      {"3", "2:30:00 PM", "Null", std::string(kThursday) + " 2:30:00 PM", false, true},
      {"7", "1/1/2020 2:30:00 PM", "Null", std::string(kThursday) + " 2:29:59 PM", false, false},
      {"7", "1/1/2020 2:30:00 PM", "Null", std::string(kThursday) + " 2:30:00 AM", false, false},
      {"8", "1/1/2020 2:30:00 PM", "6/10/2026 9:00:00 AM", std::string(kWednesday) + " 2:30:00 PM",
       false, true},
      {"8", "1/1/2020 2:30:00 PM", "6/9/2026 9:00:00 AM", std::string(kWednesday) + " 2:30:00 PM",
       false, false},  // a date in the past
      {"8", "1/1/2020 2:30:00 PM", "Null", std::string(kWednesday) + " 2:30:00 PM", false, false},
      {"9", "1/1/2020 2:30:00 PM", "Null", std::string(kWednesday) + " 2:30:00 PM", false, false},
      {"10", "1/1/2020 2:30:00 PM", "Null", std::string(kWednesday) + " 2:30:00 PM", false, false},
      {"Daily", "1/1/2020 2:30:00 PM", "Null", std::string(kWednesday) + " 2:30:00 PM", false,
       false},
      {"7", "Null", "Null", std::string(kWednesday) + " 2:30:00 PM", false, false},
      {nullptr, nullptr, nullptr, std::string(kWednesday) + " 12:00:00 AM", false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.day ? c.day : "<none>") + " at " + c.now);
    testing::FakeMachine machine;
    SettingsStore settings(machine.registry, "Kestrian");
    if (c.day) settings.Save(settings::kScheduleDayForTimer, c.day);
    if (c.time) settings.Save(settings::kScheduleTime, c.time);
    if (c.date) settings.Save(settings::kScheduleDate, c.date);
    machine.clock.now = c.now;
    if (c.german) machine.clock.weekdayNames = kGermanWeekdays;
    ui::FrmMain form;
    ProgramState state;
    int started = 0;
    SchedulerTimer timer(form, settings, state, machine.clock, [&] { ++started; });
    timer.Tick();
    EXPECT_EQ(started, c.starts ? 1 : 0);
  }
}

TEST_F(SchedulerTest, WeekdayNamesAreComparedWithoutRegardToCase) {
  StoreSchedule("2", "2:30:00 PM", "Null");
  machine.clock.now = std::string(kWednesday) + " 2:30:00 PM";
  machine.clock.weekdayNames[3] = "wednesday";
  timer.Tick();
  EXPECT_EQ(scans, 1);
}

TEST_F(SchedulerTest, AScheduleFiresOnceInItsSecond) {
  StoreSchedule("7", "2:30:00 PM", "Null");
  machine.clock.now = std::string(kThursday) + " 2:30:00 PM";
  timer.Tick();
  timer.Tick();
  EXPECT_EQ(scans, 1);
  machine.clock.now = std::string(kWednesday) + " 2:30:00 PM";  // the next day
  timer.Tick();
  EXPECT_EQ(scans, 2);
}

TEST_F(SchedulerTest, AutomaticDeletionHoldsOnlyWhileTheScheduledScanRuns) {
  StoreSchedule("7", "2:30:00 PM", "Null");
  machine.clock.now = std::string(kThursday) + " 2:30:00 PM";
  form.chkAutoDel.SetValue(1);
  timer.Tick();
  form.chkAutoDel.SetValue(0);
  machine.clock.now = "6/12/2026 2:30:00 PM";
  timer.Tick();
  EXPECT_EQ(autoDeleteAtStart, (std::vector<bool>{true, false}));
  EXPECT_FALSE(state.session.autoDeleteAfterScan);

  state.session.autoDeleteAfterScan = true;
  machine.clock.now = std::string(kThursday) + " 2:30:01 PM";
  timer.Tick();  // no scan, and still nothing deleted unasked afterwards
  EXPECT_EQ(scans, 2);
  EXPECT_FALSE(state.session.autoDeleteAfterScan);
}

TEST(SchedulerPage, ApplyWithDateAndTimeAndNoDateStoresNothing) {
  const struct {
    bool date;
    bool time;
  } cases[] = {{false, true}, {true, false}, {false, false}};
  for (const auto& c : cases) {
    testing::FakeMachine machine;
    SettingsStore settings(machine.registry, "Kestrian");
    testing::ScriptedHost host;
    ui::FrmMain form;
    const platform::VersionResource version{"Kestrian", "", "", 1, 6};
    SchedulerPage page(form, settings, machine.clock, host, version);
    form.chkAutomaticScanYesOrNo.SetValue(1);
    form.cmbDays.SetListIndex(8);
    if (c.date) form.dtpScheduleDate.SetValue(At("6/10/2026"));
    if (c.time) form.dtpScheduleTime.SetValue(At("2:30:00 PM"));
    page.OnApplyClick();
    ASSERT_EQ(host.Messages().size(), 1u);
    EXPECT_EQ(host.Messages()[0].text, "Please select the date that you want to scan.");
    EXPECT_EQ(host.Messages()[0].title, "Kestrian");
    EXPECT_EQ(host.Messages()[0].icon, ui::MessageIcon::Information);
    EXPECT_EQ(host.Messages()[0].buttons, ui::MessageButtons::Ok);
    for (const settings::Key& key : {settings::kAutomaticScan, settings::kScheduleDayForTimer,
                                     settings::kScheduleTime, settings::kScheduleDate}) {
      EXPECT_EQ(settings.Get(key.section, key.name, "<none>"), "<none>") << key.name;
    }
  }
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
  EXPECT_EQ(Stored(settings::kAutomaticScan), "1");
  EXPECT_EQ(Stored(settings::kScheduleDayForTimer), "8");
  EXPECT_EQ(Stored(settings::kScheduleTime), "6/1/2026 2:30:00 PM");
  EXPECT_EQ(Stored(settings::kScheduleDate), "6/10/2026 9:00:00 AM");
  EXPECT_TRUE(form.tmrScheduler.Enabled());
  EXPECT_FALSE(form.CmdProceed.Enabled());  // the reload changed nothing on the tab

  // A new start shows the same schedule.
  ui::FrmMain reopened;
  SchedulerPage(reopened, settings, machine.clock, host, version).LoadSchedule();
  EXPECT_EQ(reopened.cmbDays.ListIndex(), 8);
  EXPECT_EQ(reopened.chkAutomaticScanYesOrNo.Value(), 1);
  EXPECT_EQ(reopened.dtpScheduleDate.Value(), At("6/10/2026 9:00:00 AM"));
  EXPECT_EQ(reopened.dtpScheduleTime.Value(), At("6/1/2026 2:30:00 PM"));
  EXPECT_TRUE(reopened.dtpScheduleDate.Enabled());
  EXPECT_TRUE(reopened.dtpScheduleTime.Enabled());
  EXPECT_TRUE(reopened.tmrScheduler.Enabled());
}

TEST_F(SchedulerTest, ApplyWithSchedulingOffStoresOnlyTheSwitch) {
  StoreSchedule("2", "2:30:00 PM", "Null");
  form.chkAutomaticScanYesOrNo.SetValue(0);
  form.cmbDays.SetListIndex(7);
  form.dtpScheduleTime.SetValue(At("9:00:00 AM"));
  form.tmrScheduler.SetEnabled(true);
  page.OnApplyClick();
  EXPECT_EQ(Stored(settings::kAutomaticScan), "0");
  EXPECT_EQ(Stored(settings::kScheduleDayForTimer), "2");
  EXPECT_EQ(Stored(settings::kScheduleTime), "2:30:00 PM");
  EXPECT_FALSE(form.tmrScheduler.Enabled());
  // The tab shows the stored schedule, still switched off.
  EXPECT_EQ(form.cmbDays.ListIndex(), 2);
  EXPECT_EQ(form.chkAutomaticScanYesOrNo.Value(), 0);
  EXPECT_EQ(form.dtpScheduleTime.Value(), At("12/30/1899 2:30:00 PM"));
}

TEST_F(SchedulerTest, ResetAppliesDailyWithSchedulingOff) {
  StoreSchedule("8", "2:30:00 PM", "6/10/2026");
  settings.Save(settings::kAutomaticScan, "1");
  page.LoadSchedule();
  page.OnResetClick();
  EXPECT_EQ(Stored(settings::kAutomaticScan), "0");
  EXPECT_EQ(form.chkAutomaticScanYesOrNo.Value(), 0);
  EXPECT_FALSE(form.cmbDays.Enabled());
  EXPECT_FALSE(form.tmrScheduler.Enabled());
}

TEST_F(SchedulerTest, LoadingWithNoScheduleStoredChoosesDaily) {
  settings.Save(settings::kAutoDelete, "1");
  page.LoadSchedule();
  EXPECT_EQ(form.cmbDays.ListIndex(), 7);
  EXPECT_EQ(form.chkAutoDel.Value(), 1);
  EXPECT_EQ(form.chkAutomaticScanYesOrNo.Value(), 0);
  EXPECT_FALSE(form.dtpScheduleDate.Value().has_value());
  EXPECT_FALSE(form.dtpScheduleDate.Enabled());
}

TEST_F(SchedulerTest, UnreadableStoredTextsLeaveTheCurrentTimeOnThePickers) {
  StoreSchedule("8", "soon", "tomorrow");
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
      {7, false, false, true, true},  {8, true, true, true, true},
      {9, false, false, false, false},
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
  EXPECT_TRUE(form.tmrScheduler.Enabled());
  EXPECT_TRUE(form.cmbDays.Enabled());
  EXPECT_FALSE(form.dtpScheduleDate.Enabled());
  EXPECT_FALSE(form.dtpScheduleDate.Value().has_value());
  EXPECT_TRUE(form.dtpScheduleTime.Enabled());
  EXPECT_TRUE(form.CmdProceed.Enabled());

  form.CmdProceed.SetEnabled(false);
  form.chkAutomaticScanYesOrNo.SetValue(0);
  page.OnAutomaticScanClick();
  EXPECT_FALSE(form.tmrScheduler.Enabled());
  EXPECT_FALSE(form.cmbDays.Enabled());
  EXPECT_FALSE(form.dtpScheduleTime.Enabled());
  EXPECT_TRUE(form.CmdProceed.Enabled());
}

TEST_F(SchedulerTest, TheDeletionBoxIsStoredAtOnce) {
  form.chkAutoDel.SetValue(1);
  page.OnAutoDeleteClick();
  EXPECT_EQ(Stored(settings::kAutoDelete), "1");
  EXPECT_EQ(Stored(settings::kAutomaticScan), "<none>");  // only "Apply" stores the schedule
}

// The scan page's Start, wired as the program wires it: the real session, the real removal,
// and scanners that find nothing or one file.
class ScheduledScanTest : public SchedulerTest {
 protected:
  class Scanners final : public scan::CookieScan, public scan::ProcessScan,
                         public scan::RegistryScan, public scan::FileScan {
   public:
    explicit Scanners(ScheduledScanTest& test) : test_(test) {}
    void ScanCookies(std::int32_t&) override {}
    void ScanRunningProcesses() override {}
    void ScanRegistryDefinitions() override {}
    void ScanFileDefinitions() override {
      if (!plantedFile.empty()) test_.ListFile(plantedFile, "Acme");
    }
    std::string plantedFile;

   private:
    ScheduledScanTest& test_;
  };

  ScheduledScanTest() {
    for (const char* name : {"RegistryDefinition.dat", "FileDefinition.dat", "ExeDefinition.dat",
                             "BlockedCookies.dat"}) {
      machine.files.PutFile(folder.FilePath(name), "a\r\n");
    }
    state.definitionCounts = {1, 1, 1, 1, 4};
    form.lvwPicRemoveListOfSpywareFoundAndToBeRemoved.SetItemCheckHandler(
        [this](std::size_t row) { removal::MirrorResultCheck(form, row); });
    StoreSchedule("7", "2:30:00 PM", "Null");
    machine.clock.now = std::string(kThursday) + " 2:30:00 PM";
    form.chkAutoDel.SetValue(1);
  }
  // A file finding as the file scan lists it.
  void ListFile(const std::string& path, const std::string& name) {
    const auto row = form.lvwFilesToBeDeleted.Add(path);
    form.lvwFilesToBeDeleted.SetSubItem(row, 1, name);
    auto& results = form.lvwPicRemoveListOfSpywareFoundAndToBeRemoved;
    results.SetSubItem(results.Add(name, 3), 1, path);
  }

  Scanners scanners{*this};
  removal::Removal remover{context};
  scan::ScanSession session{context,
                            {scanners, scanners, scanners, scanners},
                            {nullptr, [this] { remover.DeleteCommand(); }}};
  SchedulerTimer scheduled{form, settings, state, machine.clock, [this] { session.Start(); }};
};

TEST_F(ScheduledScanTest, AScheduledScanThatFindsNothingEndsWithoutAnyMessage) {
  scheduled.Tick();
  EXPECT_TRUE(host.Messages().empty());
  EXPECT_EQ(form.lblStatus.Caption(), "Scanning complete.");
  EXPECT_EQ(Stored(settings::kLastScan), machine.clock.now);
  EXPECT_TRUE(form.frmResults.Visible());
  EXPECT_FALSE(deleteFailed.Visible());
  EXPECT_FALSE(state.session.autoDeleteAfterScan);
}

TEST_F(ScheduledScanTest, AScheduledScanDeletesWhatItFindsWithoutAsking) {
  machine.files.PutFolder(folder.Path());
  scanners.plantedFile = "C:\\Program Files\\Acme\\acme.dat";
  machine.files.PutFile(scanners.plantedFile, "bytes");
  scheduled.Tick();
  EXPECT_TRUE(host.Messages().empty());
  EXPECT_FALSE(machine.files.Exists(scanners.plantedFile));
  EXPECT_EQ(machine.files.Content("C:\\Kestrian\\quarantine\\acme.dat"), "bytes");
  EXPECT_TRUE(form.lvwPicRemoveListOfSpywareFoundAndToBeRemoved.Empty());

  // The user's own Delete afterwards asks again.
  machine.files.PutFile(scanners.plantedFile, "bytes");
  ListFile(scanners.plantedFile, "Acme");
  auto& results = form.lvwPicRemoveListOfSpywareFoundAndToBeRemoved;
  results.SetChecked(0, true);
  results.RaiseItemCheck(0);
  remover.DeleteCommand();
  ASSERT_EQ(host.Messages().size(), 1u);
  EXPECT_EQ(host.Messages()[0].title, "Really Delete?");
}

}  // namespace
}  // namespace kestrian::core
