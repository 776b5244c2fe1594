// (The first tick remembering the start page is the shell run's; the alert's window the Win32 tests'.)
#include "protect/home_page_shield.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/registry_access.h"
#include "core/settings_keys.h"
#include "core/timer_arming.h"
#include "support/fake_machine.h"

namespace kestrian::protect {
namespace {

using platform::RegistryValue;
using platform::roots::kCurrentUser;

constexpr char kHome[] = "http://www.kestrian.example/";
constexpr char kHijacked[] = "http://search.hijacker.example/start.html";

class CountingProcessScan final : public scan::ProcessScan {
 public:
  void ScanRunningProcesses() override { ++runs; }
  int runs = 0;
};

// The alert as the user answers it: scripted answers (closed without one when they run out),
// and whatever the test wants to happen while the next alert is open.
class ScriptedAlert final : public HomePageAlert {
 public:
  HomePageAnswer Ask(std::string_view message) override {
    messages.emplace_back(message);
    // Once: a shield that asked again from inside would not recurse for ever.
    if (const auto action = std::exchange(whileOpen, nullptr)) action();
    if (answers.empty()) return HomePageAnswer::Dismissed;
    const HomePageAnswer answer = answers.front();
    answers.erase(answers.begin());
    return answer;
  }
  std::vector<HomePageAnswer> answers;
  std::vector<std::string> messages;
  std::function<void()> whileOpen;
};

struct World {
  void SetStartPage(std::string_view page) {
    machine.registry.SetValue(kCurrentUser, kStartPageKey, kStartPageValue, RegistryValue::String(page));
  }
  std::optional<std::string> StartPage() const {
    return machine.registry.StringValue(kCurrentUser, kStartPageKey, kStartPageValue);
  }
  std::string StoredHomePage() const {
    return settings.Get(core::settings::kOptions, core::settings::kHomePage.name, "<none>");
  }
  void Remember(std::string_view page) { settings.Save(core::settings::kHomePage, page); }
  void ArmAllTimers() {
    settings.Save(core::settings::kAutomaticScan, "1");
    core::ArmTimers(form, settings, true);
  }

  testing::FakeMachine machine;
  core::SettingsStore settings{machine.registry, "Kestrian"};
  ui::FrmMain form;
  CountingProcessScan processScan;
  MemoryShield memoryShield{form, settings, processScan};
  ScriptedAlert alert;
  platform::VersionResource version{"Kestrian", "Kestrian Software", "www.kestrian.example", 1, 6};
  HomePageShield shield{form, settings, machine.registry, version, alert, memoryShield};
};

class HomePageShieldTest : public ::testing::Test, protected World {};

TEST(HomePageShield, AChangeIsPutToTheUserAndTheAnswerDecides) {
  const struct {
    HomePageAnswer answer;
    const char* startPageAfter;
    const char* storedAfter;
    std::size_t alertsAfterNextTick;
  } cases[] = {
      {HomePageAnswer::Keep, kHome, kHome, 1},           // Yes: written back
      {HomePageAnswer::Change, kHijacked, kHijacked, 1},  // No: the new page is remembered
      {HomePageAnswer::Dismissed, kHijacked, kHome, 2},   // closed: asked again next time
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.answer));
    World w;
    w.Remember(kHome);
    w.SetStartPage(kHijacked);
    w.alert.answers = {c.answer};

    w.shield.Tick();
    ASSERT_EQ(w.alert.messages.size(), 1u);
    EXPECT_EQ(w.alert.messages[0],
              "Kestrian has detected that your Homepage has been changed.\r\n\r\n"
              "Click YES to keep your homepage as:\r\n"
              "http://www.kestrian.example/\r\n\r\n"
              "Click No to change your homepage to:\r\n"
              "http://search.hijacker.example/start.html");
    EXPECT_EQ(w.StartPage(), c.startPageAfter);
    if (c.answer == HomePageAnswer::Keep) {
      RegistryValue value;
      w.machine.registry.QueryValue(kCurrentUser, kStartPageKey, platform::key_access::kRead, kStartPageValue, value);
      EXPECT_EQ(value, RegistryValue::String(kHome));
    }
    EXPECT_EQ(w.StoredHomePage(), c.storedAfter);
    EXPECT_TRUE(w.form.tmrCheckHomePage.Enabled());

    w.shield.Tick();
    EXPECT_EQ(w.alert.messages.size(), c.alertsAfterNextTick);
  }
}

TEST(HomePageShield, TheOptionsChooseBetweenAskingRestoringAndLeavingAlone) {
  const struct {
    const char* notify;  // nullptr: not stored (the default)
    const char* silently;
    bool asks;
    const char* startPageAfter;
  } cases[] = {
      {nullptr, nullptr, true, kHijacked},  // defaults: ask (dismissed here)
      {"True", "True", true, kHijacked},     // asking wins
      {"False", "True", false, kHome},       // silently restored
      {"False", "False", false, kHijacked},  // left alone
      {"maybe", "True", false, kHome},       // unreadable counts as false
      {"False", "yes", false, kHijacked},
      {"0", "-1", false, kHome},             // numbers read as Booleans
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.notify ? c.notify : "-") + "/" + (c.silently ? c.silently : "-"));
    World w;
    if (c.notify) w.settings.Save(core::settings::kNotifyBeforeRestoring, c.notify);
    if (c.silently) w.settings.Save(core::settings::kRestoreSilently, c.silently);
    w.Remember(kHome);
    w.SetStartPage(kHijacked);

    w.shield.Tick();
    EXPECT_EQ(w.alert.messages.size(), c.asks ? 1u : 0u);
    EXPECT_EQ(w.StartPage(), c.startPageAfter);
    EXPECT_EQ(w.StoredHomePage(), kHome);
  }
}

TEST_F(HomePageShieldTest, WithTheShieldOffTheTimerStopsAndTheStartPageIsNotRead) {
  for (const char* off : {"False", "0", "maybe"}) {
    SCOPED_TRACE(off);
    settings.Save(core::settings::kHomePageShieldOn, off);
    SetStartPage(kHijacked);
    ArmAllTimers();
    form.tmrCheckHomePage.SetEnabled(true);
    shield.Tick();
    EXPECT_FALSE(form.tmrCheckHomePage.Enabled());
    EXPECT_TRUE(form.tmrMemoryInspected.Enabled());  // the others are armed again
    EXPECT_TRUE(form.tmrScheduler.Enabled());
    EXPECT_EQ(shield.CurrentStartPage(), "");
    EXPECT_EQ(StoredHomePage(), "<none>");
    EXPECT_TRUE(alert.messages.empty());
  }
}

// Yes does not create a missing key. The start page is read with the access the shield needs
// to put it back: a key it may only read gives an empty page, which differs from the remembered one.
TEST_F(HomePageShieldTest, YesDoesNotCreateAMissingKeyAndAStartPageThatCannotBeReadIsEmpty) {
  Remember(kHome);
  alert.answers = {HomePageAnswer::Keep};
  shield.Tick();
  EXPECT_EQ(alert.messages.size(), 1u);
  EXPECT_FALSE(machine.registry.HasKey(kCurrentUser, kStartPageKey));
  EXPECT_EQ(StoredHomePage(), kHome);
  SetStartPage(kHijacked);
  machine.registry.MakeReadOnly(kCurrentUser, kStartPageKey);
  shield.Tick();
  EXPECT_EQ(shield.CurrentStartPage(), "");
  ASSERT_EQ(alert.messages.size(), 2u);
  EXPECT_EQ(alert.messages[1], HomePageChangedMessage("Kestrian", kHome, ""));
}

// Every third tick also runs the memory shield, whether the home page shield is on or off;
// the memory shield's own setting can stop it.
TEST_F(HomePageShieldTest, EveryThirdTickRunsTheMemoryShield) {
  SetStartPage(kHome);
  const int runsAfter[] = {0, 0, 1, 1, 1, 2, 2};
  for (int tick = 1; tick <= 7; ++tick) {
    shield.Tick();
    EXPECT_EQ(processScan.runs, runsAfter[tick - 1]) << tick;
  }
  settings.Save(core::settings::kHomePageShieldOn, "False");
  for (int tick = 0; tick < 2; ++tick) shield.Tick();
  EXPECT_EQ(processScan.runs, 3);
  settings.Save(core::settings::kMemoryShieldOn, "False");  // the memory shield's own setting
  for (int tick = 0; tick < 3; ++tick) shield.Tick();
  EXPECT_EQ(processScan.runs, 3);
}

// While the alert is open the timers are off and a tick does nothing, not even count. A change
// only in letter case is a change.
TEST_F(HomePageShieldTest, TheAlertDisarmsTheTimersAndTicksMeanwhileDoNothing) {
  ArmAllTimers();
  form.tmrTimeOut.SetEnabled(true);
  Remember("http://www.Kestrian.example/");
  SetStartPage("http://www.kestrian.example/");
  alert.answers = {HomePageAnswer::Keep};
  std::optional<bool> armedWhileOpen;
  alert.whileOpen = [&] {
    armedWhileOpen = form.tmrCheckHomePage.Enabled() || form.tmrMemoryInspected.Enabled() ||
                     form.tmrScheduler.Enabled() || form.tmrTimeOut.Enabled();
    for (int tick = 0; tick < 3; ++tick) shield.Tick();
  };
  shield.Tick();
  EXPECT_EQ(armedWhileOpen, false);
  EXPECT_EQ(alert.messages.size(), 1u);
  EXPECT_EQ(StartPage(), "http://www.Kestrian.example/");
  EXPECT_TRUE(form.tmrCheckHomePage.Enabled());
  EXPECT_TRUE(form.tmrMemoryInspected.Enabled());
  EXPECT_TRUE(form.tmrScheduler.Enabled());
  EXPECT_FALSE(form.tmrTimeOut.Enabled());  // arming leaves the page time-out off
  shield.Tick();
  EXPECT_EQ(processScan.runs, 0);  // the memory shield comes at the third real tick
  shield.Tick();
  EXPECT_EQ(processScan.runs, 1);
}

}  // namespace
}  // namespace kestrian::protect
