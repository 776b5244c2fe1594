// The Delete Failed window and the report viewer as real windows: shown from their models,
// driven with window messages and keys as a user would, read back through the window manager.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <type_traits>
#include <vector>

#include "win32/window_test_support.h"
#include "app/delete_failed_window.h"
#include "app/report_window.h"
#include "app/win32_host.h"
#include "ui/frm_main.h"

namespace kestrian {
namespace {

using testing::MakeOwner;
using testing::TextOf;
using testing::UniqueWindow;

std::vector<std::string> RowsOf(HWND list) {
  std::vector<std::string> rows;
  const auto count = ::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0);
  for (LRESULT row = 0; row < count; ++row) {
    char text[MAX_PATH] = {};
    LVITEMA item{};
    item.pszText = text;
    item.cchTextMax = sizeof text;
    ::SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    rows.emplace_back(text);
  }
  return rows;
}

void PutOnClipboard(const std::string& text) {
  if (!::OpenClipboard(nullptr)) return;
  ::EmptyClipboard();
  if (HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, text.size() + 1)) {
    std::memcpy(::GlobalLock(memory), text.c_str(), text.size() + 1);
    ::GlobalUnlock(memory);
    if (::SetClipboardData(CF_TEXT, memory) == nullptr) ::GlobalFree(memory);
  }
  ::CloseClipboard();
}

std::string ClipboardText() {
  if (!::OpenClipboard(nullptr)) return "<clipboard not opened>";
  std::string text = "<no text>";
  if (HANDLE data = ::GetClipboardData(CF_TEXT)) {
    if (const auto* bytes = static_cast<const char*>(::GlobalLock(data))) {
      text = bytes;
      ::GlobalUnlock(data);
    }
  }
  ::CloseClipboard();
  return text;
}

TEST(ProblemListText, IsEmptyForNoRows) {
  ui::FrmDelete form;
  EXPECT_EQ(app::ProblemListText(form), "");
}

TEST(ProblemListText, EndsEveryRowWithCrLf) {
  ui::FrmDelete form;
  form.lstProblem.Add("C:\\a.dll");
  form.lstProblem.Add("C:\\b c\\d.exe");
  EXPECT_EQ(app::ProblemListText(form), "C:\\a.dll\r\nC:\\b c\\d.exe\r\n");
}

class DeleteFailedWindowOnWindows : public ::testing::Test {
 protected:
  static constexpr char kPath1[] = "C:\\Program Files\\Toolbar\\toolbar.dll";
  static constexpr char kPath2[] = "C:\\WINDOWS\\system32\\popup.exe";

  DeleteFailedWindowOnWindows() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
    form.lstProblem.Add(kPath1);
    form.lstProblem.Add(kPath2);
  }

  void Pump() { testing::DispatchPending(host); }
  HWND Child(const char* className, const char* text) const {
    return ::FindWindowExA(view.Handle(), nullptr, className, text);
  }
  HWND List() const { return Child(WC_LISTVIEWA, nullptr); }
  void PressKey(HWND target, WPARAM key) { testing::PressKey(host, target, key); }

  UniqueWindow owner = MakeOwner("Kestrian delete owner", false);
  ui::FrmDelete form;
  app::Win32Host host;
  app::DeleteFailedWindow view{form, host, owner.get()};
};

TEST_F(DeleteFailedWindowOnWindows, ShowsTheProblemRowsWhenTheModelBecomesVisible) {
  EXPECT_EQ(view.Handle(), nullptr);
  form.SetVisible(true);
  Pump();
  const HWND window = ::FindWindowA(nullptr, "Delete Failed");
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window, view.Handle());
  EXPECT_TRUE(::IsWindowVisible(window));
  EXPECT_EQ(::GetAncestor(window, GA_PARENT), ::GetDesktopWindow());
  EXPECT_EQ(::GetWindow(window, GW_OWNER), owner.get());
  EXPECT_EQ(RowsOf(List()), (std::vector<std::string>{kPath1, kPath2}));
  EXPECT_NE(Child("Static",
                  "The following files could not be deleted.  You should save your work, close all "
                  "running programs (especially browsers) and try to delete them again."),
            nullptr);
  EXPECT_NE(Child("Static",
                  "If you still cannot delete them, you should start your computer in Safe Mode "
                  "and either scan again or delete them manually."),
            nullptr);
  EXPECT_NE(Child("Button", "&Copy List"), nullptr);
  EXPECT_NE(Child("Button", "C&lose"), nullptr);
}

TEST_F(DeleteFailedWindowOnWindows, ShowingAgainListsTheRowsOfThen) {
  form.SetVisible(true);
  form.SetVisible(false);
  form.lstProblem.Clear();
  form.lstProblem.Add("C:\\other.dll");
  form.SetVisible(true);
  EXPECT_EQ(RowsOf(List()), (std::vector<std::string>{"C:\\other.dll"}));
}

TEST_F(DeleteFailedWindowOnWindows, CopyListPutsEveryRowOnTheClipboard) {
  form.SetVisible(true);
  PutOnClipboard("stale");
  ::SendMessageA(Child("Button", "&Copy List"), BM_CLICK, 0, 0);
  EXPECT_EQ(ClipboardText(), std::string(kPath1) + "\r\n" + kPath2 + "\r\n");
  EXPECT_TRUE(form.Visible());
}

TEST_F(DeleteFailedWindowOnWindows, CloseHidesTheWindowAndTheModel) {
  form.SetVisible(true);
  ::SendMessageA(Child("Button", "C&lose"), BM_CLICK, 0, 0);
  EXPECT_FALSE(form.Visible());
  EXPECT_FALSE(::IsWindowVisible(view.Handle()));
}

TEST_F(DeleteFailedWindowOnWindows, TheCloseBoxHidesTheWindowAndTheModel) {
  form.SetVisible(true);
  ::SendMessageA(view.Handle(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(form.Visible());
  EXPECT_FALSE(::IsWindowVisible(view.Handle()));
}

TEST_F(DeleteFailedWindowOnWindows, EscapeAndEnterThroughTheHostClose) {
  for (const WPARAM key : {VK_ESCAPE, VK_RETURN}) {
    form.SetVisible(true);
    Pump();
    PressKey(List(), key);
    EXPECT_FALSE(form.Visible()) << key;
    EXPECT_FALSE(::IsWindowVisible(view.Handle())) << key;
  }
}

TEST_F(DeleteFailedWindowOnWindows, TabMovesFromTheListToTheButtons) {
  form.SetVisible(true);
  Pump();
  ::SetFocus(List());
  PressKey(List(), VK_TAB);
  EXPECT_EQ(::GetFocus(), Child("Button", "&Copy List"));
  PressKey(::GetFocus(), VK_TAB);
  EXPECT_EQ(::GetFocus(), Child("Button", "C&lose"));
}

TEST_F(DeleteFailedWindowOnWindows, HidingTheModelHidesTheWindow) {
  form.SetVisible(true);
  const HWND window = view.Handle();
  form.SetVisible(false);
  EXPECT_FALSE(::IsWindowVisible(window));
  EXPECT_EQ(view.Handle(), window);  // kept for the next time
}

TEST_F(DeleteFailedWindowOnWindows, OutlivesItsOwner) {
  form.SetVisible(true);
  owner.reset();
  EXPECT_EQ(view.Handle(), nullptr);
  form.SetVisible(false);
}

// A user on another thread: waits for the report, reads it and closes it.
class ReportUser {
 public:
  ReportUser(const char* wanted, HWND owner, std::function<void(HWND report)> close)
      : thread_([=, this] { Run(wanted, owner, close); }) {}
  ~ReportUser() {
    if (thread_.joinable()) thread_.join();
  }
  void Join() { thread_.join(); }

  std::string title = "<not found>";
  std::string text;
  bool ownerEnabledWhileShown = true;

 private:
  void Run(const char* wanted, HWND owner, const std::function<void(HWND)>& close) {
    HWND report = nullptr;
    for (int i = 0; i < 500 && report == nullptr; ++i) {
      report = ::FindWindowA("#32770", wanted);
      if (report == nullptr) ::Sleep(10);
    }
    if (report == nullptr) return;
    title = TextOf(report);
    text = TextOf(::FindWindowExA(report, nullptr, "Edit", nullptr));
    ownerEnabledWhileShown = ::IsWindowEnabled(owner) != FALSE;
    close(report);
  }

  std::thread thread_;
};

constexpr char kReport[] =
    "Kestrian scan report\r\n\r\nRegistry      HKEY_LOCAL_MACHINE\\Software\\Toolbar\r\n"
    "File          C:\\WINDOWS\\system32\\popup.exe\r\n";

TEST(ReportWindowOnWindows, ShowsTheTextUntilOkIsPressed) {
  app::Win32Host host;
  const UniqueWindow owner = MakeOwner("Kestrian report owner", true);
  ReportUser user("Report under test", owner.get(), [](HWND report) {
    ::PostMessageA(::FindWindowExA(report, nullptr, "Button", "OK"), BM_CLICK, 0, 0);
  });
  app::ReportWindow(host, owner.get()).ShowModal("Report under test", kReport);
  user.Join();
  EXPECT_EQ(user.title, "Report under test");
  EXPECT_EQ(user.text, kReport);
  EXPECT_FALSE(user.ownerEnabledWhileShown);
  EXPECT_TRUE(::IsWindowEnabled(owner.get()));
  EXPECT_EQ(::FindWindowA("#32770", "Report under test"), nullptr);
}

TEST(ReportWindowOnWindows, EscapeAndEnterInTheTextClose) {
  app::Win32Host host;
  const UniqueWindow owner = MakeOwner("Kestrian report owner", true);
  for (const WPARAM key : {VK_ESCAPE, VK_RETURN}) {
    ReportUser user("Report keys", owner.get(), [key](HWND report) {
      const HWND text = ::FindWindowExA(report, nullptr, "Edit", nullptr);
      ::PostMessageA(text, WM_KEYDOWN, key, 1);
      ::PostMessageA(text, WM_KEYUP, key, 0xC0000001);
    });
    app::ReportWindow(host, owner.get()).ShowModal("Report keys", "x\r\ny\r\n");
    user.Join();
    EXPECT_EQ(user.text, "x\r\ny\r\n") << key;
    EXPECT_TRUE(::IsWindowEnabled(owner.get())) << key;
  }
}

TEST(ReportWindowOnWindows, WorksWithoutAnOwner) {
  app::Win32Host host;
  ReportUser user("Report alone", nullptr,
                  [](HWND report) { ::PostMessageA(report, WM_CLOSE, 0, 0); });
  app::ReportWindow(host, nullptr).ShowModal("Report alone", "");
  user.Join();
  EXPECT_EQ(user.title, "Report alone");
  EXPECT_EQ(user.text, "");
}

}  // namespace
}  // namespace kestrian
