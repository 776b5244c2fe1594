// The home page shield against the real registry, and its alert as a real modal window
// answered by a user on another thread. The user's own start page is put back after every
// test; the settings live under a test application name.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "win32/window_test_support.h"
#include "app/home_page_alert_window.h"
#include "app/win32_host.h"
#include "core/settings_keys.h"
#include "core/settings_store.h"
#include "platform/win32/win32_registry.h"
#include "protect/home_page_shield.h"
#include "ui/frm_main.h"

namespace kestrian {
namespace {

using platform::RegistryValue;
using platform::roots::kCurrentUser;
using protect::HomePageAnswer;
using protect::kStartPageKey;
using protect::kStartPageValue;
using testing::MakeOwner;
using testing::TextOf;
using testing::UniqueWindow;

constexpr char kHome[] = "http://www.kestrian.example/";
constexpr char kHijacked[] = "http://search.hijacker.example/start.html";
constexpr char kProduct[] = "KestrianHomeTest";
constexpr char kTitle[] = "KestrianHomeTest Home Page Protection";

// The start page as the system reads it, or nullopt.
std::optional<std::string> RealStartPage() {
  char text[2048] = {};
  DWORD size = sizeof text;
  DWORD type = 0;
  if (::RegGetValueA(HKEY_CURRENT_USER, std::string(kStartPageKey).c_str(),
                     std::string(kStartPageValue).c_str(), RRF_RT_ANY, &type, text,
                     &size) != ERROR_SUCCESS ||
      type != REG_SZ) {
    return std::nullopt;
  }
  return std::string(text);
}

// The alert answered from a script, without a window.
class ScriptedAlert final : public protect::HomePageAlert {
 public:
  HomePageAnswer Ask(std::string_view message) override {
    messages.emplace_back(message);
    return answer;
  }
  HomePageAnswer answer = HomePageAnswer::Dismissed;
  std::vector<std::string> messages;
};

class CountingProcessScan final : public scan::ProcessScan {
 public:
  void ScanRunningProcesses() override { ++runs; }
  int runs = 0;
};

// Keeps the user's start page (and the keys above it) and puts them back afterwards.
class StartPageGuard {
 public:
  StartPageGuard() {
    const std::string main(kStartPageKey);
    const std::string parent = main.substr(0, main.rfind('\\'));
    parentCreated_ = !KeyExists(parent);
    mainCreated_ = !KeyExists(main);
    if (!mainCreated_) {
      RegistryValue value;
      if (registry_.QueryValue(kCurrentUser, kStartPageKey, platform::key_access::kRead,
                               kStartPageValue, value) == platform::kOk) {
        saved_ = value;
      }
    }
    HKEY key = nullptr;
    ::RegCreateKeyExA(HKEY_CURRENT_USER, main.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                      nullptr);
    if (key != nullptr) ::RegCloseKey(key);
  }
  ~StartPageGuard() {
    const std::string main(kStartPageKey);
    if (parentCreated_) {
      ::RegDeleteTreeA(HKEY_CURRENT_USER, main.substr(0, main.rfind('\\')).c_str());
    } else if (mainCreated_) {
      ::RegDeleteTreeA(HKEY_CURRENT_USER, main.c_str());
    } else if (saved_) {
      registry_.SetValue(kCurrentUser, kStartPageKey, kStartPageValue, *saved_);
    } else {
      registry_.DeleteValue(kCurrentUser, kStartPageKey, kStartPageValue);
    }
  }
  StartPageGuard(const StartPageGuard&) = delete;
  StartPageGuard& operator=(const StartPageGuard&) = delete;

 private:
  static bool KeyExists(const std::string& path) {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    ::RegCloseKey(key);
    return true;
  }

  platform::win32::Win32Registry registry_;
  bool parentCreated_ = false;
  bool mainCreated_ = false;
  std::optional<RegistryValue> saved_;
};

class HomePageShieldOnWindows : public ::testing::Test {
 protected:
  ~HomePageShieldOnWindows() override {
    ::RegDeleteTreeA(HKEY_CURRENT_USER, ("Software\\VB and VBA Program Settings\\" + app).c_str());
  }
  void SetStartPage(std::string_view page) {
    ASSERT_EQ(registry.SetValue(kCurrentUser, kStartPageKey, kStartPageValue,
                                RegistryValue::String(page)),
              platform::kOk);
  }
  std::string StoredHomePage() const {
    return settings.Get(core::settings::kOptions, core::settings::kHomePage.name, "<none>");
  }

  StartPageGuard guard;
  std::string app = "KestrianHomePageTest" + std::to_string(::GetCurrentProcessId());
  platform::win32::Win32Registry registry;
  core::SettingsStore settings{registry, app};
  ui::FrmMain form;
  CountingProcessScan processScan;
  protect::MemoryShield memoryShield{form, settings, processScan};
  platform::VersionResource version{"Kestrian", "Kestrian Software", "www.kestrian.example", 1, 6};
  ScriptedAlert alert;
  protect::HomePageShield shield{form, settings, registry, version, alert, memoryShield};
};

TEST_F(HomePageShieldOnWindows, TheFirstTickRemembersTheStartPage) {
  SetStartPage(kHome);
  shield.Tick();
  EXPECT_EQ(StoredHomePage(), kHome);
  EXPECT_EQ(shield.CurrentStartPage(), kHome);
  EXPECT_TRUE(alert.messages.empty());
  EXPECT_TRUE(form.tmrCheckHomePage.Enabled());
}

TEST_F(HomePageShieldOnWindows, AnswersAndOptionsDecideWhatHappensToAChange) {
  const struct {
    const char* what;
    const char* saved;
    const char* notify;
    const char* silently;
    HomePageAnswer answer;
    std::size_t alerts;
    const char* startPageAfter;
    const char* storedAfter;
  } cases[] = {
      {"yes", kHome, "True", "False", HomePageAnswer::Keep, 1, kHome, kHome},
      {"no", kHome, "True", "False", HomePageAnswer::Change, 1, kHijacked, kHijacked},
      {"closed", kHome, "True", "False", HomePageAnswer::Dismissed, 1, kHijacked, kHome},
      {"silently", kHome, "False", "True", HomePageAnswer::Change, 0, kHome, kHome},
      {"left alone", kHome, "False", "False", HomePageAnswer::Keep, 0, kHijacked, kHome},
      {"letter case", "http://search.Hijacker.example/start.html", "True", "False",
       HomePageAnswer::Keep, 1, "http://search.Hijacker.example/start.html",
       "http://search.Hijacker.example/start.html"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    alert.messages.clear();
    alert.answer = c.answer;
    settings.Save(core::settings::kHomePage, c.saved);
    settings.Save(core::settings::kNotifyBeforeRestoring, c.notify);
    settings.Save(core::settings::kRestoreSilently, c.silently);
    SetStartPage(kHijacked);
    shield.Tick();
    ASSERT_EQ(alert.messages.size(), c.alerts);
    if (c.alerts == 1) {
      EXPECT_EQ(alert.messages[0], protect::HomePageChangedMessage("Kestrian", c.saved, kHijacked));
    }
    EXPECT_EQ(RealStartPage(), c.startPageAfter);
    EXPECT_EQ(StoredHomePage(), c.storedAfter);
    EXPECT_TRUE(form.tmrCheckHomePage.Enabled());
  }
}

TEST_F(HomePageShieldOnWindows, AMissingStartPageIsEmptyAndYesWritesItBack) {
  registry.DeleteValue(kCurrentUser, kStartPageKey, kStartPageValue);
  settings.Save(core::settings::kHomePage, kHome);
  alert.answer = HomePageAnswer::Keep;
  shield.Tick();
  ASSERT_EQ(alert.messages.size(), 1u);
  EXPECT_EQ(alert.messages[0], protect::HomePageChangedMessage("Kestrian", kHome, ""));
  EXPECT_EQ(RealStartPage(), kHome);
}

// A user on another thread: waits for the alert, reads it, then answers it with `act`.
class AlertUser {
 public:
  AlertUser(HWND owner, std::function<void(HWND alert)> act)
      : thread_([this, owner, act = std::move(act)] { Run(owner, act); }) {}
  ~AlertUser() { Join(); }
  AlertUser(const AlertUser&) = delete;
  AlertUser& operator=(const AlertUser&) = delete;
  void Join() {
    if (thread_.joinable()) thread_.join();
  }

  bool found = false;
  bool ownerEnabledWhileShown = true;
  bool topmost = false;
  RECT bounds{};
  std::vector<std::string> texts;  // the children's, in order
  std::vector<LONG_PTR> styles;

 private:
  void Run(HWND owner, const std::function<void(HWND)>& act) {
    // Found once shown: the window exists, hidden and without its controls, a little earlier.
    HWND alert = nullptr;
    for (int i = 0; i < 500 && alert == nullptr; ++i) {
      alert = ::FindWindowA("#32770", kTitle);
      if (alert != nullptr && !::IsWindowVisible(alert)) alert = nullptr;
      if (alert == nullptr) ::Sleep(10);
    }
    if (alert == nullptr) return;
    found = true;
    ownerEnabledWhileShown = owner != nullptr && ::IsWindowEnabled(owner) != FALSE;
    topmost = (::GetWindowLongPtrA(alert, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    ::GetWindowRect(alert, &bounds);
    for (HWND child = ::GetWindow(alert, GW_CHILD); child != nullptr;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
      texts.push_back(TextOf(child));
      styles.push_back(::GetWindowLongPtrA(child, GWL_STYLE));
    }
    act(alert);
  }

  std::thread thread_;
};

void Click(HWND alert, const char* caption) {
  ::PostMessageA(::FindWindowExA(alert, nullptr, "Button", caption), BM_CLICK, 0, 0);
}

// Keys go to the alert's focused control, which is Yes when it opens.
void Press(HWND alert, std::initializer_list<WPARAM> keys) {
  const HWND yes = ::FindWindowExA(alert, nullptr, "Button", "&Yes");
  HWND target = yes;
  for (const WPARAM key : keys) {
    ::PostMessageA(target, WM_KEYDOWN, key, 1);
    ::PostMessageA(target, WM_KEYUP, key, 0xC0000001);
    // Tab moves the focus on to No; a key posted to Yes would still reach the dialog.
    if (key == VK_TAB) target = ::FindWindowExA(alert, nullptr, "Button", "&No");
  }
}

class HomePageAlertWindowOnWindows : public ::testing::Test {
 protected:
  UniqueWindow owner = MakeOwner("Kestrian home page owner", false);  // in the tray
  app::Win32Host host;
  app::HomePageAlertWindow view{host, owner.get(), kProduct};
};

// Every shown alert costs two seconds under Wine without a window manager: each showing
// answers it in another way (Yes by a click is in the shield's test below).
TEST_F(HomePageAlertWindowOnWindows, ShowsTheMessageModallyAndEnterKeeps) {
  const std::string message = protect::HomePageChangedMessage(kProduct, kHome, kHijacked);
  AlertUser user(owner.get(), [](HWND alert) { Press(alert, {VK_RETURN}); });
  EXPECT_EQ(view.Ask(message), HomePageAnswer::Keep);
  user.Join();
  ASSERT_TRUE(user.found);
  EXPECT_FALSE(user.ownerEnabledWhileShown);
  EXPECT_TRUE(::IsWindowEnabled(owner.get()));
  EXPECT_TRUE(user.topmost);
  EXPECT_EQ(view.Handle(), nullptr);
  EXPECT_EQ(::FindWindowA("#32770", kTitle), nullptr);
  EXPECT_EQ(user.texts, (std::vector<std::string>{"", kProduct, message, "&Yes", "&No"}));
  ASSERT_EQ(user.styles.size(), 5u);
  EXPECT_EQ(user.styles[3] & BS_TYPEMASK, BS_DEFPUSHBUTTON);
  // The owner is hidden: the alert stands in the middle of the work area.
  RECT area{};
  ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  EXPECT_NEAR((user.bounds.left + user.bounds.right) / 2, (area.left + area.right) / 2, 2);
  EXPECT_NEAR((user.bounds.top + user.bounds.bottom) / 2, (area.top + area.bottom) / 2, 2);
}

TEST_F(HomePageAlertWindowOnWindows, TabEnterChangesAndEscapeOrTheCloseBoxDismiss) {
  const struct {
    const char* what;
    std::function<void(HWND)> act;
    HomePageAnswer answer;
  } cases[] = {
      {"Tab, Enter", [](HWND alert) { Press(alert, {VK_TAB, VK_RETURN}); }, HomePageAnswer::Change},
      {"Escape", [](HWND alert) { Press(alert, {VK_ESCAPE}); }, HomePageAnswer::Dismissed},
      {"close box", [](HWND alert) { ::PostMessageA(alert, WM_CLOSE, 0, 0); },
       HomePageAnswer::Dismissed},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    AlertUser user(owner.get(), c.act);
    EXPECT_EQ(view.Ask("The start page changed."), c.answer);
    user.Join();
    EXPECT_TRUE(user.found);
    EXPECT_TRUE(::IsWindowEnabled(owner.get()));
  }
}

TEST_F(HomePageAlertWindowOnWindows, NoChangesAndALongAddressMakesTheWindowTaller) {
  const std::string longPage = "http://search.hijacker.example/" + std::string(400, 'q') + ".html";
  const std::string message = protect::HomePageChangedMessage(kProduct, kHome, longPage);
  AlertUser user(owner.get(), [](HWND alert) { Click(alert, "&No"); });
  EXPECT_EQ(view.Ask(message), HomePageAnswer::Change);
  user.Join();
  ASSERT_TRUE(user.found);
  EXPECT_EQ(user.texts.at(2), message);
  const int dpi = app::ScreenDpi();
  EXPECT_GT(user.bounds.bottom - user.bounds.top,
            ::MulDiv(ui::FrmHomePageChangedAlert::kHeight, dpi, 1440));
}

TEST(HomePageShieldWithItsWindow, YesInTheRealAlertRestoresTheStartPage) {
  StartPageGuard guard;
  const std::string app = "KestrianHomePageTest" + std::to_string(::GetCurrentProcessId());
  platform::win32::Win32Registry registry;
  core::SettingsStore settings{registry, app};
  ui::FrmMain form;
  CountingProcessScan processScan;
  protect::MemoryShield memoryShield{form, settings, processScan};
  const platform::VersionResource version{kProduct, "", "", 1, 6};
  const UniqueWindow owner = MakeOwner("Kestrian home page owner", false);
  app::Win32Host host;
  app::HomePageAlertWindow view{host, owner.get(), kProduct};
  protect::HomePageShield shield{form, settings, registry, version, view, memoryShield};
  settings.Save(core::settings::kHomePage, kHome);
  registry.SetValue(kCurrentUser, kStartPageKey, kStartPageValue, RegistryValue::String(kHijacked));

  AlertUser user(owner.get(), [](HWND alert) { Click(alert, "&Yes"); });
  shield.Tick();
  user.Join();
  EXPECT_TRUE(user.found);
  EXPECT_EQ(user.texts.at(2), protect::HomePageChangedMessage(kProduct, kHome, kHijacked));
  EXPECT_EQ(RealStartPage(), kHome);
  EXPECT_TRUE(form.tmrCheckHomePage.Enabled());
  ::RegDeleteTreeA(HKEY_CURRENT_USER, ("Software\\VB and VBA Program Settings\\" + app).c_str());
}

}  // namespace
}  // namespace kestrian
