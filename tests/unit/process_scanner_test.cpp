#include "scan/process_scanner.h"

#include "scan/process_control.h"
#include "scan_fixture.h"

namespace kestrian::scan {
namespace {

class ProcessScannerTest : public ScanFixture {
 protected:
  ProcessScannerTest() {
    state.definitionCounts = {1, 1, 1, 3, 6};
    PutDefinitions("ExeDefinition.dat", {"foo.exe", "bar.exe", "RiduraRazoradUvazed.exe"});
  }

  RecordingAlert alert{state, host};
  ProcessScanner scanner{context, &alert};
};

TEST_F(ProcessScannerTest, InASessionListedProcessesAreListedAndStopped) {
  const auto foo = StartWithCompany("C:\\WINDOWS\\SYSTEM32\\FOO.EXE", "Foo Inc");
  const auto other = StartWithCompany("C:\\Tools\\other.exe", "Other");
  scanner.ScanRunningProcesses();
  EXPECT_EQ(Texts(form.lvwSpywareFound),
            std::vector<std::string>{"Detected in the memory : FOO.EXE was stopped from running."});
  EXPECT_EQ(form.lvwSpywareFound.Item(0).smallIcon, 3);
  EXPECT_FALSE(machine.processes.Running(foo));
  EXPECT_TRUE(machine.processes.Running(other));
  EXPECT_EQ(machine.processes.terminations, (std::vector<testing::FakeProcesses::Termination>{{foo, 0}}));
  EXPECT_EQ(state.session.spywareFound, 1);
  EXPECT_EQ(state.session.cookiesProcessesInspected, 3 + 2);  // definition lines, then processes
  EXPECT_TRUE(alert.shown.empty());
  // OTHER.EXE occurs nowhere in the definitions: its path is never read (FOO.EXE's is read to
  // test it and again to stop it), yet it counts and yields as FOO.EXE does.
  EXPECT_EQ(machine.processes.modulePathCalls, 2);
  EXPECT_EQ(host.Yields(), 3 + 1 + 2);  // definition lines, the snapshot's walk, processes
}

TEST_F(ProcessScannerTest, MicrosoftExcludedNeverReportedAndUnopenableProcessesArePassedOver) {
  StartWithCompany("C:\\Apps\\foo.exe", " microsoft CORPORATION ");
  StartWithCompany("C:\\Apps\\RiduraRazoradUvazed.exe", "");
  StartWithCompany("C:\\Other\\bar.exe", "Bar");
  machine.processes.Start("foo.exe", "");  // cannot be opened for its modules
  // The company is read from the resolved path: a Microsoft file there is no finding.
  StartWithCompany("C:\\WINDOWS\\system32\\FOO.EXE", "Microsoft Corporation");
  machine.processes.Start("foo.exe", "\\SystemRoot\\System32\\foo.exe");
  PutExclusions("C:\\Somewhere\\BAR.EXE\r\n");
  scanner.ScanRunningProcesses();
  EXPECT_TRUE(form.lvwSpywareFound.Empty() && machine.processes.terminations.empty());
}

TEST_F(ProcessScannerTest, OutsideASessionTheAlertIsShownAndAnswered) {
  EndSession();
  state.session.stopRequested = true;  // left from a session: it does not blind the shield
  const auto foo = StartWithCompany("C:\\Apps\\foo.exe", "Foo Inc");
  StartWithCompany("C:\\Apps\\bar.exe", "");
  StartWithCompany("C:\\WINDOWS\\explorer.exe", "");  // never offered: the shell runs it
  PutDefinitions("ExeDefinition.dat", {"foo.exe", "bar.exe", "explorer.exe"});
  scanner.ScanRunningProcesses();
  ASSERT_EQ(alert.shown.size(), 2u);
  EXPECT_EQ(alert.shown[0].company, "FOO INC");
  EXPECT_EQ(alert.shown[0].file, "FOO.EXE");
  EXPECT_EQ(alert.shown[0].process, (FoundProcess{foo, "C:\\Apps\\foo.exe"}));
  EXPECT_EQ(alert.shown[1].company, "No Company name for BAR.EXE");
  EXPECT_TRUE(form.lvwSpywareFound.Empty());
  EXPECT_TRUE(machine.processes.terminations.empty());  // the alert's buttons decide
  EXPECT_EQ(state.session.spywareFound, 2);
  EXPECT_EQ(state.session.cookiesProcessesInspected, 3);  // processes only, outside a session
}

// Nothing is found on a platform that is neither Windows 9x nor NT, from an empty or
// missing definition file, or when a stop comes while the definitions load.
TEST_F(ProcessScannerTest, NoDefinitionsOrAnUnknownPlatformFindNothing) {
  StartWithCompany("C:\\Apps\\foo.exe", "Foo Inc");
  for (const std::optional<std::uint32_t> platformId : {std::optional<std::uint32_t>(3), std::optional<std::uint32_t>()}) {
    machine.environment.platformId = platformId;
    scanner.ScanRunningProcesses();
  }
  machine.environment.platformId = platform::platform_ids::kWindowsNt;
  machine.files.PutFile(folder.FilePath("ExeDefinition.dat"), "");
  scanner.ScanRunningProcesses();
  machine.files.Delete(folder.FilePath("ExeDefinition.dat"));
  scanner.ScanRunningProcesses();
  PutDefinitions("ExeDefinition.dat", {"foo.exe"});
  host.AtYield(host.Yields() + 1, [&] { state.session.stopRequested = true; });
  scanner.ScanRunningProcesses();
  EXPECT_TRUE(form.lvwSpywareFound.Empty());
}

// A process whose name rules it out is passed over only after the stop is looked at.
TEST_F(ProcessScannerTest, AStopEndsTheLoopAtTheNextProcessListedOrNot) {
  machine.processes.Start("idle.exe", "C:\\Run\\idle.exe");
  StartWithCompany("C:\\Apps\\foo.exe", "Foo Inc");
  host.AtYield(3 + 1, [&] { state.session.stopRequested = true; });  // the definitions and the walk
  scanner.ScanRunningProcesses();
  EXPECT_TRUE(form.lvwSpywareFound.Empty());
  EXPECT_EQ(state.session.cookiesProcessesInspected, 3 + 1);
}

class ProcessScanner9xTest : public ProcessScannerTest {
 protected:
  ProcessScanner9xTest() { machine.environment.platformId = platform::platform_ids::kWindows9x; }
};

// The definitions load once and stay for the run.
TEST_F(ProcessScanner9xTest, InASessionTheProcessIsEndedWithItsOwnExitCode) {
  const auto foo = StartWithCompany("C:\\WINDOWS\\foo.exe", "Foo Inc");
  StartWithCompany("C:\\WINDOWS\\RiduraRazoradUvazed.exe", "");  // not spared on 9x
  scanner.ScanRunningProcesses();
  EXPECT_EQ(Texts(form.lvwSpywareFound),
            (std::vector<std::string>{
                "Detected in the memory : FOO.EXE and was stopped being from ruuning.",
                "Detected in the memory : RIDURARAZORADUVAZED.EXE and was stopped being from ruuning."}));
  EXPECT_EQ(machine.processes.terminations.front(), (testing::FakeProcesses::Termination{foo, 259}));
  EXPECT_EQ(state.session.spywareFound, 2);
  EXPECT_EQ(state.session.cookiesProcessesInspected, 3);  // lines only
  machine.files.Delete(folder.FilePath("ExeDefinition.dat"));
  state.session.cookiesProcessesInspected = 0;
  StartWithCompany("C:\\WINDOWS\\bar.exe", "Bar");
  scanner.ScanRunningProcesses();
  EXPECT_EQ(form.lvwSpywareFound.Count(), 3u);
  EXPECT_EQ(state.session.cookiesProcessesInspected, 3);
}

TEST_F(ProcessScanner9xTest, OutsideASessionTheUserIsAskedAndNoAppendsTheName) {
  EndSession();
  machine.files.PutFile("C:\\Kestrian\\ENoSignature.txt", "KEPT.EXE");  // saved by Notepad
  const auto foo = StartWithCompany("C:\\WINDOWS\\foo.exe", "Foo Inc");
  const auto bar = StartWithCompany("C:\\WINDOWS\\bar.exe", "Bar");
  host.Answer(ui::MessageAnswer::Yes);
  host.Answer(ui::MessageAnswer::No);
  scanner.ScanRunningProcesses();
  ASSERT_EQ(host.Messages().size(), 2u);
  EXPECT_EQ(PartsOf(host.Messages()[0]),
            (MessageParts{"Kestrian has found  [FOO.EXE] using you system memory.Click YES to stop [FOO.EXE] "
                          "from using your system memory. Otherwise click No.",
                          "Kestrian  - Alert", ui::MessageButtons::YesNo, ui::MessageIcon::Question}));
  EXPECT_FALSE(machine.processes.Running(foo));
  EXPECT_TRUE(machine.processes.Running(bar));
  EXPECT_EQ(machine.files.Content("C:\\Kestrian\\ENoSignature.txt"), "KEPT.EXE\r\nBAR.EXE\r\n");
  EXPECT_EQ(state.exclusionText, "");  // not reloaded
  EXPECT_EQ(state.session.spywareFound, 1);
}

// The look-alike of a process Windows needs is stopped by its id; the real one, and the
// program's own processes, are listed as left running.
TEST_F(ProcessScannerTest, OnlyTheFoundProcessIsStoppedAndNeededOnesAreLeftRunning) {
  PutDefinitions("ExeDefinition.dat", {"svchost.exe", "kscan.exe"});
  const auto real = StartWithCompany("C:\\WINDOWS\\system32\\svchost.exe", "");
  const auto lookAlike = StartWithCompany("C:\\Temp\\svchost.exe", "");
  const auto own = StartWithCompany("C:\\Kestrian\\kscan.exe", "");
  const auto refusing = machine.processes.Start("svchost.exe", "C:\\Users\\svchost.exe", false);
  machine.files.PutFile("C:\\Users\\svchost.exe", "x");
  machine.files.AddAlias("C:\\WIN", "C:\\WINDOWS");  // the Windows folder named otherwise
  machine.environment.windowsFolder = "C:\\WIN";
  scanner.ScanRunningProcesses();
  EXPECT_EQ(Texts(form.lvwSpywareFound),
            (std::vector<std::string>{
                "Detected in the memory : SVCHOST.EXE was left running: Windows needs it.",
                "Detected in the memory : SVCHOST.EXE was stopped from running.",
                "Detected in the memory : KSCAN.EXE was left running: it is part of this program.",
                "Detected in the memory : SVCHOST.EXE was left running: it could not be stopped."}));
  EXPECT_TRUE(machine.processes.Running(real) && machine.processes.Running(own) &&
              machine.processes.Running(refusing));
  EXPECT_FALSE(machine.processes.Running(lookAlike));
  EXPECT_EQ(state.session.spywareFound, 4);
}

TEST_F(ProcessScannerTest, AFoundProcessIsStoppedOnlyWhileItsIdRunsTheSameProgram) {
  const auto stubborn = machine.processes.Start("guard.exe", "C:\\guard.exe", false);
  EXPECT_FALSE(StopFoundProcess(machine.processes, {stubborn, "c:\\GUARD.EXE"}));
  EXPECT_EQ(machine.processes.terminateCalls, 11);
  const auto other = machine.processes.Start("other.exe", "C:\\other.exe");
  EXPECT_FALSE(StopFoundProcess(machine.processes, {other, "C:\\guard.exe"}));  // id taken since
  EXPECT_TRUE(machine.processes.Running(other));
  EXPECT_EQ(machine.processes.terminateCalls, 11);
  EXPECT_TRUE(StopFoundProcess(machine.processes, {999, "C:\\ended.exe"}));
}

}  // namespace
}  // namespace kestrian::scan
