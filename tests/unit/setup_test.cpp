#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "core/settings_store.h"
#include "setup/packaged_definitions.h"
#include "setup/running_program.h"
#include "setup/uninstall_leftovers.h"
#include "support/fake_machine.h"

namespace kestrian::setup {
namespace {

const std::string kFolder = "C:\\Users\\ann\\AppData\\Local\\Programs\\Kestrian";
const std::string kInstalled = kFolder + "\\RegistryDefinition.dat";
const std::string kWaiting = kFolder + "\\DLRegistryDefinition.dat";
constexpr PackagedVersions kVersions{5, 1, 43, 1};  // registry 5

struct Scene {
  Scene() {
    for (const char* file : {"RegistryDefinition", "FileDefinition", "ExeDefinition", "BlockedCookies"}) {
      machine.files.PutFile(kFolder + "\\Packaged Definitions\\" + file + ".dat", "packaged");
    }
  }
  std::vector<PlacedDefinition> Place() {
    return PlacePackagedDefinitions(machine.files, settings, core::ApplicationFolder(kFolder), kVersions);
  }
  testing::FakeMachine machine;
  core::SettingsStore settings{machine.registry, "Kestrian"};
};

TEST(PackagedDefinitions, KeepWhatLiveUpdateMadeNewerAndNeverGoBack) {
  const struct {
    const char* stored;     // the registry kind's version (the newest file); nullptr: none
    const char* storedInstalled;  // its ".installed" version, kept while a copy waits
    const char* installed;  // nullptr: no file
    const char* waiting;    // the downloaded copy for the next start; nullptr: none
    Placement placement;
    const char* installedAfter;
    bool waitingKept;
    const char* storedAfter;
  } cases[] = {
      {nullptr, nullptr, nullptr, nullptr, Placement::Packaged, "packaged", false, "5"},  // first install
      {"12", nullptr, "live 12", nullptr, Placement::KeptNewer, "live 12", false, "12"},
      {"12", "11", "live 11", "live 12", Placement::KeptNewer, "live 11", true, "12"},
      {"12", "2", "live 2", "live 12", Placement::KeptNewer, "packaged", true, "12"},
      // Every kind is present after the install; the waiting copy replaces it at the start.
      {"12", nullptr, nullptr, "live 12", Placement::KeptNewer, "packaged", true, "12"},
      // Nothing newer is left, so Live Update must count from the packaged version.
      {"12", nullptr, nullptr, nullptr, Placement::Packaged, "packaged", false, "5"},
      {"5", nullptr, "live 5", nullptr, Placement::Packaged, "packaged", false, "5"},
      // An older copy waiting for the next start would take the kind back.
      {"3", "2", "live 2", "live 3", Placement::Packaged, "packaged", false, "5"},
      {"3", "12", "live 12", "live 3", Placement::KeptNewer, "live 12", false, "12"},
      {"seven", nullptr, "live ?", nullptr, Placement::Packaged, "packaged", false, "5"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "case " << &c - cases);
    Scene scene;
    if (c.stored) scene.settings.Save("OptionAndSettings", "RegistryDefinition", c.stored);
    if (c.storedInstalled) scene.settings.Save("OptionAndSettings", "RegistryDefinition.installed", c.storedInstalled);
    if (c.installed) scene.machine.files.PutFile(kInstalled, c.installed);
    if (c.waiting) scene.machine.files.PutFile(kWaiting, c.waiting);
    const auto placed = scene.Place();
    ASSERT_EQ(placed.size(), 4u);
    EXPECT_EQ(placed[0].placement, c.placement);
    EXPECT_EQ(scene.machine.files.Content(kInstalled), c.installedAfter);
    EXPECT_EQ(scene.machine.files.Exists(kWaiting), c.waitingKept);
    EXPECT_EQ(scene.settings.Get("OptionAndSettings", "RegistryDefinition", ""), c.storedAfter);
    // A waiting copy that the next start refuses gives the kind back this version.
    if (std::string(c.installedAfter) == "packaged") {
      EXPECT_EQ(scene.settings.Get("OptionAndSettings", "RegistryDefinition.installed", ""), "5");
    }
    EXPECT_EQ(scene.settings.Get("OptionAndSettings", "EXEDefinition", ""), "43");
  }
}

TEST(PackagedDefinitions, AFileThatCannotBePlacedFailsAndIsLeftWhole) {
  Scene scene;
  scene.machine.files.PutFile(kInstalled, "live 1");
  scene.machine.files.Lock(kInstalled);  // a scan reads it, sharing nothing
  scene.machine.files.Delete(kFolder + "\\Packaged Definitions\\BlockedCookies.dat");
  const auto placed = scene.Place();
  EXPECT_EQ(placed[0].placement, Placement::Failed);
  EXPECT_EQ(placed[1].placement, Placement::Packaged);
  EXPECT_EQ(placed[3].placement, Placement::Failed);
  scene.machine.files.Lock(kInstalled, false);
  EXPECT_EQ(scene.machine.files.Content(kInstalled), "live 1");
  EXPECT_EQ(scene.settings.Get("OptionAndSettings", "RegistryDefinition", "none"), "none");
  EXPECT_TRUE(scene.machine.files.Find(kFolder + "\\*.setup").empty());
}

TEST(UninstallLeftovers, DefinitionFilesAndRunValuesOfThisCopyGoAndTheUsersDataStays) {
  testing::FakeMachine machine;
  const std::vector<std::string> gone = {"RegistryDefinition.dat", "FileDefinition.dat", "ExeDefinition.dat",
                                         "BlockedCookies.dat", "DLFileDefinition.dat.download",
                                         "BlockedCookies.dat.setup"};
  const std::vector<std::string> kept = {"ENoSignature.txt", "Scan_Log.txt", "AppRestart.log",
                                         "quarantine\\QuarantineLog.txt", "quarantine\\ExeDefinition.dat",
                                         "DLExeDefinition.dat"};  // held open: reported
  for (const auto& file : gone) machine.files.PutFile(kFolder + "\\" + file, "d");
  for (const auto& file : kept) machine.files.PutFile(kFolder + "\\" + file, "user");
  machine.files.Lock(kFolder + "\\DLExeDefinition.dat");
  const auto failures = RemoveDefinitionFiles(machine.files, core::ApplicationFolder(kFolder));
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_EQ(failures[0].item, kFolder + "\\DLExeDefinition.dat");
  for (const auto& file : gone) EXPECT_FALSE(machine.files.Exists(kFolder + "\\" + file)) << file;
  for (const auto& file : kept) EXPECT_TRUE(machine.files.Exists(kFolder + "\\" + file)) << file;
  // Run values go only when they start this copy. Both keys and both forms of the command are
  // tried end to end; here, the values that stay.
  const std::string run = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
  const std::pair<const char*, bool> cases[] = {  // the command, whether it is removed
      {"\"c:\\users\\ANN\\appdata\\local\\programs\\kestrian\\Kestrian.exe\"", true},
      {"C:\\Users\\ann\\AppData\\Local\\Programs\\Kestrian2\\Kestrian.exe", false},
      {"\"D:\\Kestrian.exe\" C:\\Users\\ann\\AppData\\Local\\Programs\\Kestrian\\", false}};
  for (const auto& [command, removed] : cases) {
    machine.registry.SetValue(platform::roots::kCurrentUser, run, "Kestrian", platform::RegistryValue::String(command));
    EXPECT_TRUE(RemoveStartupValues(machine.registry, core::ApplicationFolder(kFolder)).empty());
    EXPECT_EQ(machine.registry.StringValue(platform::roots::kCurrentUser, run, "Kestrian").has_value(), !removed)
        << command;
  }
}

TEST(RunningProgram, EachCopyIsAskedToCloseAndStoppedOnlyAfterTheDeadline) {
  const std::string program = kFolder + "\\Kestrian.exe";
  const struct {
    int waitsToClose;
    bool terminable;
    EndOutcome outcome;
  } cases[] = {{1, true, EndOutcome::Closed}, {0, true, EndOutcome::Stopped}, {0, false, EndOutcome::StillRunning}};
  for (const auto& c : cases) {
    testing::FakeProcesses processes;
    const auto elsewhere = processes.Start("Kestrian.exe", "D:\\Portable\\Kestrian.exe");
    const auto copy = processes.Start("Kestrian.exe", program, c.terminable);
    std::vector<std::uint32_t> asked;
    const auto closes = [&](std::uint32_t id) {  // as a window that closes, or never (0)
      asked.push_back(id);
      processes.EndAfterWaits(id, c.waitsToClose);
      return true;
    };
    EXPECT_EQ(EndRunningProgram(processes, closes, program), c.outcome);
    EXPECT_EQ(asked, std::vector<std::uint32_t>{copy});
    EXPECT_EQ(processes.terminations.size(), c.outcome == EndOutcome::Stopped ? 1u : 0u);
    EXPECT_TRUE(processes.Running(elsewhere));
  }
}

}  // namespace
}  // namespace kestrian::setup
