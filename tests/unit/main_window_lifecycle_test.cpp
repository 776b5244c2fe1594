#include "core/main_window_lifecycle.h"
#include "core/main_window_pages.h"

#include "scan_fixture.h"

namespace kestrian::core {
namespace {

class MainWindowLifecycleTest : public scan::ScanFixture {
 protected:
  MainWindowLifecycleTest() {
    for (const char* name : {"RegistryDefinition.dat", "FileDefinition.dat", "ExeDefinition.dat",
                             "BlockedCookies.dat"}) {
      machine.files.PutFile(folder.FilePath(name), "a\r\nb\r\n");
    }
    machine.environment.executablePath = "C:\\Kestrian\\Kestrian.EXE";
  }
  StartUpServices Services() {
    return {[this] {
              steps.push_back("instance test");
              return otherInstance;
            },
            [this](const std::string& caption) { steps.push_back("caption " + caption); },
            [this](bool shown) { steps.push_back(shown ? "task list on" : "task list off"); },
            [this] { steps.push_back("schedule"); },
            [this] { steps.push_back("drives"); },
            [this] {
              steps.push_back(std::string("options, timers ") +
                              (form.tmrCheckHomePage.Enabled() ? "armed" : "disarmed"));
            },
            [this] { steps.push_back("tray"); }};
  }
  std::string Setting(const settings::Key& key) { return settings.Get(key.section, key.name, "<none>"); }

  bool otherInstance = false;
  std::vector<std::string> steps;
  MainWindowLifecycle lifecycle{form, settings, state, machine.Get(), folder, version, host, Services()};
};

TEST_F(MainWindowLifecycleTest, AFirstStartRunsItsStepsInOrder) {
  ASSERT_TRUE(lifecycle.Load());
  EXPECT_EQ(steps, (std::vector<std::string>{"instance test", "instance test",
                                             "caption Kestrian by Kestrian Software", "task list off",
                                             "schedule", "drives", "options, timers disarmed"}));
  SettingsStore shared(machine.registry, "RuvaveZezuvozUvuvizev");
  EXPECT_EQ(shared.Get(settings::kSharedProduct), "Kestrian");
  EXPECT_EQ(shared.Get(settings::kSharedFile), "Kestrian.exe");
  EXPECT_EQ(Setting(settings::kStatus), "RUNNING");
  EXPECT_EQ(Setting(settings::kRestart), "False");
  EXPECT_EQ(state.definitionCounts.total, 8);
  EXPECT_EQ(form.lblDefCount.Caption(), "8");
  EXPECT_TRUE(form.frmStatus.Visible());
  EXPECT_FALSE(form.frmScan.Visible());
  EXPECT_EQ(form.frmStatus.Caption(), "Kestrian Status");
  EXPECT_EQ(form.cmdWebsite.Caption(), "Visit www.kestrian.example");
  EXPECT_EQ(form.Label22.Caption(), "Welcome to Kestrian");
  EXPECT_TRUE(form.cmdScan.Enabled());
  EXPECT_TRUE(form.tmrCheckHomePage.Enabled());  // armed again after the options load
  EXPECT_FALSE(form.tmrScroll.Enabled());
  EXPECT_FALSE(form.timUpdate.Enabled());
  EXPECT_TRUE(host.Messages().empty());
}

TEST_F(MainWindowLifecycleTest, ASecondInstanceEndsWithoutWritingItsState) {
  otherInstance = true;
  EXPECT_FALSE(lifecycle.Load());
  EXPECT_EQ(steps, std::vector<std::string>{"instance test"});
  EXPECT_EQ(Setting(settings::kStatus), "<none>");
  EXPECT_EQ(Setting(settings::kRestart), "<none>");
}

TEST_F(MainWindowLifecycleTest, MissingDefinitionsDisableScanningWithAMessage) {
  machine.files.Delete(folder.FilePath("ExeDefinition.dat"));
  ASSERT_TRUE(lifecycle.Load());
  EXPECT_FALSE(form.cmdScan.Enabled());
  ASSERT_EQ(host.Messages().size(), 1u);
  EXPECT_EQ(host.Messages()[0].text,
            "Definition files are missing or they have been corrupted, Please run Live Update.");
  EXPECT_EQ(host.Messages()[0].title, "Kestrian");
}

TEST_F(MainWindowLifecycleTest, TheHelpOpensAtTheFirstStartOnly) {
  machine.files.PutFile(folder.FilePath("Help.chm"), "ITSF");
  lifecycle.Load();
  lifecycle.Load();
  EXPECT_EQ(machine.desktop.opened, std::vector<std::string>{"C:\\Kestrian\\Help.chm"});
  EXPECT_EQ(Setting(settings::kShowHelp), "0");
}

TEST_F(MainWindowLifecycleTest, UpdatesAndTheTrayFollowTheSettings) {
  settings.Save(settings::kAutomaticUpdate, "1");
  settings.Save(settings::kMinimized, "Yes");
  lifecycle.Load();
  EXPECT_TRUE(form.timUpdate.Enabled());
  EXPECT_EQ(steps.back(), "tray");
}

TEST_F(MainWindowLifecycleTest, TheNormalWindowIdlesTheSchedulerAndTheMemoryShield) {
  settings.Save(settings::kAutomaticScan, "1");
  lifecycle.OnWindowState(WindowState::Minimized, false);
  EXPECT_TRUE(form.tmrScheduler.Enabled());
  EXPECT_TRUE(form.tmrMemoryInspected.Enabled());
  EXPECT_FALSE(form.tmrScroll.Enabled());
  EXPECT_EQ(steps.back(), "task list off");
  settings.Save(settings::kMinimized, "Yes");
  lifecycle.OnWindowState(WindowState::Normal, true);
  EXPECT_FALSE(form.tmrScheduler.Enabled());
  EXPECT_FALSE(form.tmrMemoryInspected.Enabled());
  EXPECT_TRUE(form.tmrCheckHomePage.Enabled());
  EXPECT_TRUE(form.tmrScroll.Enabled());
  EXPECT_EQ(steps.back(), "task list on");
  EXPECT_EQ(Setting(settings::kMinimized), "No");
}

TEST_F(MainWindowLifecycleTest, AnOrderlyEndLeavesStoppedAndNoRestart) {
  lifecycle.Load();
  settings.Save(settings::kRestart, "True");
  lifecycle.QueryUnload();
  EXPECT_EQ(Setting(settings::kStatus), "STOPPED");
  EXPECT_EQ(Setting(settings::kRestart), "False");
}

}  // namespace
}  // namespace kestrian::core
