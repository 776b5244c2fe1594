// The main window's real Win32 view running a real session on the real message loop: clicks
// arrive as window messages while the session yields, and the view shows the model.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>
#include <utility>
#include <vector>

#include "win32/scratch_world.h"
#include "win32/window_test_support.h"
#include "app/main_window.h"
#include "app/win32_host.h"
#include "core/main_window_pages.h"
#include "platform/win32/win32_machine.h"
#include "removal/removal.h"
#include "scan/scan_progress.h"
#include "scan/scan_session.h"

namespace kestrian {
namespace {
using testing::PressInMessageBox;
using testing::TextOf;

// A phase of slow items, as a real scanner walks them.
class SlowPhases final : public scan::CookieScan, public scan::ProcessScan,
                         public scan::RegistryScan, public scan::FileScan {
 public:
  explicit SlowPhases(scan::ScanContext& context) : context_(context) {}
  static constexpr int kItems = 300;  // a few seconds under Wine: time for the user's clicks
  int walked = 0;
  void ScanCookies(std::int32_t&) override {}
  void ScanRunningProcesses() override {}
  void ScanRegistryDefinitions() override {}
  void ScanFileDefinitions() override {
    auto& session = context_.state.session;
    for (int i = 0; i < kItems && !session.stopRequested; ++i, ++walked) {
      ++session.filesFoldersInspected;
      scan::ReportScanProgress(context_, "Scanning Known Spyware/Adware: \r\nitem", 1, 1);
      ::Sleep(2);
      context_.host.DoEvents();
    }
  }

 private:
  scan::ScanContext& context_;
};

// From the user's thread: until `done`, one generous deadline.
void WaitFor(const std::function<bool()>& done) {
  for (const DWORD start = ::GetTickCount(); !done() && ::GetTickCount() - start < 30000;) ::Sleep(5);
}

class MainWindowOnWindows : public ::testing::Test, protected testing::ScratchWorld {
 protected:
  MainWindowOnWindows() : ScratchWorld("kestrian_view") {
    // The last test's window asked the thread to quit as it went; a message box would end at once.
    MSG quit;
    while (::PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    EXPECT_TRUE(window.Create(::GetModuleHandleA(nullptr), "Kestrian test"));
    window.OnClick(form.cmdScanNow, [this] { session.Start(); });
    window.OnClick(form.cmdStop, [this] { session.StopFromButton(); });
    window.OnClick(form.cmdPause, [this] { session.PauseFromButton(); });
    core::ShowPage(form, form.frmScan);
    form.SetVisible(true);
    ::ShowWindow(window.Handle(), SW_SHOWNORMAL);
  }
  // Clicks Start through the message loop and runs it until the session has ended.
  void RunSession() {
    ::PostMessageA(window.NativeOf(form.cmdScanNow), BM_CLICK, 0, 0);
    MSG message;
    for (int pumped = 0; pumped < 100000 && !finished; ++pumped) {
      if (!::GetMessageA(&message, nullptr, 0, 0)) break;
      host.Dispatch(message);
      finished = form.cmdScanNow.Enabled() && slow.walked > 0;
    }
  }

  SlowPhases slow{context};
  scan::ScanSession session{context, {slow, slow, slow, slow}};
  app::MainWindow window{form, host};
  bool finished = false;
};

TEST_F(MainWindowOnWindows, StopClickedDuringAScanCancelsIt) {
  std::thread user([this] {
    WaitFor([&] { return slow.walked > 0 && ::IsWindowEnabled(window.NativeOf(form.cmdStop)); });
    ::PostMessageA(window.NativeOf(form.cmdStop), BM_CLICK, 0, 0);
    PressInMessageBox("Kestrian", IDYES);
  });
  RunSession();
  user.join();
  EXPECT_GT(slow.walked, 0);
  EXPECT_LT(slow.walked, SlowPhases::kItems);
  EXPECT_EQ(form.lblStatus.Caption(), "Scanning was cancelled.");
  EXPECT_EQ(TextOf(window.NativeOf(form.lblStatus)), "Scanning was cancelled.");
  EXPECT_EQ(TextOf(window.NativeOf(form.lblPercentageCompleted)), "0% complete.");
  EXPECT_TRUE(::IsWindowEnabled(window.NativeOf(form.cmdScanNow)));
  EXPECT_FALSE(::IsWindowEnabled(window.NativeOf(form.cmdStop)));
  EXPECT_NE(settings.Get(core::settings::kLastScan), "Never");
}

TEST_F(MainWindowOnWindows, PauseHoldsTheScanAndOkResumesIt) {
  std::atomic<int> walkedWhilePaused{-1};
  std::atomic<bool> pausedBoxShown{false};
  std::thread user([&] {
    WaitFor([&] { return slow.walked > 0 && ::IsWindowEnabled(window.NativeOf(form.cmdPause)); });
    ::PostMessageA(window.NativeOf(form.cmdPause), BM_CLICK, 0, 0);
    pausedBoxShown = testing::WaitForShownDialog("Kestrian") != nullptr;
    const int before = slow.walked;
    ::Sleep(300);  // what the paused scan does in a while: nothing
    walkedWhilePaused = slow.walked - before;
    PressInMessageBox("Kestrian", IDOK);
  });
  RunSession();
  user.join();
  EXPECT_TRUE(pausedBoxShown);
  EXPECT_EQ(walkedWhilePaused.load(), 0);
  EXPECT_EQ(slow.walked, SlowPhases::kItems);
  EXPECT_EQ(TextOf(window.NativeOf(form.lblStatus)), "Scanning complete.");
  EXPECT_EQ(form.pb1.Value(), 100);
  EXPECT_EQ(::SendMessageA(window.NativeOf(form.pb2), PBM_GETPOS, 0, 0), 100 * 100);
}

// A mouse button going down on a button reports whether Shift alone was held.
TEST_F(MainWindowOnWindows, AMouseDownReportsWhetherShiftAloneWasHeld) {
  std::vector<bool> reports;
  window.OnMouseDown(form.cmdUpdate, [&](bool shiftAlone) { reports.push_back(shiftAlone); });
  const HWND button = window.NativeOf(form.cmdUpdate);
  ASSERT_NE(button, nullptr);
  const std::pair<UINT, WPARAM> presses[] = {{WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT},
                                             {WM_RBUTTONDOWN, MK_RBUTTON | MK_SHIFT},
                                             {WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT | MK_CONTROL},
                                             {WM_LBUTTONDOWN, MK_LBUTTON}};
  for (const auto& [message, keys] : presses) {
    ::SendMessageA(button, message, keys, MAKELPARAM(5, 5));
    ::SendMessageA(button, message + 1, keys & ~(MK_LBUTTON | MK_RBUTTON), MAKELPARAM(5, 5));
  }
  EXPECT_EQ(reports, (std::vector<bool>{true, true, false, false}));
}

// While a removal runs, Delete, Exclude, Start and Live Update (both buttons and the idle
// timer) are disabled on screen and their clicks do nothing; at its end each is as it was.
TEST_F(MainWindowOnWindows, ARemovalDisablesTheCommandsOfOtherWorkUntilItEnds) {
  removal::Removal removal{context};
  int excluded = 0, updates = 0;
  window.OnClick(form.Command4, [&] { removal.DeleteCommand(); });
  window.OnClick(form.cmdExclude, [&] { ++excluded; });
  window.OnClick(form.cmdUpdate, [&] { ++updates; });
  window.OnClick(form.cmdLiveUpdate, [&] { ++updates; });
  auto& results = form.lvwPicRemoveListOfSpywareFoundAndToBeRemoved;
  results.SetChecked(results.Add("Nothing to delete", 2), true);
  state.session.autoDeleteAfterScan = true;  // asks nothing
  form.timUpdate.SetEnabled(true);
  const ui::Control* commands[] = {&form.Command4, &form.cmdExclude, &form.cmdScanNow,
                                   &form.cmdUpdate, &form.cmdLiveUpdate};
  std::vector<BOOL> during;
  bool timerDuring = true;
  constexpr UINT kDuringRemoval = WM_APP + 40;
  window.OnAppMessage(kDuringRemoval, [&](WPARAM, LPARAM) {
    timerDuring = form.timUpdate.Enabled();
    for (const ui::Control* command : commands) {
      during.push_back(::IsWindowEnabled(window.NativeOf(*command)));
      ::PostMessageA(window.NativeOf(*command), BM_CLICK, 0, 0);
    }
  });
  // The click starts the removal; the message arrives inside its yields.
  ::PostMessageA(window.NativeOf(form.Command4), BM_CLICK, 0, 0);
  ::PostMessageA(window.Handle(), kDuringRemoval, 0, 0);
  testing::PumpUntil(host, [&] { return !during.empty() && !removal.Running(); }, 60000);
  ::RemoveDirectoryA(folder.FilePath("quarantine").c_str());
  ASSERT_FALSE(removal.Running());
  EXPECT_EQ(during, std::vector<BOOL>(5, FALSE));
  EXPECT_FALSE(timerDuring);
  EXPECT_EQ(slow.walked, 0);  // Start did nothing
  EXPECT_EQ(excluded + updates, 0);
  for (const ui::Control* command : commands) EXPECT_TRUE(::IsWindowEnabled(window.NativeOf(*command)));
  EXPECT_TRUE(form.timUpdate.Enabled());
}

}  // namespace
}  // namespace kestrian
