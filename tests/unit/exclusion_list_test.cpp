#include "core/exclusion_list.h"

#include <gtest/gtest.h>

#include "support/fake_machine.h"
#include "support/scripted_host.h"

namespace kestrian::core {
namespace {

TEST(ExclusionListTest, IsExcludedComparesWholeEntriesIgnoringCase) {
  const std::string text = "C:\\TEMP\\X.DLL\r\nAcme Toolbar\r\n";
  const std::pair<const char*, bool> cases[] = {
      {"c:\\temp\\x.dll", true}, {"c:\\temp\\x.dll ", false}, {"C:\\TEMP", false},
      {"acme toolbar", true},    {"Acme", false},             {"X.DLL", false},
  };
  for (const auto& [candidate, excluded] : cases) EXPECT_EQ(IsExcluded(text, candidate), excluded) << candidate;
  EXPECT_FALSE(IsExcluded("", "anything"));
}

TEST(ExclusionListTest, IsNameExcludedLooksAtTheFirstOccurrenceOnly) {
  const std::pair<const char*, bool> cases[] = {
      {"C:\\Program Files\\App\\X.EXE\r\n", true},
      {"C:\\X.EXE.BAK\r\nX.EXE\r\n", false},
      {"X.EXE\r\nC:\\X.EXE.BAK\r\n", true},
      {"  X.EXE  \r\n", true},
      {"Y.EXE\r\n", false},
      {"", false},
  };
  for (const auto& [text, excluded] : cases) EXPECT_EQ(IsNameExcluded(text, "x.exe"), excluded) << text;
}

TEST(ExclusionListTest, AppendsTrimmedEntriesAndRebuildsInReverseOrder) {
  testing::FakeMachine machine;
  testing::ScriptedHost host;
  const ApplicationFolder folder("C:\\Kestrian");
  machine.files.PutFolder("C:\\Kestrian");
  std::string text = "stale";
  ExclusionList list(machine.files, folder, host, text);
  list.Add("  C:\\first.dll ");
  list.Add("Second");
  list.Add("Second");  // no de-duplication
  EXPECT_EQ(machine.files.Content("C:\\Kestrian\\ENoSignature.txt"),
            "C:\\first.dll\r\nSecond\r\nSecond\r\n");
  EXPECT_EQ(text, "Second\r\nSecond\r\nC:\\first.dll\r\n");
  EXPECT_TRUE(list.IsExcluded("c:\\FIRST.dll"));
}

// Notepad ("View Exclusions") saves the file without a final line break.
TEST(ExclusionListTest, AnEntryNeverGluesOntoTheLastLine) {
  const std::pair<std::string, std::string> cases[] = {
      {"a", "a\r\nb\r\n"},
      {"a\r\n", "a\r\nb\r\n"},
      {"a\r", "a\rb\r\n"},
      {"a\n", "a\n\r\nb\r\n"},  // a line feed alone ends no line of this file
      {"", "b\r\n"},
  };
  const ApplicationFolder folder("C:\\Kestrian");
  for (const auto& [before, after] : cases) {
    testing::FakeMachine machine;
    testing::ScriptedHost host;
    machine.files.PutFile("C:\\Kestrian\\ENoSignature.txt", before);
    std::string text;
    ExclusionList list(machine.files, folder, host, text);
    list.Add(" b");
    EXPECT_EQ(machine.files.Content("C:\\Kestrian\\ENoSignature.txt"), after) << before;
    EXPECT_TRUE(list.IsExcluded("b")) << before;
  }
}

TEST(ExclusionListTest, AFailedAppendLosesTheEntryAndStillReloads) {
  testing::FakeMachine machine;
  testing::ScriptedHost host;
  const ApplicationFolder folder("C:\\Kestrian");
  machine.files.PutFile("C:\\Kestrian\\ENoSignature.txt", "Kept\r\n");
  machine.files.Lock("C:\\Kestrian\\ENoSignature.txt");
  std::string text;
  ExclusionList list(machine.files, folder, host, text);
  list.Add("Lost");
  machine.files.Lock("C:\\Kestrian\\ENoSignature.txt", false);
  EXPECT_EQ(machine.files.Content("C:\\Kestrian\\ENoSignature.txt"), "Kept\r\n");
  EXPECT_EQ(text, "");  // the locked file could not be read back either
  list.Load();
  EXPECT_EQ(text, "Kept\r\n");
}

}  // namespace
}  // namespace kestrian::core
