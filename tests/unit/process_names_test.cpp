#include "scan/process_names.h"

#include <gtest/gtest.h>

namespace kestrian::scan {
namespace {

TEST(ProcessNamesTest, System32PathsMoveUnderTheSystemFolder) {
  const std::pair<const char*, const char*> cases[] = {
      {"\\SYSTEMROOT\\SYSTEM32\\SMSS.EXE", "C:\\WINDOWS\\system32\\SMSS.EXE"},
      {"\\??\\C:\\WINDOWS\\SYSTEM32\\WINLOGON.EXE", "C:\\WINDOWS\\system32\\WINLOGON.EXE"},
      {"C:\\A\\SYSTEM32\\B\\SYSTEM32\\X.EXE", "C:\\WINDOWS\\system32\\X.EXE"},  // the last one
      {"C:\\PROGRAM FILES\\TOOL.EXE", "C:\\PROGRAM FILES\\TOOL.EXE"}, {"C:\\SYSTEM32.EXE", "C:\\SYSTEM32.EXE"},
  };
  for (const auto& [path, resolved] : cases) {
    EXPECT_EQ(ResolveSystem32Path(path, "C:\\WINDOWS\\system32"), resolved) << path;
  }
}

TEST(ProcessNamesTest, OnlyTheFirstOccurrenceOfANameIsMatched) {
  const struct {
    std::string_view definitions, name;
    bool matches;
  } cases[] = {
      {"FOO.EXE\r\n", "FOO.EXE", true}, {"foo.exe\r\n", "FOO.EXE", true},
      {"BAR.EXE\r\nXFOO.EXE\r\nFOO.EXE\r\n", "FOO.EXE", true},  // first occurrence ends its line
      {"FOO.EXE.OLD\r\nFOO.EXE\r\n", "FOO.EXE", false},       // first occurrence runs on
      {"BAR.EXE\r\n", "FOO.EXE", false}, {"", "FOO.EXE", false}, {"FOO.EXE\r\n", "", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MatchesExeDefinition(c.definitions, c.name), c.matches) << c.definitions << c.name;
  }
}

TEST(ProcessNamesTest, NamesAreReducedTheWayProcessListsCutThemAndMatchInFullOrShortForm) {
  const std::pair<const char*, const char*> shortForms[] = {
      {"ADBROWSER.EXE", "ADBROW~1"}, {"TOOL.EXE", "TOOL~1"}, {"longnamedapp.exe", "LONGNA~1"},
      {"a.exe.exe", "A~1"}};
  for (const auto& [name, shortForm] : shortForms) EXPECT_EQ(ShortProcessName(name), shortForm);
  const std::pair<const char*, const char*> reduced[] = {
      {"notepad.exe", "NOTEPAD"},
      {"averyveryverylongname.exe", "averyveryverylo"},  // case kept
      {"fifteen_chars.x", "FIFTEEN_CHARS"}, {"noextension", "noextension"},
      {"a.b.c", "A"}};
  for (const auto& [name, cut] : reduced) EXPECT_EQ(ReduceProcessName(name), cut);
  const struct {
    std::string_view exeFile, name;
    bool matches;
  } cases[] = {
      {"notepad.exe", "NOTEPAD.EXE", true}, {"C:\\WINDOWS\\NOTEPAD.EXE", "notepad.exe", true},
      {"NOTEPAD.COM", "notepad.exe", true},  // both reduce to NOTEPAD
      {"LONGNA~1.EXE", "LONGNAMEDAPP.EXE", true},
      {"averyveryverylongname.exe", "averyveryverylongname_other.exe", true},  // 15 characters
      {"AVERYVERYVERYLONGNAME.EXE", "averyveryverylongname.exe", true},
      {"calc.exe", "notepad.exe", false}, {"TOOL~2.EXE", "TOOLBAR.EXE", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ProcessNameMatches(c.exeFile, c.name), c.matches) << c.exeFile << " / " << c.name;
  }
}

}  // namespace
}  // namespace kestrian::scan
