#include "removal/exclusion_commands.h"

#include "scan_fixture.h"

namespace kestrian::removal {
namespace {

constexpr char kExclusionFile[] = "C:\\Kestrian\\ENoSignature.txt";

class ExclusionListTest : public ::testing::Test {
 protected:
  ExclusionListTest() { machine.files.PutFolder("C:\\Kestrian"); }
  void AddResult(const std::string& name, const std::string& location, bool checked) {
    auto& results = form.lvwPicRemoveListOfSpywareFoundAndToBeRemoved;
    const auto row = results.Add(name);
    results.SetSubItem(row, 1, location);
    results.SetChecked(row, checked);
  }
  void Exclude() { ExcludeCheckedResults({form, host, exclusions, product}); }
  std::optional<std::string> File() { return machine.files.Content(kExclusionFile); }

  testing::FakeMachine machine;
  testing::ScriptedHost host;
  ui::FrmMain form;
  core::ApplicationFolder folder{"C:\\Kestrian"};
  std::string text;
  core::ExclusionList exclusions{machine.files, folder, host, text};
  std::string product = "Kestrian";
};

using ExclusionCommandsTest = ExclusionListTest;

TEST_F(ExclusionListTest, IsExcludedComparesWholeEntriesIgnoringCase) {
  const std::string entries = "C:\\TEMP\\X.DLL\r\nAcme Toolbar\r\n";
  const std::pair<const char*, bool> cases[] = {
      {"c:\\temp\\x.dll", true}, {"c:\\temp\\x.dll ", false}, {"C:\\TEMP", false},
      {"acme toolbar", true},    {"Acme", false},             {"X.DLL", false},
  };
  for (const auto& [candidate, excluded] : cases) EXPECT_EQ(core::IsExcluded(entries, candidate), excluded) << candidate;
  EXPECT_FALSE(core::IsExcluded("", "anything"));
}

TEST_F(ExclusionListTest, IsNameExcludedLooksAtTheFirstOccurrenceOnly) {
  const std::pair<const char*, bool> cases[] = {
      {"C:\\Program Files\\App\\X.EXE\r\n", true},
      {"C:\\X.EXE.BAK\r\nX.EXE\r\n", false},
      {"X.EXE\r\nC:\\X.EXE.BAK\r\n", true},
      {"  X.EXE  \r\n", true},
      {"Y.EXE\r\n", false},
      {"", false},
  };
  for (const auto& [entries, excluded] : cases) EXPECT_EQ(core::IsNameExcluded(entries, "x.exe"), excluded) << entries;
}

TEST_F(ExclusionListTest, AppendsTrimmedEntriesAndRebuildsInReverseOrder) {
  text = "stale";
  exclusions.Add("  C:\\first.dll ");
  exclusions.Add("Second");
  exclusions.Add("Second");  // no de-duplication
  EXPECT_EQ(File(), "C:\\first.dll\r\nSecond\r\nSecond\r\n");
  EXPECT_EQ(text, "Second\r\nSecond\r\nC:\\first.dll\r\n");
  EXPECT_TRUE(exclusions.IsExcluded("c:\\FIRST.dll"));
}

// Notepad ("View Exclusions") saves the file without a final line break.
TEST_F(ExclusionListTest, AnEntryNeverGluesOntoTheLastLine) {
  const std::pair<std::string, std::string> cases[] = {
      {"a", "a\r\nb\r\n"},
      {"a\r\n", "a\r\nb\r\n"},
      {"a\r", "a\rb\r\n"},
      {"a\n", "a\n\r\nb\r\n"},  // a line feed alone ends no line of this file
      {"", "b\r\n"},
  };
  for (const auto& [before, after] : cases) {
    machine.files.PutFile(kExclusionFile, before);
    exclusions.Add(" b");
    EXPECT_EQ(File(), after) << before;
    EXPECT_TRUE(exclusions.IsExcluded("b")) << before;
  }
}

TEST_F(ExclusionListTest, AFailedAppendLosesTheEntryAndStillReloads) {
  machine.files.PutFile(kExclusionFile, "Kept\r\n");
  machine.files.Lock(kExclusionFile);
  exclusions.Add("Lost");
  machine.files.Lock(kExclusionFile, false);
  EXPECT_EQ(File(), "Kept\r\n");
  EXPECT_EQ(text, "");  // the locked file could not be read back either
  exclusions.Load();
  EXPECT_EQ(text, "Kept\r\n");
}

TEST_F(ExclusionCommandsTest, CheckedResultsGiveTheirLocationThenTheirName) {
  AddResult("Acme", "C:\\WINDOWS\\acme.dll", true);
  AddResult("Kept", "C:\\kept.dll", false);
  AddResult("Cookie: me@adsite[1].txt", "C:\\Cookies\\me@adsite[1].txt", true);
  form.lvwFilesToBeDeleted.Add("C:\\WINDOWS\\acme.dll");
  form.lvwFilesToBeDeleted.SetChecked(0, true);
  form.lvwSpywareFound.Add("Acme - Found");
  form.lblDeletingCaption.SetCaption("Deleting...");
  Exclude();
  ASSERT_EQ(host.Messages().size(), 1u);
  EXPECT_EQ(scan::PartsOf(host.Messages()[0]),
            (scan::MessageParts{"Are you sure you want to exclude the selected files?\r\n\r\n"
                                "Excluded files will not show up as Adware/Spyware on future scans.\r\n\r\n"
                                "You can edit the list of excluded files through the Quarantine menu.",
                                "Really Exclude?", ui::MessageButtons::YesNo, ui::MessageIcon::None}));
  EXPECT_EQ(File(), "C:\\WINDOWS\\acme.dll\r\nAcme\r\nC:\\Cookies\\me@adsite[1].txt\r\nme@adsite[1].txt\r\n");
  EXPECT_EQ(text, "me@adsite[1].txt\r\nC:\\Cookies\\me@adsite[1].txt\r\nAcme\r\nC:\\WINDOWS\\acme.dll\r\n");
  ASSERT_EQ(form.lvwPicRemoveListOfSpywareFoundAndToBeRemoved.Count(), 1u);
  EXPECT_EQ(form.lvwPicRemoveListOfSpywareFoundAndToBeRemoved.Item(0).text, "Kept");
  EXPECT_TRUE(form.lvwFilesToBeDeleted.Empty());
  EXPECT_EQ(form.lvwSpywareFound.Count(), 1u);  // unchecked rows stay
  EXPECT_EQ(form.lblDeletingCaption.Caption(), "");
}

TEST_F(ExclusionCommandsTest, EmptyListsAreReportedAndUncheckedRowsOrNoChangeNothing) {
  Exclude();
  ASSERT_EQ(host.Messages().size(), 1u);
  EXPECT_EQ(scan::PartsOf(host.Messages()[0]), (scan::MessageParts{"Sorry, there are no entries to be excluded.",
                                                                  "Kestrian", ui::MessageButtons::Ok,
                                                                  ui::MessageIcon::Information}));
  form.lvwRegistryToBeDeleted.Add("-2147483647");  // any list with rows lets the command go on
  Exclude();
  EXPECT_EQ(host.Messages().size(), 2u);
  EXPECT_EQ(host.Messages()[1].title, "Really Exclude?");
  EXPECT_FALSE(File().has_value());
  AddResult("Acme", "C:\\acme.dll", true);  // nothing is excluded without a Yes
  host.Answer(ui::MessageAnswer::No);
  Exclude();
  EXPECT_FALSE(File().has_value());
  EXPECT_EQ(form.lvwPicRemoveListOfSpywareFoundAndToBeRemoved.Count(), 1u);
}

TEST_F(ExclusionCommandsTest, ViewExclusionsOpensTheFileInNotepad) {
  ViewExclusions(machine.files, folder, host, machine.desktop);
  ASSERT_EQ(host.Messages().size(), 1u);
  EXPECT_EQ(scan::PartsOf(host.Messages()[0]), (scan::MessageParts{"No exclusion file exists yet.", "No Exclusion File",
                                                                  ui::MessageButtons::Ok, ui::MessageIcon::None}));
  EXPECT_TRUE(machine.desktop.commands.empty());
  machine.files.PutFile(kExclusionFile, "x\r\n");
  ViewExclusions(machine.files, folder, host, machine.desktop);
  EXPECT_EQ(machine.desktop.commands,
            (std::vector<testing::FakeDesktop::Command>{{"notepad C:\\Kestrian\\ENoSignature.txt", 2}}));
}

}  // namespace
}  // namespace kestrian::removal
