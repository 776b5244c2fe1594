#include "protect/memory_shield.h"

#include "scan_fixture.h"

namespace kestrian::protect {
namespace {

enum class Answer { Stop, Allow, Dismiss };

// The alert window as the user meets it: each alert is a fresh form, answered by a scripted
// button some yields after it was shown, through the same actions the real window calls.
class ScriptedAlert final : public scan::SpywareAlert {
 public:
  ScriptedAlert(core::ProgramState& state, testing::ScriptedHost& host, AlertServices services)
      : state_(state), host_(host), services_(services) {}
  void Show(std::string_view company, std::string_view file, const scan::FoundProcess& process) override {
    process_ = process;
    form_ = std::make_unique<ui::FrmSpywareFoundAlert>();
    OnAlertCreated(*form_, state_);
    form_->lblAlertCompanyName.SetCaption(company);
    form_->lblAlertFileName.SetCaption(file);
    shown.push_back(std::string(file) + " / " + std::string(company));
    const Answer answer = answers.empty() ? Answer::Dismiss : answers.front();
    if (!answers.empty()) answers.erase(answers.begin());
    host_.AtYield(host_.Yields() + 2, [this, answer] {
      openWhenAnswered.push_back(open_);
      switch (answer) {
        case Answer::Stop: AlertStop(*form_, services_, process_); break;
        case Answer::Allow: AlertAllow(*form_, services_); break;
        case Answer::Dismiss: AlertDismissed(state_); break;
      }
      stopEnabledAfter.push_back(form_->cmdYes.Enabled());
      open_ = false;
    });
    ++open_;
  }
  std::vector<Answer> answers;
  std::vector<std::string> shown;
  std::vector<int> openWhenAnswered;  // alerts open at each answer: never more than one
  std::vector<bool> stopEnabledAfter;

 private:
  core::ProgramState& state_;
  testing::ScriptedHost& host_;
  AlertServices services_;
  std::unique_ptr<ui::FrmSpywareFoundAlert> form_;
  scan::FoundProcess process_;
  int open_ = 0;
};

class MemoryShieldTest : public scan::ScanFixture {
 protected:
  MemoryShieldTest() {
    EndSession();  // the shield runs between scans
    PutDefinitions("ExeDefinition.dat", {"spyone.exe", "spytwo.exe"});
    settings.Save(core::settings::kMemoryShieldOn, "True");
    settings.Save(core::settings::kHomePageShieldOn, "True");
  }
  std::string ExclusionFile() {
    return machine.files.ReadAll(folder.FilePath("ENoSignature.txt")).value_or("<none>");
  }

  core::ExclusionList exclusions{machine.files, folder, host, state.exclusionText};
  ScriptedAlert alert{state, host, {state, machine.processes, exclusions, host, "Kestrian"}};
  scan::ProcessScanner processScan{context, &alert};
  MemoryShield shield{form, settings, processScan};
};

// Two programs give two alerts, one after the other: STOP ends the first (and cannot be
// pressed again), ALLOW excludes the second's trimmed name; neither is asked about again.
// While an alert waits for its answer the background timers stay off, and a tick that
// still arrives (the home page shield's extra run) starts nothing.
TEST_F(MemoryShieldTest, StopEndsOneProgramAllowExcludesTheOtherAndNeitherIsAskedAgain) {
  const auto spy = StartWithCompany("C:\\Temp\\SpyOne.exe", "Spy Corp");
  StartWithCompany("C:\\Temp\\spytwo.exe", "");
  machine.files.PutFile(folder.FilePath("ENoSignature.txt"), "C:\\older\\entry.exe\r\n");
  std::vector<bool> timersDuringWait;
  host.AtYield(1, [&] {
    timersDuringWait = {form.tmrMemoryInspected.Enabled(), form.tmrCheckHomePage.Enabled(),
                        form.tmrScheduler.Enabled()};
    shield.Tick();
  });
  alert.answers = {Answer::Stop, Answer::Allow};
  shield.Tick();
  EXPECT_EQ(timersDuringWait, (std::vector<bool>{false, false, false}));
  EXPECT_TRUE(form.tmrMemoryInspected.Enabled() && form.tmrCheckHomePage.Enabled());
  EXPECT_FALSE(shield.Running());
  EXPECT_EQ(alert.shown, (std::vector<std::string>{"SPYONE.EXE / SPY CORP",
                                                   "SPYTWO.EXE / No Company name for SPYTWO.EXE"}));
  EXPECT_EQ(alert.openWhenAnswered, (std::vector<int>{1, 1}));
  EXPECT_EQ(alert.stopEnabledAfter, (std::vector<bool>{false, true}));
  EXPECT_FALSE(machine.processes.Running(spy));
  EXPECT_EQ(machine.processes.terminations.size(), 1u);
  EXPECT_EQ(ExclusionFile(), "C:\\older\\entry.exe\r\nSPYTWO.EXE\r\n");
  EXPECT_TRUE(host.Messages().empty());
  shield.Tick();
  shield.Tick();
  EXPECT_EQ(alert.shown.size(), 2u);
}

// The start-up leaves "Scan Now" disabled while a definition file is missing; the shield
// still asks. Closing the alert stops and excludes nothing, and the next run asks again. An
// exclusion file held open by another program loses the entry without a message, and the
// program is asked about again at the next run.
TEST_F(MemoryShieldTest, ClosingTheAlertOrAnAllowThatCannotBeWrittenExcludesNothingAndAsksAgain) {
  const auto spy = StartWithCompany("C:\\Temp\\spytwo.exe", "Two");
  form.cmdScan.SetEnabled(false);
  alert.answers = {Answer::Dismiss, Answer::Allow, Answer::Allow};
  shield.Tick();
  EXPECT_EQ(alert.shown.size(), 1u);
  EXPECT_TRUE(machine.processes.Running(spy));
  EXPECT_EQ(ExclusionFile(), "<none>");
  EXPECT_TRUE(form.tmrMemoryInspected.Enabled());  // the run ended and re-armed the timers
  machine.files.PutFile(folder.FilePath("ENoSignature.txt"), "C:\\older\\entry.exe\r\n");
  machine.files.Lock(folder.FilePath("ENoSignature.txt"));
  shield.Tick();
  machine.files.Lock(folder.FilePath("ENoSignature.txt"), false);
  EXPECT_EQ(ExclusionFile(), "C:\\older\\entry.exe\r\n");
  EXPECT_TRUE(host.Messages().empty());
  shield.Tick();
  EXPECT_EQ(alert.shown.size(), 3u);
  EXPECT_EQ(ExclusionFile(), "C:\\older\\entry.exe\r\nSPYTWO.EXE\r\n");
}

TEST_F(MemoryShieldTest, AProgramThatCannotBeStoppedIsReportedAndAlertedAgain) {
  const auto spy = StartWithCompany("C:\\Temp\\spyone.exe", "Spy Corp", false);
  alert.answers = {Answer::Stop, Answer::Stop};
  shield.Tick();
  ASSERT_EQ(host.Messages().size(), 1u);
  EXPECT_EQ(scan::PartsOf(host.Messages()[0]),
            (scan::MessageParts{"SPYONE.EXE could not be stopped.  You should try again after saving your work and "
                                "closing any open applications.",
                                "Kestrian", ui::MessageButtons::Ok, ui::MessageIcon::Information}));
  EXPECT_TRUE(machine.processes.Running(spy));
  shield.Tick();
  EXPECT_EQ(alert.shown.size(), 2u);
}

// Switched off, or while a scan or a removal runs (Start disabled), a tick that arrives
// anyway starts nothing.
TEST_F(MemoryShieldTest, ATickWhileTheShieldIsOffOrOtherWorkRunsDoesNothing) {
  StartWithCompany("C:\\Temp\\spyone.exe", "One");
  for (const auto& [setting, startEnabled] : {std::pair{"False", true}, std::pair{"not a Boolean", true},
                                              std::pair{"True", false}}) {
    settings.Save(core::settings::kMemoryShieldOn, setting);
    form.cmdScanNow.SetEnabled(startEnabled);
    shield.Tick();
    EXPECT_TRUE(alert.shown.empty()) << setting;
    EXPECT_EQ(host.Yields(), 0) << setting;
  }
}

}  // namespace
}  // namespace kestrian::protect
