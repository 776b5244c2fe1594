#include "core/main_window_lifecycle.h"
#include "core/definition_rollback.h"

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
            [this] { steps.push_back("tray"); },
            // A download holding "bad" fails its test-load.
            [](std::string_view, std::string_view content) { return content.find("bad") == std::string_view::npos; }};
  }
  std::string Setting(const settings::Key& key) { return settings.Get(key.section, key.name, "<none>"); }

  bool otherInstance = false;
  std::vector<std::string> steps;
  MainWindowLifecycle lifecycle{form, settings, state, machine.Get(), folder, version, host, Services()};
};

// A second instance ends without writing its state; the first then runs its steps in order.
TEST_F(MainWindowLifecycleTest, AFirstStartRunsItsStepsInOrderAndOpensTheHelpOnce) {
  machine.files.PutFile(folder.FilePath("Help.chm"), "ITSF");
  otherInstance = true;
  EXPECT_FALSE(lifecycle.Load());
  EXPECT_EQ(steps, std::vector<std::string>{"instance test"});
  EXPECT_EQ(Setting(settings::kStatus), "<none>");
  EXPECT_EQ(Setting(settings::kRestart), "<none>");
  otherInstance = false;
  steps.clear();
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
  EXPECT_EQ((std::vector{form.lblDefCount.Caption(), form.frmStatus.Caption(), form.cmdWebsite.Caption(),
                         form.Label22.Caption()}),
            (std::vector<std::string>{"8", "Kestrian Status", "Visit www.kestrian.example", "Welcome to Kestrian"}));
  // The home page timer is armed again after the options load.
  EXPECT_TRUE(form.frmStatus.Visible() && form.cmdScan.Enabled() && form.tmrCheckHomePage.Enabled());
  EXPECT_FALSE(form.frmScan.Visible() || form.tmrScroll.Enabled() || form.timUpdate.Enabled());
  EXPECT_TRUE(host.Messages().empty());
  // An orderly end leaves STOPPED and withdraws a restart.
  settings.Save(settings::kRestart, "True");
  lifecycle.QueryUnload();
  EXPECT_EQ(Setting(settings::kStatus), "STOPPED");
  EXPECT_EQ(Setting(settings::kRestart), "False");
  lifecycle.Load();
  EXPECT_EQ(machine.desktop.opened, std::vector<std::string>{"C:\\Kestrian\\Help.chm"});
  EXPECT_EQ(Setting(settings::kShowHelp), "0");
}

// A download replaces its file only after its test-load; the replaced file and its version
// become the previous generation. One that fails is set aside and its kind's stored version
// names the installed file again.
TEST_F(MainWindowLifecycleTest, DownloadsAreTestLoadedBeforeTheyAreInstalled) {
  machine.files.PutFile(folder.FilePath("DLExeDefinition.dat"), "new\r\n");
  machine.files.PutFile(folder.FilePath("DLBlockedCookies.dat"), "bad\r\n");
  settings.Save("OptionAndSettings", "EXEDefinition", "30");
  settings.Save("OptionAndSettings", "EXEDefinition.installed", "29");
  settings.Save("OptionAndSettings", "CookieDefinition", "5");
  settings.Save("OptionAndSettings", "CookieDefinition.installed", "4");
  ASSERT_TRUE(lifecycle.Load());
  EXPECT_EQ(machine.files.Content(folder.FilePath("ExeDefinition.dat")), "new\r\n");
  EXPECT_EQ(machine.files.Content(folder.FilePath("ExeDefinition.dat.previous")), "a\r\nb\r\n");
  EXPECT_EQ(settings.Get("OptionAndSettings", "EXEDefinition.previous", ""), "29");
  EXPECT_EQ(settings.Get("OptionAndSettings", "EXEDefinition.installed", ""), "30");
  EXPECT_EQ(machine.files.Content(folder.FilePath("BlockedCookies.dat")), "a\r\nb\r\n");
  EXPECT_EQ(machine.files.Content(folder.FilePath("DLBlockedCookies.dat.rejected")), "bad\r\n");
  EXPECT_FALSE(machine.files.Exists(folder.FilePath("DLBlockedCookies.dat")));
  EXPECT_EQ(settings.Get("OptionAndSettings", "CookieDefinition", ""), "4");
  EXPECT_EQ(state.definitionCounts.total, 7);
  ASSERT_EQ(host.Messages().size(), 1u);
  EXPECT_EQ(host.Messages()[0].text,
            "The new cookie definitions were not installed: they hold lines that cannot be read. "
            "The definitions in use stay as they are.");
  EXPECT_TRUE(form.cmdScan.Enabled());
}

// A missing definition file disables scanning; one too large to read counts as missing, without
// being read; the previous generation is offered, and taken back it makes scanning possible again.
TEST_F(MainWindowLifecycleTest, AnOversizedDefinitionFileIsCorruptedAndThePreviousOneIsOffered) {
  machine.files.Delete(folder.FilePath("ExeDefinition.dat"));
  ASSERT_TRUE(lifecycle.Load());
  EXPECT_FALSE(form.cmdScan.Enabled());
  ASSERT_EQ(host.Messages().size(), 1u);
  EXPECT_EQ(host.Messages()[0].title, "Kestrian");
  for (const auto answer : {ui::MessageAnswer::No, ui::MessageAnswer::Yes}) {
    machine.files.PutLargeFile(folder.FilePath("ExeDefinition.dat"), (64u << 20) + 1);
    machine.files.PutFile(folder.FilePath("ExeDefinition.dat.previous"), "older\r\n");
    settings.Save("OptionAndSettings", "EXEDefinition", "30");
    settings.Save("OptionAndSettings", "EXEDefinition.previous", "28");
    host.Answer(ui::MessageAnswer::Ok);
    host.Answer(answer);
    const std::size_t before = host.Messages().size();
    ASSERT_TRUE(lifecycle.Load());
    const bool yes = answer == ui::MessageAnswer::Yes;
    ASSERT_EQ(host.Messages().size(), before + (yes ? 3 : 2));
    EXPECT_EQ(host.Messages()[before].text,
              "Definition files are missing or they have been corrupted, Please run Live Update.");
    EXPECT_EQ(host.Messages()[before + 1].buttons, ui::MessageButtons::YesNo);
    EXPECT_EQ(form.cmdScan.Enabled(), yes);
    EXPECT_EQ(state.definitionCounts.executables, yes ? 1 : 0);
    EXPECT_EQ(settings.Get("OptionAndSettings", "EXEDefinition", ""), yes ? "28" : "30");
    if (yes) {
      EXPECT_EQ(host.Messages().back().text, "The previous executable definitions are back in use.");
      EXPECT_EQ(machine.files.Content(folder.FilePath("ExeDefinition.dat")), "older\r\n");
      EXPECT_EQ(form.lblDefCount.Caption(), "7");
    }
  }
}

TEST_F(MainWindowLifecycleTest, TheRollBackCommandAsksAndIsIgnoredWhileAScanRuns) {
  DefinitionRollback rollback({form, settings, state, machine.files, folder, version, host});
  rollback.Command();
  ASSERT_EQ(host.Messages().size(), 1u);
  EXPECT_EQ(host.Messages()[0].text, "There are no previous definitions to go back to.");
  machine.files.PutFile(folder.FilePath("RegistryDefinition.dat.previous"), "older\r\n");
  machine.files.PutFile(folder.FilePath("DLRegistryDefinition.dat"), "waiting\r\n");
  form.cmdScanNow.SetEnabled(false);
  rollback.Command();
  EXPECT_EQ(host.Messages().size(), 1u);
  form.cmdScanNow.SetEnabled(true);
  host.Answer(ui::MessageAnswer::No);
  rollback.Command();
  EXPECT_EQ(machine.files.Content(folder.FilePath("RegistryDefinition.dat")), "a\r\nb\r\n");
  rollback.Command();  // answered Yes
  EXPECT_EQ(machine.files.Content(folder.FilePath("RegistryDefinition.dat")), "older\r\n");
  EXPECT_FALSE(machine.files.Exists(folder.FilePath("DLRegistryDefinition.dat")));  // it would undo the rollback
  EXPECT_EQ(host.Messages().back().text, "The previous registry definitions are back in use.");
}

TEST_F(MainWindowLifecycleTest, TheNormalWindowIdlesTheSchedulerAndTheMemoryShield) {
  settings.Save(settings::kAutomaticScan, "1");
  lifecycle.OnWindowState(WindowState::Minimized, false);
  EXPECT_TRUE(form.tmrScheduler.Enabled() && form.tmrMemoryInspected.Enabled());
  EXPECT_FALSE(form.tmrScroll.Enabled());
  EXPECT_EQ(steps.back(), "task list off");
  settings.Save(settings::kMinimized, "Yes");
  lifecycle.OnWindowState(WindowState::Normal, true);
  EXPECT_FALSE(form.tmrScheduler.Enabled() || form.tmrMemoryInspected.Enabled());
  EXPECT_TRUE(form.tmrCheckHomePage.Enabled() && form.tmrScroll.Enabled());
  EXPECT_EQ(steps.back(), "task list on");
  EXPECT_EQ(Setting(settings::kMinimized), "No");
}

}  // namespace
}  // namespace kestrian::core
