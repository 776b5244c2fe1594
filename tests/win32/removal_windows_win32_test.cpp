// The Delete Failed window and the report viewer as real windows: shown from their models,
// driven with window messages and keys as a user would, read back through the window manager.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/delete_failed_window.h"
#include "app/report_window.h"
#include "app/win32_host.h"
#include "ui/frm_main.h"
#include "win32/window_test_support.h"

namespace kestrian {
namespace {

std::vector<std::string> RowsOf(HWND list) {
  std::vector<std::string> rows;
  for (LRESULT row = 0; row < ::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0); ++row) {
    char text[MAX_PATH] = {};
    LVITEMA item{};
    item.pszText = text;
    item.cchTextMax = sizeof text;
    ::SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    rows.emplace_back(text);
  }
  return rows;
}

std::string ClipboardText() {
  if (!::OpenClipboard(nullptr)) return "<clipboard not opened>";
  std::string text = "<no text>";
  if (HANDLE data = ::GetClipboardData(CF_TEXT)) {
    if (const auto* bytes = static_cast<const char*>(::GlobalLock(data))) text = bytes;
    ::GlobalUnlock(data);
  }
  ::CloseClipboard();
  return text;
}

TEST(DeleteFailedWindowOnWindows, ShowsTheProblemRowsOfEachShowingCopiesThemAndHidesAsAsked) {
  constexpr char kPath1[] = "C:\\Program Files\\Toolbar\\toolbar.dll";
  constexpr char kPath2[] = "C:\\WINDOWS\\system32\\popup.exe";
  // What Copy List puts on the clipboard (spelled out: gcc 12 warns on the sum of the two).
  constexpr char kCopied[] = "C:\\Program Files\\Toolbar\\toolbar.dll\r\nC:\\WINDOWS\\system32\\popup.exe\r\n";
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
  ::InitCommonControlsEx(&controls);
  testing::UniqueWindow owner = testing::MakeOwner("Kestrian delete owner");
  ui::FrmDelete form;
  form.lstProblem.Add(kPath1);
  form.lstProblem.Add(kPath2);
  app::Win32Host host;
  app::DeleteFailedWindow view{form, host, owner.get()};
  const auto child = [&view](const char* className, const char* text) {
    return testing::ChildOf(view.Handle(), className, text);
  };
  const auto list = [&child] { return child(WC_LISTVIEWA, nullptr); };
  const auto show = [&] {
    form.SetVisible(true);
    testing::DispatchPending(host);
  };
  EXPECT_EQ(view.Handle(), nullptr);
  show();
  const HWND window = ::FindWindowA(nullptr, "Delete Failed");
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window, view.Handle());
  EXPECT_TRUE(::IsWindowVisible(window));
  EXPECT_EQ(::GetAncestor(window, GA_PARENT), ::GetDesktopWindow());
  EXPECT_EQ(::GetWindow(window, GW_OWNER), owner.get());
  EXPECT_EQ(RowsOf(list()), (std::vector<std::string>{kPath1, kPath2}));
  for (const char* text :
       {"The following files could not be deleted.  You should save your work, close all running programs "
        "(especially browsers) and try to delete them again.",
        "If you still cannot delete them, you should start your computer in Safe Mode and either scan again or "
        "delete them manually."}) {
    EXPECT_NE(child("Static", text), nullptr) << text;
  }
  ASSERT_TRUE(::OpenClipboard(nullptr));  // nothing on it but what Copy List puts there
  ::EmptyClipboard();
  ::CloseClipboard();
  ::SendMessageA(child("Button", "&Copy List"), BM_CLICK, 0, 0);
  EXPECT_EQ(ClipboardText(), kCopied);
  EXPECT_TRUE(form.Visible());

  ::SetFocus(list());
  testing::PressKey(host, list(), VK_TAB);
  EXPECT_EQ(::GetFocus(), child("Button", "&Copy List"));
  testing::PressKey(host, ::GetFocus(), VK_TAB);
  EXPECT_EQ(::GetFocus(), child("Button", "C&lose"));

  form.SetVisible(false);  // hidden with its model, kept for the next time
  EXPECT_FALSE(::IsWindowVisible(window));
  form.lstProblem.Clear();
  form.lstProblem.Add("C:\\other.dll");
  form.SetVisible(true);
  EXPECT_EQ(view.Handle(), window);
  EXPECT_EQ(RowsOf(list()), (std::vector<std::string>{"C:\\other.dll"}));

  const struct {
    const char* what;
    std::function<void()> close;
  } cases[] = {
      {"Close", [&] { ::SendMessageA(child("Button", "C&lose"), BM_CLICK, 0, 0); }},
      {"close box", [&] { ::SendMessageA(view.Handle(), WM_CLOSE, 0, 0); }},
      {"Escape", [&] { testing::PressKey(host, list(), VK_ESCAPE); }},
      {"Enter", [&] { testing::PressKey(host, list(), VK_RETURN); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    show();
    c.close();
    EXPECT_FALSE(form.Visible());
    EXPECT_FALSE(::IsWindowVisible(view.Handle()));
  }
  owner.reset();  // it goes with its owner
  EXPECT_EQ(view.Handle(), nullptr);
}

TEST(ReportWindowOnWindows, ShowsTheTextModallyUntilOkEscapeEnterOrTheCloseBox) {
  constexpr char kReport[] =
      "Kestrian scan report\r\n\r\nRegistry      HKEY_LOCAL_MACHINE\\Software\\Toolbar\r\n"
      "File          C:\\WINDOWS\\system32\\popup.exe\r\n";
  app::Win32Host host;
  const testing::UniqueWindow owner = testing::MakeOwner("Kestrian report owner", true);
  const struct {
    const char* what;
    HWND owner;
    std::function<void(HWND report)> close;
  } cases[] = {
      {"OK", owner.get(), [](HWND report) { ::PostMessageA(testing::ChildOf(report, "Button", "OK"), BM_CLICK, 0, 0); }},
      {"Escape", owner.get(), [](HWND report) { testing::PostKey(testing::ChildOf(report, "Edit", nullptr), VK_ESCAPE); }},
      {"Enter", owner.get(), [](HWND report) { testing::PostKey(testing::ChildOf(report, "Edit", nullptr), VK_RETURN); }},
      {"close box, no owner", nullptr, [](HWND report) { ::PostMessageA(report, WM_CLOSE, 0, 0); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::string text;
    bool ownerEnabled = true;
    testing::DialogUser user("Report under test", [&](HWND report) {
      text = testing::TextOf(testing::ChildOf(report, "Edit", nullptr));
      ownerEnabled = ::IsWindowEnabled(owner.get()) != FALSE;
      c.close(report);
    });
    app::ReportWindow(host, c.owner).ShowModal("Report under test", kReport);
    user.Join();
    ASSERT_TRUE(user.found);
    EXPECT_EQ(text, kReport);
    EXPECT_EQ(ownerEnabled, c.owner == nullptr);
    EXPECT_TRUE(::IsWindowEnabled(owner.get()));
    EXPECT_EQ(::FindWindowA("#32770", "Report under test"), nullptr);
  }
}

}  // namespace
}  // namespace kestrian
