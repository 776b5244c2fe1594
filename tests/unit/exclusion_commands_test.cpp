#include "removal/exclusion_commands.h"

#include <gtest/gtest.h>

#include "support/fake_machine.h"
#include "support/scripted_host.h"

namespace kestrian::removal {
namespace {

class ExclusionCommandsTest : public ::testing::Test {
 protected:
  ExclusionCommandsTest() { machine.files.PutFolder("C:\\Kestrian"); }
  void AddResult(const std::string& name, const std::string& location, bool checked) {
    auto& results = form.lvwPicRemoveListOfSpywareFoundAndToBeRemoved;
    const auto row = results.Add(name);
    results.SetSubItem(row, 1, location);
    results.SetChecked(row, checked);
  }
  void Exclude() { ExcludeCheckedResults({form, host, exclusions, product}); }
  std::optional<std::string> File() { return machine.files.Content("C:\\Kestrian\\ENoSignature.txt"); }

  testing::FakeMachine machine;
  testing::ScriptedHost host;
  ui::FrmMain form;
  core::ApplicationFolder folder{"C:\\Kestrian"};
  std::string text;
  core::ExclusionList exclusions{machine.files, folder, host, text};
  std::string product = "Kestrian";
};

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
  EXPECT_EQ(host.Messages()[0].text,
            "Are you sure you want to exclude the selected files?\r\n\r\n"
            "Excluded files will not show up as Adware/Spyware on future scans.\r\n\r\n"
            "You can edit the list of excluded files through the Quarantine menu.");
  EXPECT_EQ(host.Messages()[0].title, "Really Exclude?");
  EXPECT_EQ(host.Messages()[0].buttons, ui::MessageButtons::YesNo);
  EXPECT_EQ(host.Messages()[0].icon, ui::MessageIcon::None);
  EXPECT_EQ(File(), "C:\\WINDOWS\\acme.dll\r\nAcme\r\nC:\\Cookies\\me@adsite[1].txt\r\nme@adsite[1].txt\r\n");
  EXPECT_EQ(text, "me@adsite[1].txt\r\nC:\\Cookies\\me@adsite[1].txt\r\nAcme\r\nC:\\WINDOWS\\acme.dll\r\n");
  ASSERT_EQ(form.lvwPicRemoveListOfSpywareFoundAndToBeRemoved.Count(), 1u);
  EXPECT_EQ(form.lvwPicRemoveListOfSpywareFoundAndToBeRemoved.Item(0).text, "Kept");
  EXPECT_TRUE(form.lvwFilesToBeDeleted.Empty());
  EXPECT_EQ(form.lvwSpywareFound.Count(), 1u);  // unchecked rows stay
  EXPECT_EQ(form.lblDeletingCaption.Caption(), "");
}

TEST_F(ExclusionCommandsTest, NothingIsExcludedWithoutAYes) {
  AddResult("Acme", "C:\\acme.dll", true);
  host.Answer(ui::MessageAnswer::No);
  Exclude();
  EXPECT_FALSE(File().has_value());
  EXPECT_EQ(form.lvwPicRemoveListOfSpywareFoundAndToBeRemoved.Count(), 1u);
}

TEST_F(ExclusionCommandsTest, EmptyListsAreReportedAndUncheckedRowsChangeNothing) {
  Exclude();
  ASSERT_EQ(host.Messages().size(), 1u);
  EXPECT_EQ(host.Messages()[0].text, "Sorry, there are no entries to be excluded.");
  EXPECT_EQ(host.Messages()[0].title, "Kestrian");
  EXPECT_EQ(host.Messages()[0].icon, ui::MessageIcon::Information);
  form.lvwRegistryToBeDeleted.Add("-2147483647");  // any list with rows lets the command go on
  Exclude();
  EXPECT_EQ(host.Messages().size(), 2u);
  EXPECT_EQ(host.Messages()[1].title, "Really Exclude?");
  EXPECT_FALSE(File().has_value());
}

TEST_F(ExclusionCommandsTest, ViewExclusionsOpensTheFileInNotepad) {
  ViewExclusions(machine.files, folder, host, machine.desktop);
  ASSERT_EQ(host.Messages().size(), 1u);
  EXPECT_EQ(host.Messages()[0].text, "No exclusion file exists yet.");
  EXPECT_EQ(host.Messages()[0].title, "No Exclusion File");
  EXPECT_EQ(host.Messages()[0].icon, ui::MessageIcon::None);
  EXPECT_TRUE(machine.desktop.commands.empty());
  machine.files.PutFile("C:\\Kestrian\\ENoSignature.txt", "x\r\n");
  ViewExclusions(machine.files, folder, host, machine.desktop);
  EXPECT_EQ(machine.desktop.commands,
            (std::vector<testing::FakeDesktop::Command>{{"notepad C:\\Kestrian\\ENoSignature.txt", 2}}));
}

}  // namespace
}  // namespace kestrian::removal
