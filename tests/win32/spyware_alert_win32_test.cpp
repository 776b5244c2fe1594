// The memory shield's alert as a real window: what it shows, and what each answer does with
// the process and the exclusions. (When the shield alerts is the unit tests' matter; STOP on
// a real program in the tray is e2e_shields'.)
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "app/spyware_alert_window.h"
#include "app/win32_host.h"
#include "core/exclusion_list.h"
#include "support/fake_machine.h"
#include "win32/window_test_support.h"

namespace kestrian {
namespace {

constexpr char kPath[] = "C:\\Toolbar\\toolbar.exe";

void Click(HWND alert, const char* caption) {
  ::SendMessageA(testing::ChildOf(alert, "Button", caption), BM_CLICK, 0, 0);
}

TEST(SpywareAlertWindowOnWindows, ShowsTheFindingAndEachAnswerDoesWhatItSays) {
  testing::FakeMachine machine;
  const core::ApplicationFolder folder{"C:\\Kestrian"};
  core::ProgramState state;
  app::Win32Host host;
  core::ExclusionList exclusions{machine.files, folder, host, state.exclusionText};
  app::SpywareAlertWindow alert{host, {state, machine.processes, exclusions, host, "Kestrian"}};
  const struct {
    const char* what;
    std::function<void(HWND)> answer;
    bool stopped;
    const char* excluded;
  } cases[] = {
      {"STOP", [](HWND window) { Click(window, "STOP"); }, true, ""},
      {"ALLOW", [](HWND window) { Click(window, "ALLOW"); }, false, "TOOLBAR.EXE\r\n"},
      {"Escape", [&](HWND window) { testing::PressKey(host, window, VK_ESCAPE); }, false, ""},
      {"close box", [](HWND window) { ::SendMessageA(window, WM_CLOSE, 0, 0); }, false, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    machine.files.PutFile(folder.FilePath("ENoSignature.txt"), "");
    exclusions.Load();
    const std::uint32_t id = machine.processes.Start("toolbar.exe", kPath);
    alert.Show("TOOLBAR CORP", "TOOLBAR.EXE", {id, kPath});
    const HWND window = alert.Handle();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(::IsWindowVisible(window));
    EXPECT_TRUE(::GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(testing::TextOf(window), "Kestrian Auto-Protect");
    // heading, sentence, "File Name:", the name, "Company Name:", the company, ...
    const std::vector<std::string> texts = testing::ChildTexts(window);
    ASSERT_GT(texts.size(), 5u);
    EXPECT_EQ(texts[3], "TOOLBAR.EXE");
    EXPECT_EQ(texts[5], "TOOLBAR CORP");
    EXPECT_FALSE(state.alertAnswered);
    c.answer(window);
    EXPECT_TRUE(state.alertAnswered);
    EXPECT_EQ(alert.Handle(), nullptr);
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_EQ(machine.processes.Running(id), !c.stopped);
    EXPECT_EQ(machine.files.ReadAll(folder.FilePath("ENoSignature.txt")).value_or("<none>"), c.excluded);
  }
}

}  // namespace
}  // namespace kestrian
