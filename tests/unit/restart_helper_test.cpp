#include "core/restart_helper.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "support/fake_machine.h"

namespace kestrian::core {
namespace {

using testing::FakeDesktop;

constexpr const char* kProgram = "C:\\Program Files\\Kestrian\\Kestrian.exe";
constexpr const char* kLog = "C:\\Program Files\\Kestrian\\AppRestart.log";
constexpr const char* kNow = "12/6/2026 9:30:00 AM";
constexpr RestartTiming kShortTiming{2000, 500};  // four waits

// The helper and the program in their folder, and RESTART as `restart` (nullptr: no value).
struct Scene {
  explicit Scene(const char* restart = "True") {
    machine.environment.executablePath = "C:\\Program Files\\Kestrian\\AppRestart.exe";
    machine.files.PutFile(kProgram, "MZ");
    if (restart) settings.Save(settings::kRestart, restart);
  }
  RestartOutcome Restart(RestartTiming timing = {}) {
    return RunRestart({machine.files, machine.environment, machine.clock, machine.processes, machine.desktop},
                      settings, timing);
  }
  std::optional<std::string> Log() const { return machine.files.Content(kLog); }

  testing::FakeMachine machine;
  SettingsStore settings{machine.registry, "Kestrian"};
};

std::vector<FakeDesktop::Command> Started(const std::string& path = kProgram) {
  return {{"\"" + path + "\"", platform::show_styles::kNormal}};
}

class RestartHelperTest : public ::testing::Test, protected Scene {};

TEST(RestartHelper, StartsTheProgramOnlyWhenRestartReadsTrue) {
  const struct {
    const char* restart;  // nullptr: no value
    const char* show;
    bool started;
  } cases[] = {
      {"True", "True", true},   // a user-started update
      {"True", "false", true},  // an unattended one: the program goes back to the tray itself
      {"True", nullptr, true},
      {"true", "false", true},
      {"TRUE", "True", true},
      {"False", "True", false},
      {"False", "false", false},
      {nullptr, nullptr, false},
      {"", "True", false},
      {"1", "True", false},
      {"Yes", "True", false},
      {" True", "True", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string("RESTART=") + (c.restart ? c.restart : "<none>") +
                 " SHOW=" + (c.show ? c.show : "<none>"));
    Scene scene(c.restart);
    const auto& restart = settings::kRestart;
    if (c.show) scene.settings.Save(settings::kShow, c.show);
    if (!c.started) scene.machine.processes.Start("Kestrian.exe", kProgram);  // the user's copy: not waited for
    EXPECT_EQ(scene.Restart(), c.started ? RestartOutcome::Started : RestartOutcome::NotRequested);
    EXPECT_EQ(scene.machine.processes.waitCalls, 0);
    EXPECT_EQ(scene.machine.desktop.commands, c.started ? Started() : std::vector<FakeDesktop::Command>{});
    // The helper writes nothing: RESTART stays for the program to reset at its start.
    EXPECT_EQ(scene.settings.Get(restart.section, restart.name, "<none>"), c.restart ? c.restart : "<none>");
    EXPECT_FALSE(scene.Log().has_value());
  }
}

TEST(RestartHelper, WaitsForEveryCopyOfTheProgramInItsFolderOnly) {
  struct Process {
    const char* modulePath;
    int waitsToEnd;  // 0: never ends
  };
  const struct {
    const char* name;
    std::vector<Process> running;
    int waits;
  } cases[] = {
      {"none running", {}, 0},
      {"ends during the third wait", {{kProgram, 3}}, 3},
      {"two copies", {{kProgram, 2}, {kProgram, 1}}, 3},
      {"path in another letter case", {{"c:\\PROGRAM FILES\\kestrian\\KESTRIAN.EXE", 2}}, 2},
      {"same name in another folder", {{"C:\\Other\\Kestrian.exe", 0}}, 0},
      {"another program in the folder", {{"C:\\Program Files\\Kestrian\\kscan.exe", 0}}, 0},
      {"ends during the last wait", {{kProgram, 4}}, 4},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Scene scene;
    for (const auto& process : c.running) {
      const std::string path = process.modulePath;
      const auto id = scene.machine.processes.Start(path.substr(path.rfind('\\') + 1), path);
      scene.machine.processes.EndAfterWaits(id, process.waitsToEnd);
    }
    EXPECT_EQ(scene.Restart(kShortTiming), RestartOutcome::Started);
    EXPECT_EQ(scene.machine.processes.waitCalls, c.waits);
    EXPECT_EQ(scene.machine.desktop.commands, Started());
    EXPECT_FALSE(scene.Log().has_value());
  }
}

// A process's path is read only where its snapshot name may be the program's: named like it,
// or in a short 8.3 form that may hide it.
TEST(RestartHelper, ReadsThePathsOfProcessesThatMayBeTheProgramOnly) {
  Scene scene;
  auto& processes = scene.machine.processes;
  processes.Start("notepad.exe", "C:\\Windows\\notepad.exe");
  processes.Start("kscan.exe", "C:\\Program Files\\Kestrian\\kscan.exe");
  processes.Start("KESTRI~1.EXE", "C:\\Program Files\\Kestrian\\Kestrian Tools.exe");
  processes.EndAfterWaits(processes.Start("KESTRIAN.EXE", kProgram), 2);
  EXPECT_EQ(scene.Restart(kShortTiming), RestartOutcome::Started);
  EXPECT_EQ(processes.waitCalls, 2);
  // Two rounds find the program after reading the short name and its own; the last round,
  // after its end, reads the short name alone. Reading every path would make 4 + 4 + 3.
  EXPECT_EQ(processes.modulePathCalls, 2 + 2 + 1);
  EXPECT_EQ(scene.machine.desktop.commands, Started());
}

// A copy that never ends: 60 seconds in waits of half a second, and the time-out covers all
// copies together.
TEST_F(RestartHelperTest, AProgramThatNeverEndsIsNotStartedTwice) {
  const auto first = machine.processes.Start("Kestrian.exe", kProgram);
  EXPECT_EQ(Restart(), RestartOutcome::StillRunning);
  EXPECT_EQ(machine.processes.waitCalls, 120);
  EXPECT_TRUE(machine.desktop.commands.empty());
  EXPECT_EQ(Log(), std::string(kNow) + " - " + kProgram +
                       " is still running after 60 seconds; not restarted.\r\n");
  machine.processes.Terminate(first, 0);
  machine.processes.EndAfterWaits(machine.processes.Start("Kestrian.exe", kProgram), 3);
  machine.processes.Start("Kestrian.exe", kProgram);  // never ends
  machine.processes.waitCalls = 0;
  EXPECT_EQ(Restart(kShortTiming), RestartOutcome::StillRunning);
  EXPECT_EQ(machine.processes.waitCalls, 4);
  EXPECT_TRUE(machine.desktop.commands.empty());
}

TEST_F(RestartHelperTest, AnOrderlyEndDuringTheWaitWithdrawsTheRequest) {
  const auto id = machine.processes.Start("Kestrian.exe", kProgram);
  machine.processes.EndAfterWaits(id, 2);
  machine.processes.onWait = [this] { settings.Save(settings::kRestart, "False"); };
  EXPECT_EQ(Restart(), RestartOutcome::NotRequested);
  EXPECT_TRUE(machine.desktop.commands.empty());
  EXPECT_FALSE(Log().has_value());
}

TEST(RestartHelper, FailuresAppendOneLineToTheLog) {
  enum class Program { File, Missing, Folder };
  const struct {
    const char* name;
    Program program;
    platform::Status startStatus;
    RestartOutcome outcome;
    const char* reason;
  } cases[] = {
      {"program file missing", Program::Missing, platform::kOk, RestartOutcome::ProgramMissing,
       " was not found; not restarted."},
      {"a folder named like the program", Program::Folder, platform::kOk, RestartOutcome::ProgramMissing,
       " was not found; not restarted."},
      {"start refused", Program::File, platform::kAccessDenied, RestartOutcome::StartFailed,
       " could not be started (error 5)."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Scene scene;
    if (c.program != Program::File) scene.machine.files.Delete(kProgram);
    if (c.program == Program::Folder) scene.machine.files.PutFolder(kProgram);
    scene.machine.files.PutFile(kLog, "earlier line\r\n");
    scene.machine.desktop.runStatus = c.startStatus;
    EXPECT_EQ(scene.Restart(), c.outcome);
    EXPECT_EQ(scene.Log(), std::string("earlier line\r\n") + kNow + " - " + kProgram + c.reason + "\r\n");
    EXPECT_EQ(scene.machine.desktop.commands.size(), c.program == Program::File ? 1u : 0u);
  }
}

TEST(RestartHelper, TheSharedEntryNamesTheProgramFileOfThisProduct) {
  const struct {
    const char* product;  // nullptr: no shared entry
    const char* file;
    const char* expected;
  } cases[] = {
      {nullptr, nullptr, "Kestrian.exe"},
      {"Kestrian", "Kestrian.exe", "Kestrian.exe"},
      {"Kestrian", "KestrianPro.exe", "KestrianPro.exe"},
      {"KESTRIAN", "KestrianPro.exe", "KestrianPro.exe"},
      {"Kestrian", "", "Kestrian.exe"},
      {"Kestrian", "D:\\Elsewhere\\Tool.exe", "Tool.exe"},  // always in the helper's folder
      {"Another Product", "Another.exe", "Kestrian.exe"},    // the entry of another program
      {"", "Another.exe", "Kestrian.exe"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.product ? c.product : "<none>") + " / " + (c.file ? c.file : "<none>"));
    Scene scene;
    if (c.product) {
      SettingsStore shared(scene.machine.registry, "RuvaveZezuvozUvuvizev");
      shared.Save(settings::kSharedProduct, c.product);
      shared.Save(settings::kSharedFile, c.file);
    }
    EXPECT_EQ(RestartProgramFile(scene.settings), c.expected);
  }
}

}  // namespace
}  // namespace kestrian::core
