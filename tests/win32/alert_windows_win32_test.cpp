// The program's two alerts as real windows: the modal home page alert, answered by a user on
// another thread, and the memory shield's alert, whose answers act on the process and the
// exclusions. (What the answers mean is the unit tests'; the real program's is e2e_shell's.)
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/home_page_alert_window.h"
#include "app/spyware_alert_window.h"
#include "app/win32_host.h"
#include "core/exclusion_list.h"
#include "protect/home_page_shield.h"
#include "support/fake_machine.h"
#include "ui/frm_main.h"
#include "win32/window_test_support.h"

namespace kestrian {
namespace {

using protect::HomePageAnswer;
using testing::ChildOf;

constexpr char kHome[] = "http://www.kestrian.example/";
constexpr char kProduct[] = "KestrianHomeTest";
constexpr char kTitle[] = "KestrianHomeTest Home Page Protection";

// Keys go to the alert's focused control, which is Yes when it opens; Tab moves it to No.
void Press(HWND alert, std::initializer_list<WPARAM> keys) {
  HWND target = ChildOf(alert, "Button", "&Yes");
  for (const WPARAM key : keys) {
    testing::PostKey(target, key);
    if (key == VK_TAB) target = ChildOf(alert, "Button", "&No");
  }
}

// Each showing of an alert (two seconds under Wine without a window manager) answers it in
// another way and is read whole.
TEST(AlertWindowsOnWindows, ShowTheirFindingAboveAllAndEachAnswerDoesWhatItSays) {
  const testing::UniqueWindow owner = testing::MakeOwner("Kestrian home page owner");  // in the tray
  app::Win32Host host;
  app::HomePageAlertWindow view{host, owner.get(), kProduct};
  const std::string longPage = "http://search.hijacker.example/" + std::string(400, 'q') + ".html";
  const std::string message = protect::HomePageChangedMessage(kProduct, kHome, longPage);
  const struct {
    const char* what;
    std::function<void(HWND)> act;
    HomePageAnswer answer;
  } cases[] = {
      {"Enter", [](HWND alert) { Press(alert, {VK_RETURN}); }, HomePageAnswer::Keep},
      {"Tab, Enter", [](HWND alert) { Press(alert, {VK_TAB, VK_RETURN}); }, HomePageAnswer::Change},
      {"No", [](HWND alert) { ::PostMessageA(ChildOf(alert, "Button", "&No"), BM_CLICK, 0, 0); }, HomePageAnswer::Change},
      {"Escape", [](HWND alert) { Press(alert, {VK_ESCAPE}); }, HomePageAnswer::Dismissed},
      {"close box", [](HWND alert) { ::PostMessageA(alert, WM_CLOSE, 0, 0); }, HomePageAnswer::Dismissed},
  };
  RECT area{};
  ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    bool ownerEnabled = true, topmost = false;
    RECT bounds{};
    std::vector<std::string> texts;
    LONG_PTR yesStyle = 0;
    testing::DialogUser user(kTitle, [&](HWND alert) {
      ownerEnabled = ::IsWindowEnabled(owner.get()) != FALSE;
      topmost = (::GetWindowLongPtrA(alert, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
      ::GetWindowRect(alert, &bounds);
      texts = testing::ChildTexts(alert);
      yesStyle = ::GetWindowLongPtrA(ChildOf(alert, "Button", "&Yes"), GWL_STYLE);
      c.act(alert);
    });
    EXPECT_EQ(view.Ask(message), c.answer);
    user.Join();
    ASSERT_TRUE(user.found);
    EXPECT_FALSE(ownerEnabled);
    EXPECT_TRUE(topmost);
    EXPECT_EQ(texts, (std::vector<std::string>{"", kProduct, message, "&Yes", "&No"}));
    EXPECT_EQ(yesStyle & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    // The owner is hidden: the alert stands in the middle of the work area, grown for the address.
    EXPECT_NEAR((bounds.left + bounds.right) / 2, (area.left + area.right) / 2, 2);
    EXPECT_NEAR((bounds.top + bounds.bottom) / 2, (area.top + area.bottom) / 2, 2);
    EXPECT_GT(bounds.bottom - bounds.top, ::MulDiv(ui::FrmHomePageChangedAlert::kHeight, app::ScreenDpi(), 1440));
    EXPECT_TRUE(::IsWindowEnabled(owner.get()));
    EXPECT_EQ(view.Handle(), nullptr);
    EXPECT_EQ(::FindWindowA("#32770", kTitle), nullptr);
  }

  constexpr char kPath[] = "C:\\Toolbar\\toolbar.exe";
  testing::FakeMachine machine;
  const core::ApplicationFolder folder{"C:\\Kestrian"};
  core::ProgramState state;
  core::ExclusionList exclusions{machine.files, folder, host, state.exclusionText};
  app::SpywareAlertWindow alert{host, {state, machine.processes, exclusions, host, "Kestrian"}};
  const struct {
    const char* what;
    std::function<void(HWND)> answer;
    bool stopped;
    const char* excluded;
  } answers[] = {
      {"STOP", [](HWND window) { ::SendMessageA(ChildOf(window, "Button", "STOP"), BM_CLICK, 0, 0); }, true, ""},
      {"ALLOW", [](HWND window) { ::SendMessageA(ChildOf(window, "Button", "ALLOW"), BM_CLICK, 0, 0); }, false, "TOOLBAR.EXE\r\n"},
      {"Escape", [&](HWND window) { testing::PressKey(host, window, VK_ESCAPE); }, false, ""},
      {"close box", [](HWND window) { ::SendMessageA(window, WM_CLOSE, 0, 0); }, false, ""},
  };
  for (const auto& c : answers) {
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
