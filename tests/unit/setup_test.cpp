// The installer's steps: definitions put in place without undoing Live Update, what an
// uninstall removes and what it keeps, and how a running copy is ended.
#include <gtest/gtest.h>

#include <optional>
#include <string>
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
    for (const char* file : {"RegistryDefinition.dat", "FileDefinition.dat", "ExeDefinition.dat",
                             "BlockedCookies.dat"}) {
      machine.files.PutFile(kFolder + "\\Packaged Definitions\\" + file, "packaged");
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
    const char* stored;     // the registry kind's version setting; nullptr: none
    const char* installed;  // nullptr: no file
    const char* waiting;    // the downloaded copy for the next start; nullptr: none
    Placement placement;
    const char* installedAfter;
    bool waitingKept;
    const char* storedAfter;
  } cases[] = {
      {nullptr, nullptr, nullptr, Placement::Packaged, "packaged", false, "5"},  // first install
      {"12", "live 12", nullptr, Placement::KeptNewer, "live 12", false, "12"},
      {"12", "live 11", "live 12", Placement::KeptNewer, "live 11", true, "12"},
      // Every kind is present after the install; the waiting copy replaces it at the start.
      {"12", nullptr, "live 12", Placement::KeptNewer, "packaged", true, "12"},
      // Nothing newer is left, so Live Update must count from the packaged version.
      {"12", nullptr, nullptr, Placement::Packaged, "packaged", false, "5"},
      {"5", "live 5", nullptr, Placement::Packaged, "packaged", false, "5"},
      // An older copy waiting for the next start would take the kind back.
      {"3", "live 2", "live 3", Placement::Packaged, "packaged", false, "5"},
      {"seven", "live ?", nullptr, Placement::Packaged, "packaged", false, "5"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.stored ? c.stored : "-") + " " + (c.installed ? c.installed : "-") +
                 " " + (c.waiting ? c.waiting : "-"));
    Scene scene;
    if (c.stored) scene.settings.Save("OptionAndSettings", "RegistryDefinition", c.stored);
    if (c.installed) scene.machine.files.PutFile(kInstalled, c.installed);
    if (c.waiting) scene.machine.files.PutFile(kWaiting, c.waiting);
    const auto placed = scene.Place();
    ASSERT_EQ(placed.size(), 4u);
    EXPECT_EQ(placed[0].file, "RegistryDefinition.dat");
    EXPECT_EQ(placed[0].placement, c.placement);
    EXPECT_EQ(scene.machine.files.Content(kInstalled), c.installedAfter);
    EXPECT_EQ(scene.machine.files.Exists(kWaiting), c.waitingKept);
    EXPECT_EQ(scene.settings.Get("OptionAndSettings", "RegistryDefinition", ""), c.storedAfter);
    EXPECT_EQ(scene.settings.Get("OptionAndSettings", "EXEDefinition", ""), "43");
  }
}

TEST(PackagedDefinitions, AFileThatCannotBePlacedFailsAndIsLeftWhole) {
  Scene scene;
  scene.settings.Save("OptionAndSettings", "RegistryDefinition", "1");
  scene.machine.files.PutFile(kInstalled, "live 1");
  scene.machine.files.Lock(kInstalled);  // a scan reads it, sharing nothing
  scene.machine.files.Delete(kFolder + "\\Packaged Definitions\\BlockedCookies.dat");
  const auto placed = scene.Place();
  EXPECT_EQ(placed[0].placement, Placement::Failed);
  EXPECT_NE(placed[0].status, platform::kOk);
  EXPECT_EQ(placed[3].placement, Placement::Failed);
  EXPECT_EQ(placed[1].placement, Placement::Packaged);
  scene.machine.files.Lock(kInstalled, false);
  EXPECT_EQ(scene.machine.files.Content(kInstalled), "live 1");
  EXPECT_EQ(scene.settings.Get("OptionAndSettings", "RegistryDefinition", ""), "1");
  EXPECT_TRUE(scene.machine.files.Find(kFolder + "\\*.setup").empty());
}

TEST(UninstallLeftovers, DefinitionFilesGoAndTheUsersDataStays) {
  testing::FakeMachine machine;
  const std::vector<std::string> definitions = {
      "RegistryDefinition.dat", "FileDefinition.dat", "ExeDefinition.dat", "BlockedCookies.dat",
      "DLExeDefinition.dat", "DLFileDefinition.dat.download", "BlockedCookies.dat.setup"};
  const std::vector<std::string> kept = {"ENoSignature.txt", "Scan_Log.txt", "AppRestart.log",
                                         "quarantine\\QuarantineLog.txt",
                                         "quarantine\\ExeDefinition.dat"};
  for (const auto& file : definitions) machine.files.PutFile(kFolder + "\\" + file, "d");
  for (const auto& file : kept) machine.files.PutFile(kFolder + "\\" + file, "user");
  machine.files.Lock(kFolder + "\\DLExeDefinition.dat");

  const auto failures = RemoveDefinitionFiles(machine.files, core::ApplicationFolder(kFolder));
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_EQ(failures[0].item, kFolder + "\\DLExeDefinition.dat");
  for (const auto& file : definitions) {
    EXPECT_EQ(machine.files.Exists(kFolder + "\\" + file), file == "DLExeDefinition.dat") << file;
  }
  for (const auto& file : kept) EXPECT_TRUE(machine.files.Exists(kFolder + "\\" + file)) << file;
}

TEST(UninstallLeftovers, RunValuesGoFromBothKeysWhenTheyStartThisCopy) {
  const std::string run = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
  const struct {
    const char* command;
    bool removed;
  } cases[] = {
      {"C:\\Users\\ann\\AppData\\Local\\Programs\\Kestrian\\Kestrian", true},
      {"\"C:\\Users\\ann\\AppData\\Local\\Programs\\Kestrian\\Kestrian.exe\"", true},
      {"c:\\users\\ANN\\appdata\\local\\programs\\kestrian\\Kestrian.exe", true},
      {"C:\\Users\\ann\\AppData\\Local\\Programs\\Kestrian2\\Kestrian.exe", false},
      {"\"D:\\Tools\\Kestrian\\Kestrian.exe\" C:\\Users\\ann\\AppData\\Local\\Programs\\Kestrian\\",
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command);
    for (const auto root : {platform::roots::kLocalMachine, platform::roots::kCurrentUser}) {
      testing::FakeMachine machine;
      machine.registry.SetValue(root, run, "Kestrian", platform::RegistryValue::String(c.command));
      machine.registry.SetValue(root, run, "CoolSearch", platform::RegistryValue::String("x.exe"));
      EXPECT_TRUE(RemoveStartupValues(machine.registry, core::ApplicationFolder(kFolder)).empty());
      EXPECT_EQ(machine.registry.StringValue(root, run, "Kestrian").has_value(), !c.removed);
      EXPECT_TRUE(machine.registry.StringValue(root, run, "CoolSearch").has_value());
    }
  }
}

// Asks by ending the process after a number of waits, as a window that closes does.
class ClosingRequest final : public CloseRequest {
 public:
  ClosingRequest(testing::FakeProcesses& processes, int waits) : processes_(processes), waits_(waits) {}
  bool AskToClose(std::uint32_t id) override {
    asked.push_back(id);
    if (waits_ > 0) processes_.EndAfterWaits(id, waits_);
    return true;
  }
  std::vector<std::uint32_t> asked;

 private:
  testing::FakeProcesses& processes_;
  int waits_;
};

TEST(RunningProgram, EachCopyIsAskedToCloseAndStoppedOnlyAfterTheDeadline) {
  const std::string program = kFolder + "\\Kestrian.exe";
  const struct {
    int waitsToClose;  // 0: it never closes when asked
    bool terminable;
    EndOutcome outcome;
    bool terminated;
  } cases[] = {
      {1, true, EndOutcome::Closed, false},
      {0, true, EndOutcome::Stopped, true},
      {0, false, EndOutcome::StillRunning, false},
  };
  for (const auto& c : cases) {
    testing::FakeProcesses processes;
    const auto other = processes.Start("Kestrian.exe", "D:\\Portable\\Kestrian.exe");
    const auto copy = processes.Start("Kestrian.exe", program, c.terminable);
    ClosingRequest request(processes, c.waitsToClose);
    EXPECT_EQ(EndRunningProgram(processes, request, program), c.outcome);
    EXPECT_EQ(request.asked, std::vector<std::uint32_t>{copy});
    EXPECT_EQ(processes.terminations.size(), c.terminated ? 1u : 0u);
    EXPECT_TRUE(processes.Running(other));  // a copy elsewhere is not this installation's
  }
  testing::FakeProcesses none;
  ClosingRequest request(none, 1);
  EXPECT_EQ(EndRunningProgram(none, request, program), EndOutcome::NotRunning);
  EXPECT_TRUE(request.asked.empty());
}

}  // namespace
}  // namespace kestrian::setup
