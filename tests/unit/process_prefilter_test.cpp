// The NT process scan passes over processes whose snapshot name rules them out before it
// reads their module path: the name rule in tables (the scanner's tests run it in a scan).
#include <gtest/gtest.h>

#include <string>

#include "core/text.h"
#include "scan/process_names.h"

namespace kestrian::scan {
namespace {

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

}  // namespace
}  // namespace kestrian::scan
