// The NT process scan passes over processes whose snapshot name rules them out before it
// reads their module path: the name rule in tables, then a scan with and without it.
#include <memory>
#include <tuple>

#include "core/text.h"
#include "scan/process_names.h"
#include "scan_fixture.h"

namespace kestrian::scan {
namespace {

using namespace std::string_literals;

TEST(ProcessPrefilterTest, OnlyPlainFileNamesArePlain) {
  const std::pair<std::string, bool> cases[] = {
      {"notepad.exe", true},     {"A Very Long Process Name Here.exe", true}, {"MixedCase.EXE", true},
      {"noextension", true},     {"dots.in.name.exe", true},                  {"a", true},
      {std::string(255, 'x'), true}, {"", false},
      {std::string(256, 'x'), false},     // longer than a file name: cut by the buffer
      {std::string(259, 'x'), false},
      {"LONGNA~1.EXE", false},            // a short 8.3 name
      {"PROB~A5F.EXE", false},
      {"C:\\WINDOWS\\NOTEPAD.EXE", false},  // a Windows 9x path
      {"dir/notepad.exe", false}, {"C:notepad.exe", false},
      {" notepad.exe", false},            // Trim would change the module path's name
      {"notepad.exe ", false},
      {"na?e.exe", false},                // a character the code page could not show
      {"na*e.exe", false},       {"\"quoted\".exe", false}, {"a<b>.exe", false}, {"pipe|.exe", false},
      {"caf\xc3\xa9.exe", false},        // not ASCII: case and form may differ
      {"caf\xe9.exe", false},    {"tab\t.exe", false},     {"del\x7f.exe", false},
  };
  for (const auto& [name, plain] : cases) EXPECT_EQ(IsPlainProcessName(name), plain) << name;
}

TEST(ProcessPrefilterTest, ANameRulesOutOnlyWhenItOccursNowhereInTheText) {
  const std::string text = core::ToUpper(
      "foo.exe\r\nBA.EXE\r\nfoo.exe.old\r\nLONGNA~1.EXE\r\nspy helper.exe\r\n");
  const std::pair<std::string, bool> cases[] = {
      {"bar.exe", true}, {"other.exe", true},
      {"FOO.EXE", false},          // listed
      {"Foo.Exe", false},          // listed, another case
      {"a.exe", false},            // inside "BA.EXE": the full test matches it
      {"foo.ex", false},           // occurs, though the full test rejects it
      {"exe", false},              // occurs many times
      {"Spy Helper.exe", false},
      {"longna~1.exe", false},     // not plain: the module path is read
      {"unlisted~1.exe", false},   {"", false},  {" bar.exe", false},  {"C:\\Tools\\bar.exe", false},
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

// A scan over fixed processes, once reading every module path and once with the rule.
struct PlannedProcess {
  std::string exeFile, modulePath, company;
};

struct Outcome {
  std::vector<std::string> rows, alerts;
  std::int32_t inspected = 0;
  int yields = 0, modulePathCalls = 0;
};

struct World : ScanWorld {
  World(const std::vector<std::string>& definitions, const std::vector<PlannedProcess>& processes,
        bool inSession, ModulePathReads reads) {
    std::string content;
    for (const auto& line : definitions) content += core::EncodeDefinitionLine(line) + "\r\n";
    machine.files.PutFile(folder.FilePath("ExeDefinition.dat"), content);
    state.definitionCounts = {1, 1, 1, static_cast<std::int32_t>(definitions.size()), 10};
    state.session.statusPrefix = "Inspecting Memory: ";
    state.session.running = inSession;
    for (const auto& process : processes) {
      machine.files.PutFile(ResolveSystem32Path(core::ToUpper(process.modulePath), "C:\\WINDOWS\\system32"),
                            "StringFileInfo CompanyName\0"s + process.company + "\0\0\0"s);
      machine.processes.Start(process.exeFile, process.modulePath);
    }
    scanner = std::make_unique<ProcessScanner>(context, &alert, reads);
  }
  Outcome Scan() {
    scanner->ScanRunningProcesses();
    Outcome outcome;
    for (const auto& item : form.lvwSpywareFound.Items()) outcome.rows.push_back(item.text);
    for (const auto& shown : alert.shown) outcome.alerts.push_back(shown.company + " / " + shown.file);
    outcome.inspected = state.session.cookiesProcessesInspected;
    outcome.yields = host.Yields();
    outcome.modulePathCalls = machine.processes.modulePathCalls;
    return outcome;
  }
  RecordingAlert alert{state, host, 1};
  std::unique_ptr<ProcessScanner> scanner;
};

TEST(ProcessPrefilterScanTest, UnlistedProcessesAreNotOpenedAndStillCountAndYield) {
  const std::vector<std::string> definitions = {"spyone.exe", " BA.EXE "};
  const std::vector<PlannedProcess> processes = {
      {"svchost.exe", "C:\\WINDOWS\\system32\\svchost.exe", ""},
      {"SpyOne.exe", "C:\\Temp\\SpyOne.exe", "Spy Corp"},
      {"a.exe", "C:\\Temp\\a.exe", ""},  // inside " BA.EXE ": the full test matches it
      {"Ba.Exe", "\\SystemRoot\\System32\\ba.exe", "Vendor"},
      {"chrome.exe", "C:\\Apps\\chrome.exe", ""},
      {"LONGNA~1.EXE", "C:\\Apps\\longnamedapp.exe", ""},
  };
  for (const bool inSession : {false, true}) {
    World every(definitions, processes, inSession, ModulePathReads::Every);
    World prefiltered(definitions, processes, inSession, ModulePathReads::UnlessTheNameRulesOut);
    const Outcome expected = every.Scan();
    const Outcome actual = prefiltered.Scan();
    EXPECT_EQ(std::tie(actual.rows, actual.alerts, actual.inspected, actual.yields),
              std::tie(expected.rows, expected.alerts, expected.inspected, expected.yields));
    EXPECT_EQ(expected.rows.size() + expected.alerts.size(), 3u) << inSession;
    EXPECT_EQ(expected.modulePathCalls - actual.modulePathCalls, 2);  // svchost and chrome
  }
}

TEST(ProcessPrefilterScanTest, AStopRequestStillEndsTheLoopAtTheSameProcess) {
  std::vector<PlannedProcess> processes;
  for (int i = 0; i < 6; ++i) {
    const std::string name = i == 4 ? "spyone.exe" : "idle" + std::to_string(i) + ".exe";
    processes.push_back({name, "C:\\Run\\" + name, ""});
  }
  for (const auto reads : {ModulePathReads::Every, ModulePathReads::UnlessTheNameRulesOut}) {
    World world({"spyone.exe"}, processes, true, reads);
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
