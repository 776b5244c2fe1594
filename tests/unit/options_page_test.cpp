#include "core/options_page.h"

#include <gtest/gtest.h>

#include "support/fake_machine.h"

namespace kestrian::core {
namespace {

class OptionsPageTest : public ::testing::Test {
 protected:
  OptionsPageTest() {
    for (const char* letter : {"A", "C", "E"}) form.lvwHardDrives.Add(letter);
  }
  std::string Stored(std::string_view section, std::string_view key) {
    return settings.Get(section, key, "<none>");
  }
  testing::FakeMachine machine;
  SettingsStore settings{machine.registry, "Kestrian"};
  ui::FrmMain form;
  OptionsPage page{form, settings};
};

TEST_F(OptionsPageTest, AFreshProfileOpensWithEveryScanOptionOnAndQuickScan) {
  page.LoadScanOptions();
  for (const ui::CheckBox* box :
       {&form.chkMakeLog, &form.chkSweepMemory, &form.chkScanRegistry, &form.chkScanCookies}) {
    EXPECT_EQ(box->Value(), 1) << box->Name();
    // The load changed the box, so its click handler stored the value.
    EXPECT_EQ(Stored("OptionAndSettings", box->Name()), "1") << box->Name();
  }
  EXPECT_TRUE(form.optScanOnlyKnownSoftwares.Value());
  EXPECT_FALSE(form.optScanAllSelectedHardDrive.Value());
  EXPECT_EQ(Stored("OptionAndSettings", "optScanOnlyKnownSoftwares"), "True");
  EXPECT_EQ(Stored("OptionAndSettings", "optScanAllSelectedHardDrive"), "False");
  EXPECT_FALSE(form.lvwHardDrives.Visible());
  for (const auto& drive : form.lvwHardDrives.Items()) {
    EXPECT_TRUE(drive.checked) << drive.text;
    EXPECT_EQ(Stored("Drives", drive.text), "True");
  }
}

TEST_F(OptionsPageTest, ACompleteScanChosenLastTimeOpensAsQuickScanAgain) {
  form.optScanAllSelectedHardDrive.SetValue(true);
  page.OnScanTypeClick();
  EXPECT_EQ(Stored("OptionAndSettings", "optScanAllSelectedHardDrive"), "True");
  EXPECT_TRUE(form.lvwHardDrives.Visible());

  ui::FrmMain restarted;
  OptionsPage again{restarted, settings};
  again.LoadScanOptions();
  EXPECT_TRUE(restarted.optScanOnlyKnownSoftwares.Value());
  EXPECT_EQ(Stored("OptionAndSettings", "optScanAllSelectedHardDrive"), "False");
  EXPECT_EQ(Stored("OptionAndSettings", "optScanOnlyKnownSoftwares"), "True");
}

TEST_F(OptionsPageTest, StoredValuesAreShownAndUnreadableOnesLeaveTheControl) {
  settings.Save("OptionAndSettings", "chkMakeLog", "0");
  settings.Save("OptionAndSettings", "chkScanCookies", "often");
  settings.Save("OptionAndSettings", "chkScanRegistry", "7");
  settings.Save("Drives", "C", "False");
  settings.Save("Drives", "E", "maybe");
  form.lvwHardDrives.SetChecked(2, true);
  page.LoadScanOptions();
  EXPECT_EQ(form.chkMakeLog.Value(), 0);
  EXPECT_EQ(form.chkScanCookies.Value(), 0);   // as designed: unchanged
  EXPECT_EQ(form.chkScanRegistry.Value(), 0);  // not a check-box value
  EXPECT_EQ(Stored("OptionAndSettings", "chkScanCookies"), "often");
  EXPECT_TRUE(form.lvwHardDrives.Item(0).checked);
  EXPECT_FALSE(form.lvwHardDrives.Item(1).checked);
  EXPECT_TRUE(form.lvwHardDrives.Item(2).checked);
}

TEST_F(OptionsPageTest, ClicksWriteTheirKeysAtOnce) {
  form.chkSweepMemory.SetValue(0);
  page.OnScanCheckBoxClick(form.chkSweepMemory);
  EXPECT_EQ(Stored("OptionAndSettings", "chkSweepMemory"), "0");
  form.lvwHardDrives.SetChecked(1, true);
  page.OnDriveCheck();
  EXPECT_EQ(Stored("Drives", "A"), "False");
  EXPECT_EQ(Stored("Drives", "C"), "True");
  EXPECT_EQ(Stored("Drives", "E"), "False");
}

}  // namespace
}  // namespace kestrian::core
