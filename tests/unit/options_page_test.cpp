#include "core/options_page.h"

#include <gtest/gtest.h>

#include "support/fake_machine.h"
#include "support/scripted_host.h"

namespace kestrian::core {
namespace {

constexpr std::string_view kOptions = "OptionAndSettings";
constexpr platform::RootKey kMachine = platform::roots::kLocalMachine;
constexpr char kQuotedCommand[] = "\"C:\\Program Files\\Kestrian\\Kestrian.exe\"";

struct OptionsWorld {
  testing::FakeMachine machine;
  testing::ScriptedHost host;
  SettingsStore settings{machine.registry, "Kestrian"};
  StartupEntry startup{machine.registry, machine.environment};
  ui::FrmMain form;
  int automaticScanClicks = 0;
  OptionsPage page{form, settings, host, startup, "Kestrian", [this] { ++automaticScanClicks; }};
};

class OptionsPageTest : public ::testing::Test, protected OptionsWorld {
 protected:
  OptionsPageTest() {
    for (const char* letter : {"A", "C", "E"}) form.lvwHardDrives.Add(letter);
  }
  std::string Stored(std::string_view section, std::string_view key) { return settings.Get(section, key, "<none>"); }
  std::optional<std::string> RunValue() { return machine.registry.StringValue(kMachine, kRunKey, "Kestrian"); }
  void ExpectBoxes(std::initializer_list<std::pair<const ui::CheckBox*, int>> boxes) {
    for (const auto& [box, value] : boxes) EXPECT_EQ(box->Value(), value) << box->Name();
  }
  // Shown, and stored under the button's name.
  void ExpectChosen(std::initializer_list<std::pair<const ui::OptionButton*, bool>> options) {
    for (const auto& [option, chosen] : options) {
      EXPECT_EQ(option->Value(), chosen) << option->Name();
      EXPECT_EQ(Stored(kOptions, option->Name()), chosen ? "True" : "False") << option->Name();
    }
  }
  void ExpectEnabled(std::initializer_list<const ui::Control*> controls, bool enabled) {
    for (const ui::Control* control : controls) EXPECT_EQ(control->Enabled(), enabled) << control->Name();
  }
};

TEST_F(OptionsPageTest, AFreshProfileOpensWithTheDefaults) {
  page.LoadOptionsPage();
  for (const ui::CheckBox* box :
       {&form.chkMakeLog, &form.chkSweepMemory, &form.chkScanRegistry, &form.chkScanCookies}) {
    EXPECT_EQ(box->Value(), 1) << box->Name();
    // The load changed the box, so its click handler stored the value.
    EXPECT_EQ(Stored(kOptions, box->Name()), "1") << box->Name();
  }
  EXPECT_EQ(Stored(kOptions, "chkRunAtStartup"), "<none>");
  EXPECT_FALSE(RunValue());
  ExpectBoxes({{&form.chkRunAtStartup, 0}, {&form.chkHomePage, 1}, {&form.chkAutoProtect, 1},
               {&form.chkAutomaticScanYesOrNo, 0}, {&form.chkAutomaticUpdate, 0}});
  // Both shields on, asking before restoring, Quick Scan: shown and stored.
  ExpectChosen({{&form.optIEHomePageSheildOn, true}, {&form.optIEHomePageSheildOff, false},
                {&form.optMemorySheildOn, true}, {&form.optMemorySheildOff, false},
                {&form.optAlwaysnotifybeforerestoring, true}, {&form.optRestoredefaultwithoutnotification, false},
                {&form.optScanOnlyKnownSoftwares, true}, {&form.optScanAllSelectedHardDrive, false}});
  EXPECT_EQ(Stored(kOptions, "SHOW"), "True");
  ExpectEnabled({&form.tmrCheckHomePage, &form.tmrMemoryInspected, &form.optAlwaysnotifybeforerestoring}, true);
  // Scheduled scans off, the drive list hidden with every drive checked.
  EXPECT_EQ(automaticScanClicks, 0);
  ExpectEnabled({&form.tmrScheduler, &form.cmbDays, &form.dtpScheduleDate, &form.dtpScheduleTime}, false);
  EXPECT_FALSE(form.lvwHardDrives.Visible());
  for (const auto& drive : form.lvwHardDrives.Items()) {
    EXPECT_TRUE(drive.checked) << drive.text;
    EXPECT_EQ(Stored("Drives", drive.text), "True");
  }
  EXPECT_EQ(form.lblLastUpdate.Caption(), "Signatures Last Updated On 0");
  EXPECT_EQ(host.pointerResets, 1);
  // Run at Startup follows the value read back, 1 when the store cannot be written and holds none.
  machine.registry.MakeReadOnly(platform::roots::kCurrentUser, SettingsStore::SectionPath("Kestrian", kOptions));
  form.chkRunAtStartup.SetValue(0);
  page.ApplyRunAtStartup();
  EXPECT_EQ(RunValue(), kQuotedCommand);
}

TEST_F(OptionsPageTest, StoredValuesAreShownAndUnreadableOnesLeaveTheControl) {
  settings.Save(kOptions, "chkMakeLog", "0");
  settings.Save(kOptions, "chkScanCookies", "often");
  settings.Save(kOptions, "chkScanRegistry", "7");
  settings.Save(kOptions, "optMemorySheildOn", "maybe");
  settings.Save(kOptions, "chkAutomaticScanYesOrNo", "soon");
  settings.Save("Drives", "C", "False");
  settings.Save("Drives", "E", "maybe");
  form.lvwHardDrives.SetChecked(2, true);
  page.LoadOptionsPage();
  // "often" leaves the cookie box as designed; 7 is not a check-box value.
  ExpectBoxes({{&form.chkMakeLog, 0}, {&form.chkScanCookies, 0}, {&form.chkScanRegistry, 0}, {&form.chkAutoProtect, 0}});
  EXPECT_EQ(Stored(kOptions, "chkScanCookies"), "often");
  EXPECT_FALSE(form.optMemorySheildOn.Value());
  const ui::FrmMain designed;
  EXPECT_EQ(form.tmrMemoryInspected.Enabled(), designed.tmrMemoryInspected.Enabled());
  EXPECT_EQ(form.tmrScheduler.Enabled(), designed.tmrScheduler.Enabled());
  EXPECT_EQ(form.cmbDays.Enabled(), designed.cmbDays.Enabled());
  EXPECT_TRUE(form.lvwHardDrives.Item(0).checked && form.lvwHardDrives.Item(2).checked);
  EXPECT_FALSE(form.lvwHardDrives.Item(1).checked);
}

TEST_F(OptionsPageTest, StoredProtectionChoicesAreShownWithTheirSideEffects) {
  for (const auto& [key, value] : {std::pair{"optIEHomePageSheildOn", "False"},
                                   {"optIEHomePageSheildOff", "True"},
                                   {"optAlwaysnotifybeforerestoring", "False"},
                                   {"optRestoredefaultwithoutnotification", "True"},
                                   {"optMemorySheildOn", "False"},
                                   {"optMemorySheildOff", "True"},
                                   {"chkRunAtStartup", "1"},
                                   {"chkAutomaticUpdate", "1"},
                                   {"optScanAllSelectedHardDrive", "True"},
                                   {"Signature Update Date", "12/6/2026"}}) {
    settings.Save(kOptions, key, value);
  }
  page.LoadOptionsPage();
  ExpectChosen({{&form.optIEHomePageSheildOff, true}, {&form.optRestoredefaultwithoutnotification, true},
                {&form.optMemorySheildOff, true}});
  ExpectBoxes({{&form.chkHomePage, 0}, {&form.chkAutoProtect, 0}, {&form.chkRunAtStartup, 1}});
  ExpectEnabled({&form.tmrCheckHomePage, &form.optAlwaysnotifybeforerestoring,
                 &form.optRestoredefaultwithoutnotification, &form.tmrMemoryInspected}, false);
  EXPECT_EQ(RunValue(), kQuotedCommand);  // its click ran
  EXPECT_EQ(form.chkAutomaticUpdate.Value(), 0);  // the load leaves it as designed
  EXPECT_EQ(form.lblLastUpdate.Caption(), "Signatures Last Updated On 12/6/2026");
  // A complete scan chosen last time opens as Quick Scan again.
  ExpectChosen({{&form.optScanOnlyKnownSoftwares, true}, {&form.optScanAllSelectedHardDrive, false}});
  EXPECT_FALSE(form.lvwHardDrives.Visible());
}

// A stored schedule switches the timer, the day list and the time picker; switched off, it
// also clears a box that the schedule's reload had checked.
TEST_F(OptionsPageTest, AStoredScheduleSwitchesTheTimerTheListAndTheTimePicker) {
  for (const int stored : {1, 0}) {
    settings.Save(kOptions, "chkAutomaticScanYesOrNo", std::to_string(stored));
    form.chkAutomaticScanYesOrNo.SetValue(1 - stored);
    form.cmbDays.SetListIndex(2);
    form.cmbDays.SetEnabled(stored == 0);
    form.dtpScheduleTime.SetEnabled(stored == 0);
    automaticScanClicks = 0;
    page.LoadOptionsPage();
    EXPECT_EQ(form.chkAutomaticScanYesOrNo.Value(), stored);
    EXPECT_EQ(automaticScanClicks, 1);
    ExpectEnabled({&form.tmrScheduler, &form.cmbDays, &form.dtpScheduleTime}, stored == 1);
    EXPECT_FALSE(form.dtpScheduleDate.Enabled());
  }
}

TEST_F(OptionsPageTest, PlainCheckBoxesAndDriveChecksStoreTheirValueAndNothingElse) {
  const struct {
    ui::CheckBox* box;
    std::string_view section;
  } cases[] = {{&form.chkMakeLog, kOptions},         {&form.chkSweepMemory, kOptions},
               {&form.chkScanRegistry, kOptions},    {&form.chkScanCookies, kOptions},
               {&form.chkAutomaticUpdate, kOptions}, {&form.chkAutoDel, "Settings"}};
  for (const auto& c : cases) {
    for (int value : {1, 0}) {
      c.box->SetValue(value);
      page.OnCheckBoxClick(*c.box);
      EXPECT_EQ(Stored(c.section, c.box->Name()), std::to_string(value)) << c.box->Name();
    }
  }
  ExpectEnabled({&form.tmrMemoryInspected, &form.tmrCheckHomePage, &form.tmrScheduler}, true);
  // A box with a handler of its own is not stored here.
  form.chkAutoProtect.SetValue(1);
  page.OnCheckBoxClick(form.chkAutoProtect);
  EXPECT_EQ(Stored(kOptions, "chkAutoProtect"), "<none>");
  // A drive's check stores every drive's.
  form.lvwHardDrives.SetChecked(1, true);
  page.OnDriveCheck();
  EXPECT_EQ((std::vector{Stored("Drives", "A"), Stored("Drives", "C"), Stored("Drives", "E")}),
            (std::vector<std::string>{"False", "True", "False"}));
}

TEST_F(OptionsPageTest, ShieldBoxesWriteBothKeysAndSwitchTheirTimers) {
  const struct {
    ui::CheckBox* box;
    void (OptionsPage::*click)();
    const char* onKey;
    const char* offKey;
    ui::Timer* timer;
  } boxes[] = {
      {&form.chkAutoProtect, &OptionsPage::OnAutoProtectClick, "optMemorySheildOn",
       "optMemorySheildOff", &form.tmrMemoryInspected},
      {&form.chkHomePage, &OptionsPage::OnHomePageClick, "optIEHomePageSheildOn",
       "optIEHomePageSheildOff", &form.tmrCheckHomePage},
  };
  for (const auto& b : boxes) {
    for (const bool checked : {false, true}) {
      b.box->SetValue(checked ? 1 : 0);
      (page.*b.click)();
      EXPECT_EQ(Stored(kOptions, b.onKey), checked ? "True" : "False") << b.box->Name();
      EXPECT_EQ(Stored(kOptions, b.offKey), checked ? "False" : "True") << b.box->Name();
      EXPECT_EQ(b.timer->Enabled(), checked) << b.box->Name();
    }
  }
  form.chkHomePage.SetValue(0);
  page.OnHomePageClick();
  ExpectEnabled({&form.optAlwaysnotifybeforerestoring, &form.optRestoredefaultwithoutnotification}, false);
  // The option buttons are left as they were.
  EXPECT_FALSE(form.optIEHomePageSheildOff.Value());
}

// An option button stores which of its pair is chosen and switches what it governs.
TEST_F(OptionsPageTest, OptionClicksStoreTheChoiceAndSwitchWhatTheyGovern) {
  const struct {
    ui::OptionButton* clicked;
    void (OptionsPage::*click)();
    const char* chosenKey;
    const char* otherKey;
    std::vector<const ui::Control*> governed;  // enabled when "On" is chosen
  } cases[] = {
      {&form.optMemorySheildOff, &OptionsPage::OnMemoryShieldClick, "optMemorySheildOff", "optMemorySheildOn",
       {&form.tmrMemoryInspected}},
      {&form.optIEHomePageSheildOff, &OptionsPage::OnHomePageShieldClick, "optIEHomePageSheildOff",
       "optIEHomePageSheildOn", {&form.tmrCheckHomePage, &form.optAlwaysnotifybeforerestoring}},
      {&form.optIEHomePageSheildOn, &OptionsPage::OnHomePageShieldClick, "optIEHomePageSheildOn",
       "optIEHomePageSheildOff", {&form.tmrCheckHomePage, &form.optRestoredefaultwithoutnotification}},
      {&form.optRestoredefaultwithoutnotification, &OptionsPage::OnRestoreChoiceClick,
       "optRestoredefaultwithoutnotification", "optAlwaysnotifybeforerestoring", {}},
      {&form.optScanAllSelectedHardDrive, &OptionsPage::OnScanTypeClick, "optScanAllSelectedHardDrive",
       "optScanOnlyKnownSoftwares", {}},
  };
  for (const auto& c : cases) {
    c.clicked->SetValue(true);
    (page.*c.click)();
    EXPECT_EQ(Stored(kOptions, c.chosenKey), "True") << c.chosenKey;
    EXPECT_EQ(Stored(kOptions, c.otherKey), "False") << c.chosenKey;
    const bool on = std::string_view(c.chosenKey).ends_with("On");
    for (const ui::Control* control : c.governed) EXPECT_EQ(control->Enabled(), on) << control->Name();
  }
}

// A standard user may not write the machine's Run key: the entry goes under the user's, off
// takes it out of both, and where it cannot be written (or removed) the user is told; the box
// never shows an entry that is not there.
TEST(RunAtStartupRights, TheEntryGoesWhereItMayBeWrittenAndTheBoxTellsTheTruth) {
  constexpr platform::RootKey kUser = platform::roots::kCurrentUser;
  const struct {
    int click;
    bool inMachine, inUser;            // before
    bool machineRefuses, userRefuses;  // every write to the hive / to the user's Run key
    bool inMachineAfter, inUserAfter;
    int boxAfter;
    const char* message;  // how it starts; "" for none
  } cases[] = {
      {1, false, false, false, false, true, false, 1, ""},
      {0, false, false, false, false, false, false, 0, ""},
      {1, false, false, true, false, false, true, 1, ""},
      {0, true, true, false, false, false, false, 0, ""},
      {0, false, true, true, false, false, false, 0, ""},
      {1, false, false, true, true, false, false, 0, "Run at Startup could not be turned on:"},
      {0, true, true, true, false, true, false, 0, "Run at Startup could not be turned off"},
  };
  for (const auto& c : cases) {
    OptionsWorld world;
    auto& [machine, host, settings, startup, form, clicks, page] = world;
    const auto entry = platform::RegistryValue::String(kQuotedCommand);
    machine.registry.SetValue(kMachine, kRunKey, "Other", platform::RegistryValue::String("x"));
    if (c.inMachine) machine.registry.SetValue(kMachine, kRunKey, "Kestrian", entry);
    if (c.inUser) machine.registry.SetValue(kUser, kRunKey, "Kestrian", entry);
    if (c.machineRefuses) machine.registry.RefuseWrites(kMachine);
    if (c.userRefuses) machine.registry.MakeReadOnly(kUser, kRunKey);
    form.chkRunAtStartup.SetValue(c.click);
    page.ApplyRunAtStartup();
    const std::string row = "click " + std::to_string(c.click) + ", refused " +
                            std::to_string(c.machineRefuses) + std::to_string(c.userRefuses);
    EXPECT_EQ(machine.registry.StringValue(kMachine, kRunKey, "Kestrian").has_value(), c.inMachineAfter) << row;
    EXPECT_EQ(machine.registry.StringValue(kUser, kRunKey, "Kestrian"),
              c.inUserAfter ? std::optional<std::string>(kQuotedCommand) : std::nullopt) << row;
    EXPECT_EQ(form.chkRunAtStartup.Value(), c.boxAfter) << row;
    EXPECT_EQ(machine.registry.StringValue(kMachine, kRunKey, "Other"), "x") << row;
    EXPECT_EQ(settings.Get(kOptions, "chkRunAtStartup", ""), std::to_string(c.boxAfter)) << row;
    ASSERT_EQ(host.Messages().size(), *c.message ? 1u : 0u) << row;
    if (!*c.message) continue;
    EXPECT_TRUE(host.Messages()[0].text.starts_with(c.message)) << host.Messages()[0].text;
    EXPECT_EQ(host.Messages()[0].title, "Kestrian");
    EXPECT_EQ(host.Messages()[0].icon, ui::MessageIcon::Information);
  }
}

// Named after the executable without its extension; the command is its whole path, quoted.
TEST(StartupEntry, IsNamedAfterTheExecutableAndStartsItByItsQuotedPath) {
  const struct {
    const char* path;
    const char* name;
    const char* command;
  } cases[] = {
      {"C:\\Program Files\\Kestrian\\Kestrian.exe", "Kestrian", kQuotedCommand},
      {"D:\\Tools\\kes.trian.exe", "kes.trian", "\"D:\\Tools\\kes.trian.exe\""},
      {"D:\\Tools.v2\\Kestrian", "Kestrian", "\"D:\\Tools.v2\\Kestrian\""},
  };
  for (const auto& c : cases) {
    testing::FakeMachine machine;
    machine.environment.executablePath = c.path;
    const StartupEntry entry(machine.registry, machine.environment);
    EXPECT_EQ(entry.Name(), c.name) << c.path;
    EXPECT_EQ(entry.Command(), c.command) << c.path;
  }
}

}  // namespace
}  // namespace kestrian::core
