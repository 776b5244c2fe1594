// The NT process scan passes over processes whose snapshot name rules them out before it
// reads their module path. These tests show that this changes no finding: the name rule in
// tables, and the whole scan over many generated machines, once with the rule and once
// reading every module path, with everything the two runs leave compared.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "core/definition_line.h"
#include "core/program_state.h"
#include "core/settings_store.h"
#include "core/text.h"
#include "scan/process_names.h"
#include "scan_fixture.h"
#include "scan/process_scanner.h"
#include "scan/scan_context.h"
#include "support/fake_machine.h"
#include "support/scripted_host.h"

namespace kestrian::scan {
namespace {

using namespace std::string_literals;

// The file name the full test checks: the module path trimmed, upper-cased, resolved under
// the system folder, after its last backslash (ProcessScanner::InspectProcessNT).
std::string FullTestName(std::string_view modulePath) {
  const std::string path =
      ResolveSystem32Path(core::ToUpper(core::Trim(modulePath)), "C:\\WINDOWS\\system32");
  return std::string(ProcessFileName(path));
}

TEST(ProcessPrefilterTest, OnlyPlainFileNamesArePlain) {
  const std::pair<std::string, bool> cases[] = {
      {"notepad.exe", true},
      {"A Very Long Process Name Here.exe", true},
      {"MixedCase.EXE", true},
      {"noextension", true},
      {"dots.in.name.exe", true},
      {"a", true},
      {std::string(255, 'x'), true},
      {"", false},
      {std::string(256, 'x'), false},     // longer than a file name: cut by the buffer
      {std::string(259, 'x'), false},
      {"LONGNA~1.EXE", false},            // a short 8.3 name
      {"PROB~A5F.EXE", false},
      {"C:\\WINDOWS\\NOTEPAD.EXE", false},  // a Windows 9x path
      {"dir/notepad.exe", false},
      {"C:notepad.exe", false},
      {" notepad.exe", false},            // Trim would change the module path's name
      {"notepad.exe ", false},
      {"na?e.exe", false},                // a character the code page could not show
      {"na*e.exe", false},
      {"\"quoted\".exe", false},
      {"a<b>.exe", false},
      {"pipe|.exe", false},
      {"caf\xc3\xa9.exe", false},        // not ASCII: case and form may differ
      {"caf\xe9.exe", false},
      {"tab\t.exe", false},
      {"del\x7f.exe", false},
  };
  for (const auto& [name, plain] : cases) EXPECT_EQ(IsPlainProcessName(name), plain) << name;
}

TEST(ProcessPrefilterTest, ANameRulesOutOnlyWhenItOccursNowhereInTheText) {
  const std::string text = core::ToUpper(
      "foo.exe\r\nBA.EXE\r\nfoo.exe.old\r\nLONGNA~1.EXE\r\nspy helper.exe\r\n");
  const std::pair<std::string, bool> cases[] = {
      {"bar.exe", true},
      {"other.exe", true},
      {"FOO.EXE", false},          // listed
      {"Foo.Exe", false},          // listed, another case
      {"a.exe", false},            // inside "BA.EXE": the full test matches it
      {"foo.ex", false},           // occurs, though the full test rejects it
      {"exe", false},              // occurs many times
      {"Spy Helper.exe", false},
      {"longna~1.exe", false},     // not plain: the module path is read
      {"unlisted~1.exe", false},
      {"", false},
      {" bar.exe", false},
      {"C:\\Tools\\bar.exe", false},
  };
  for (const auto& [name, rulesOut] : cases) {
    EXPECT_EQ(SnapshotRulesOutProcess(text, name), rulesOut) << name;
  }
  EXPECT_TRUE(SnapshotRulesOutProcess("", "bar.exe"));  // no definitions: nothing listed
}

TEST(ProcessPrefilterTest, TheRememberedAnswersHoldOnlyForTheirText) {
  SnapshotNameRule rule;
  rule.Use("foo.exe\r\n");
  EXPECT_TRUE(rule.RulesOut("bar.exe"));
  EXPECT_FALSE(rule.RulesOut("FOO.EXE"));
  rule.Use("foo.exe\r\n");  // the same text again: the same answers
  EXPECT_TRUE(rule.RulesOut("bar.exe"));
  rule.Use("foo.exe\r\nBar.Exe\r\n");  // an update lists it
  EXPECT_FALSE(rule.RulesOut("bar.exe"));
  EXPECT_FALSE(rule.RulesOut("FOO.EXE"));
  rule.Use("");
  EXPECT_TRUE(rule.RulesOut("bar.exe"));
  EXPECT_TRUE(rule.RulesOut("FOO.EXE"));
  EXPECT_FALSE(rule.RulesOut("LONGNA~1.EXE"));
  rule.Use("zzz.exe\r\n");
  for (int i = 0; i < 10000; ++i) {  // many names: the memory starts afresh, answers stay right
    const std::string name = "name" + std::to_string(i) + ".exe";
    ASSERT_TRUE(rule.RulesOut(name)) << name;
  }
  EXPECT_FALSE(rule.RulesOut("ZZZ.exe"));
}

// ---- Generated machines ---------------------------------------------------------------

// Names the generator draws from; the definitions name some of them, in varied case.
const char* const kNamePool[] = {
    "spyone.exe", "spytwo.exe", "adhelper.exe", "a.exe", "ba.exe", "toolbar.exe", "tool.exe",
    "popup.exe", "Spy Helper.exe", "dialer.exe", "notepad.exe", "explorer.exe", "svchost.exe",
    "winlogon.exe", "smss.exe", "csrss.exe", "chrome.exe", "updater.exe", "update.exe",
    "foo.exe", "foo.exe.old", "x", "longnamedapp.exe", "RiduraRazoradUvazed.exe", "kestrian.exe",
    "exe", ".exe", "helper.ex", "ADBROW~1.EXE", "setup.exe",
};
constexpr int kPoolSize = static_cast<int>(std::size(kNamePool));

std::string RandomCase(std::string_view text, std::mt19937& random) {
  std::string out(text);
  std::uniform_int_distribution<int> coin(0, 2);
  const int mode = coin(random);
  for (char& c : out) {
    if (mode == 0) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (mode == 2 && coin(random) == 0) {
      c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
  }
  return out;
}

struct PlannedProcess {
  std::string exeFile;
  std::string modulePath;  // empty: cannot be opened
  std::string filePath;    // where its company is read from (the resolved path); may be empty
  std::string company;
  bool terminable = true;
};

struct Scenario {
  std::vector<std::string> definitions;
  std::string exclusions;
  std::vector<PlannedProcess> processes;
  bool inSession = false;
};

const char* const kFolders[] = {"C:\\Program Files\\Vendor\\", "C:\\Temp\\", "c:\\windows\\",
                                "D:\\Apps\\Long Folder Name\\"};

// One process under a name of the generator's choice, its snapshot name and module path
// related as Windows relates them (the fake refuses anything else).
PlannedProcess MakeProcess(std::mt19937& random, const std::vector<std::string>& definitions) {
  auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
  // A third of the processes run under a name the definitions list.
  const std::string pooled =
      !definitions.empty() && pick(3) == 0
          ? std::string(core::Trim(definitions[pick(static_cast<int>(definitions.size()))]))
          : kNamePool[pick(kPoolSize)];
  std::string name = pick(3) == 0 ? RandomCase(pooled, random) : pooled;
  const std::string folder = kFolders[pick(static_cast<int>(std::size(kFolders)))];
  PlannedProcess process;
  process.exeFile = name;
  process.modulePath = folder + RandomCase(name, random);
  switch (pick(14)) {
    case 0:  // a system process under \SystemRoot
      process.modulePath = "\\SystemRoot\\System32\\" + name;
      break;
    case 1:  // a "\??\" path
      process.modulePath = "\\??\\C:\\WINDOWS\\system32\\" + name;
      break;
    case 2:  // cannot be opened
      process.modulePath.clear();
      break;
    case 3: {  // the snapshot shows the short 8.3 name; the module path the long one
      process.exeFile = ShortProcessName(name) + ".EXE";
      break;
    }
    case 4: {  // the module path shows the short name too
      process.exeFile = ShortProcessName(name) + ".EXE";
      process.modulePath = folder + process.exeFile;
      break;
    }
    case 5:  // an empty snapshot name
      process.exeFile.clear();
      break;
    case 6:  // a Windows 9x style path in the name field
      process.exeFile = process.modulePath;
      break;
    case 7: {  // a name longer than the snapshot's buffer, cut
      const std::string longName = std::string(250, 'q') + name;
      process.exeFile = longName.substr(0, 259);
      process.modulePath = folder + longName;
      break;
    }
    case 8:  // spaces at the end of both
      process.exeFile = name + "  ";
      process.modulePath += "  ";
      break;
    case 9:  // characters beyond ASCII
      process.exeFile = "caf\xe9" + name;
      process.modulePath = folder + "CAF\xc9" + name;
      break;
    default:
      break;
  }
  if (!process.modulePath.empty()) {
    process.filePath = ResolveSystem32Path(core::ToUpper(core::Trim(process.modulePath)),
                                           "C:\\WINDOWS\\system32");
  }
  switch (pick(4)) {
    case 0: process.company = "Microsoft Corporation"; break;
    case 1: process.company = ""; break;
    default: process.company = "Vendor " + std::to_string(pick(5)); break;
  }
  process.terminable = pick(8) != 0;
  return process;
}

Scenario MakeScenario(unsigned seed) {
  std::mt19937 random(seed);
  auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
  Scenario scenario;
  const int lines = pick(12);
  for (int i = 0; i < lines; ++i) {
    switch (pick(6)) {
      case 0: scenario.definitions.push_back("unrelated" + std::to_string(pick(100)) + ".exe"); break;
      case 1: scenario.definitions.push_back(" "s + kNamePool[pick(kPoolSize)] + " "); break;
      case 2: scenario.definitions.push_back("LONGNA~1.EXE"); break;
      default:
        scenario.definitions.push_back(
            RandomCase(kNamePool[pick(kPoolSize)], random));
        break;
    }
  }
  const int excluded = pick(3);
  for (int i = 0; i < excluded; ++i) {
    scenario.exclusions += RandomCase(kNamePool[pick(kPoolSize)], random) + "\r\n";
  }
  const int processes = 1 + pick(10);
  for (int i = 0; i < processes; ++i) {
    scenario.processes.push_back(MakeProcess(random, scenario.definitions));
  }
  scenario.inSession = pick(2) == 0;
  return scenario;
}

// Records what the alert shows; the user answers it some yields later.
class RecordingAlert final : public SpywareAlert {
 public:
  RecordingAlert(core::ProgramState& state, testing::ScriptedHost& host) : state_(state), host_(host) {}
  void Show(std::string_view company, std::string_view file, const FoundProcess&) override {
    state_.alertAnswered = false;
    shown.push_back(std::string(company) + " / " + std::string(file));
    host_.AtYield(host_.Yields() + 2, [this] { state_.alertAnswered = true; });
  }
  std::vector<std::string> shown;

 private:
  core::ProgramState& state_;
  testing::ScriptedHost& host_;
};

// Everything a scan run leaves that a user or a later step could see.
struct Outcome {
  std::vector<std::string> rows;
  std::vector<std::string> alerts;
  std::vector<testing::FakeProcesses::Termination> terminations;
  std::vector<bool> stillRunning;
  std::int32_t spywareFound = 0;
  std::int32_t inspected = 0;
  std::int32_t refreshCounter = 0;
  int yields = 0;
  std::string status;
  double phaseBar = 0;
  double overallBar = 0;
  int modulePathCalls = 0;
  bool operator==(const Outcome& other) const {
    return rows == other.rows && alerts == other.alerts && terminations == other.terminations &&
           stillRunning == other.stillRunning && spywareFound == other.spywareFound &&
           inspected == other.inspected && refreshCounter == other.refreshCounter &&
           yields == other.yields && status == other.status && phaseBar == other.phaseBar &&
           overallBar == other.overallBar;
  }
};

// One fake machine with a scenario on it, scanned once.
struct World : ScanWorld {
  explicit World(const Scenario& scenario) {
    std::string content;
    for (const auto& line : scenario.definitions) content += core::EncodeDefinitionLine(line) + "\r\n";
    machine.files.PutFile(folder.FilePath("ExeDefinition.dat"), content);
    state.exclusionText = scenario.exclusions;
    state.definitionCounts = {1, 1, 1, static_cast<std::int32_t>(scenario.definitions.size()), 10};
    state.session.statusPrefix = "Inspecting Memory: ";
    state.session.running = scenario.inSession;
    for (const auto& process : scenario.processes) {
      if (!process.filePath.empty()) {
        machine.files.PutFile(process.filePath,
                              "StringFileInfo CompanyName\0"s + process.company + "\0\0\0"s);
      }
      ids.push_back(machine.processes.Start(process.exeFile, process.modulePath, process.terminable));
    }
  }

  World(const Scenario& scenario, ModulePathReads reads) : World(scenario) {
    scanner = std::make_unique<ProcessScanner>(context, &alert, reads);
  }

  // Puts other definitions in place, as Live Update does between two runs.
  void ReplaceDefinitions(const std::vector<std::string>& lines) {
    std::string content;
    for (const auto& line : lines) content += core::EncodeDefinitionLine(line) + "\r\n";
    machine.files.PutFile(folder.FilePath("ExeDefinition.dat"), content);
  }

  // One more run of the same scanner; the outcome holds everything since the world began.
  Outcome Scan() {
    scanner->ScanRunningProcesses();
    Outcome outcome;
    for (const auto& item : form.lvwSpywareFound.Items()) outcome.rows.push_back(item.text);
    outcome.alerts = alert.shown;
    outcome.terminations = machine.processes.terminations;
    for (const auto id : ids) outcome.stillRunning.push_back(machine.processes.Running(id));
    outcome.spywareFound = state.session.spywareFound;
    outcome.inspected = state.session.cookiesProcessesInspected;
    outcome.refreshCounter = state.session.progressRefreshCounter;
    outcome.yields = host.Yields();
    outcome.status = form.lblStatus.Caption();
    outcome.phaseBar = form.pb1.Value();
    outcome.overallBar = form.pbgMain.Value();
    outcome.modulePathCalls = machine.processes.modulePathCalls;
    return outcome;
  }

  RecordingAlert alert{state, host};
  std::unique_ptr<ProcessScanner> scanner;
  std::vector<std::uint32_t> ids;
};

std::string Describe(const Scenario& scenario) {
  std::string text = scenario.inSession ? "in a session\n" : "outside a session\n";
  text += "definitions:";
  for (const auto& line : scenario.definitions) text += " [" + line + "]";
  text += "\nexclusions: [" + scenario.exclusions + "]\nprocesses:\n";
  for (const auto& process : scenario.processes) {
    text += "  [" + process.exeFile + "] [" + process.modulePath + "] [" + process.company + "]\n";
  }
  return text;
}

// The rule as stated, written apart from the scanner's code: a name of printable ASCII
// without path, drive, short-name or wildcard marks, at most 255 characters, with no blank at
// either end, that occurs nowhere in the definitions without regard to case.
bool NameRulesOut(const std::string& definitions, const std::string& name) {
  if (name.empty() || name.size() > 255 || name.front() == ' ' || name.back() == ' ') return false;
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte > 0x7E || std::string_view("\\/:~?*\"<>|").find(c) != std::string_view::npos) {
      return false;
    }
  }
  const auto sameLetter = [](char a, char b) {
    return std::toupper(static_cast<unsigned char>(a)) == std::toupper(static_cast<unsigned char>(b));
  };
  return std::search(definitions.begin(), definitions.end(), name.begin(), name.end(), sameLetter) ==
         definitions.end();
}

TEST(ProcessPrefilterTest, GeneratedMachinesGiveTheSameFindingsWithAndWithoutTheRule) {
  int processes = 0;
  int ruledOut = 0;
  int findings = 0;
  int alerts = 0;
  for (unsigned seed = 1; seed <= 1500; ++seed) {
    const Scenario scenario = MakeScenario(seed);
    auto every = std::make_unique<World>(scenario, ModulePathReads::Every);
    auto prefiltered = std::make_unique<World>(scenario, ModulePathReads::UnlessTheNameRulesOut);
    const Outcome expected = every->Scan();
    const Outcome actual = prefiltered->Scan();
    ASSERT_TRUE(actual == expected) << "seed " << seed << "\n" << Describe(scenario);

    // The calls saved are exactly those of the processes the snapshot's name rules out.
    std::string text;
    for (const auto& line : scenario.definitions) text += line + "\r\n";
    int ruledOutHere = 0;
    for (const auto& process : scenario.processes) {
      if (NameRulesOut(text, process.exeFile)) ++ruledOutHere;
    }
    ASSERT_EQ(expected.modulePathCalls - actual.modulePathCalls, ruledOutHere)
        << "seed " << seed << "\n" << Describe(scenario);
    processes += static_cast<int>(scenario.processes.size());
    ruledOut += ruledOutHere;
    findings += static_cast<int>(expected.rows.size());
    alerts += static_cast<int>(expected.alerts.size());
  }
  // The generator covers both sides: many findings and alerts, many processes ruled out.
  EXPECT_GT(findings, 500);
  EXPECT_GT(alerts, 500);
  EXPECT_GT(ruledOut, processes / 5);
}

TEST(ProcessPrefilterTest, RepeatedRunsOfOneScannerStayTheSameWhenTheDefinitionsChange) {
  // The shields keep one scanner: its remembered answers must follow definition updates.
  int findings = 0;
  for (unsigned seed = 1; seed <= 400; ++seed) {
    const Scenario scenario = MakeScenario(seed);
    const Scenario update = MakeScenario(seed + 50000);
    World every(scenario, ModulePathReads::Every);
    World prefiltered(scenario, ModulePathReads::UnlessTheNameRulesOut);
    for (int run = 0; run < 4; ++run) {
      if (run == 2) {
        every.ReplaceDefinitions(update.definitions);
        prefiltered.ReplaceDefinitions(update.definitions);
      }
      const Outcome expected = every.Scan();
      const Outcome actual = prefiltered.Scan();
      ASSERT_TRUE(actual == expected) << "seed " << seed << ", run " << run << "\n"
                                      << Describe(scenario) << "then\n" << Describe(update);
      if (run == 3) findings += static_cast<int>(expected.rows.size() + expected.alerts.size());
    }
  }
  EXPECT_GT(findings, 100);
}

TEST(ProcessPrefilterTest, ANameTheRuleRulesOutNeverPassesTheDefinitionTest) {
  // The rule's promise at the level of names: for every module path whose file name the
  // snapshot may show, a ruled-out snapshot name means the full test fails.
  for (int round = 0; round < 5000; ++round) {
    const Scenario scenario = MakeScenario(static_cast<unsigned>(round) + 100000);
    std::string text;
    for (const auto& line : scenario.definitions) text += line + "\r\n";
    const std::string upper = core::ToUpper(text);
    for (const auto& process : scenario.processes) {
      if (process.modulePath.empty() || !SnapshotRulesOutProcess(upper, process.exeFile)) continue;
      EXPECT_FALSE(MatchesExeDefinition(text, FullTestName(process.modulePath)))
          << process.exeFile << " / " << process.modulePath << "\n" << Describe(scenario);
    }
  }
}

class ProcessPrefilterScanTest : public ::testing::Test {
 protected:
  Scenario scenario;
};

TEST_F(ProcessPrefilterScanTest, UnlistedProcessesAreNotOpenedAndStillCountAndYield) {
  scenario.definitions = {"spyone.exe", "BA.EXE"};
  scenario.inSession = false;
  scenario.processes = {
      {"svchost.exe", "C:\\WINDOWS\\system32\\svchost.exe", "C:\\WINDOWS\\SYSTEM32\\SVCHOST.EXE", "", true},
      {"SpyOne.exe", "C:\\Temp\\SpyOne.exe", "C:\\TEMP\\SPYONE.EXE", "Spy Corp", true},
      {"a.exe", "C:\\Temp\\a.exe", "C:\\TEMP\\A.EXE", "", true},          // inside "BA.EXE"
      {"chrome.exe", "C:\\Apps\\chrome.exe", "C:\\APPS\\CHROME.EXE", "", true},
      {"LONGNA~1.EXE", "C:\\Apps\\longnamedapp.exe", "C:\\APPS\\LONGNAMEDAPP.EXE", "", true},
  };
  World every(scenario, ModulePathReads::Every);
  World prefiltered(scenario, ModulePathReads::UnlessTheNameRulesOut);
  const Outcome expected = every.Scan();
  const Outcome actual = prefiltered.Scan();
  EXPECT_TRUE(actual == expected);
  EXPECT_EQ(actual.alerts, (std::vector<std::string>{"SPY CORP / SPYONE.EXE",
                                                     "No Company name for A.EXE / A.EXE"}));
  EXPECT_EQ(expected.modulePathCalls, 5);
  EXPECT_EQ(actual.modulePathCalls, 3);  // svchost and chrome were not opened
  EXPECT_EQ(actual.inspected, 5);
}

TEST_F(ProcessPrefilterScanTest, AStopRequestStillEndsTheLoopAtTheSameProcess) {
  scenario.definitions = {"spyone.exe"};
  scenario.inSession = true;
  for (int i = 0; i < 6; ++i) {
    const std::string name = i == 4 ? "spyone.exe" : "idle" + std::to_string(i) + ".exe";
    scenario.processes.push_back({name, "C:\\Run\\" + name, "C:\\RUN\\" + core::ToUpper(name), "", true});
  }
  for (const auto reads : {ModulePathReads::Every, ModulePathReads::UnlessTheNameRulesOut}) {
    World world(scenario, reads);
    // Yields: one per definition line, five in the snapshot's walk, then one per process.
    world.host.AtYield(1 + 5 + 3, [&] { world.state.session.stopRequested = true; });
    const Outcome outcome = world.Scan();
    EXPECT_TRUE(outcome.rows.empty());
    EXPECT_EQ(outcome.inspected, 1 + 4);  // the line, then processes up to the stop
    EXPECT_EQ(outcome.yields, 1 + 5 + 3);
  }
}

}  // namespace
}  // namespace kestrian::scan
