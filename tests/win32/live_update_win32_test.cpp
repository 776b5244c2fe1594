// Live Update's time limits reaching the real web: real HTTP through the Internet settings'
// proxy to the test's update host on loopback, real files in a temporary application folder,
// the real registry for the settings (under an application name of the test's own). The host
// serves versions R 12, F 7, E 30, C 5; host names choose its failures. (What each failure
// means is the unit tests'; a good update is e2e_live_update's.)
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/settings_store.h"
#include "platform/win32/win32_machine.h"
#include "support/definition_versions.h"
#include "support/fake_machine.h"
#include "support/scripted_host.h"
#include "update/live_update.h"

namespace kestrian::update {
namespace {

namespace fs = std::filesystem;

constexpr const char* kOldContent = "old definitions\r\n";
constexpr const char* kTestApplication = "KestrianLiveUpdateTest";

class NoProgressWindow final : public ProgressWindow {
 public:
  void Show() override {}
  void LoadHidden() override {}
  void Close() override {}
  ui::FrmDownload& Form() override { return form; }
  ui::FrmDownload form;
};

class NoNoticeWindow final : public NoticeWindow {
 public:
  void Show() override {}
  void Close() override {}
  ui::FrmSignatureUpdated& Form() override { return form; }
  ui::FrmSignatureUpdated form;
};

// Hosts that never answer a page, or stop sending a data file: the limits given are the
// ones waited for, the old files and versions stay, nothing half-done is left, and the user
// hears why.
TEST(LiveUpdateOnWindows, AHostThatStopsAnsweringIsGivenUpAtTheLimitsAndLosesNothing) {
  ASSERT_NE(std::getenv("KESTRIAN_UPDATE_HOST_ROOT_WINDOWS"), nullptr) << "run through with_update_host.sh";
  platform::win32::Win32Machine machine;
  platform::FileSystem& files = machine.Get().files;
  testing::FakeDesktop desktop;  // the restart helper's start is only recorded
  platform::Machine updateMachine{machine.Get().registry, files, machine.Get().environment,
                                  machine.Get().clock, machine.Get().processes, desktop,
                                  machine.Get().systemRestore, machine.Get().libraries, machine.Get().web,
                                  machine.Get().crypto};
  char temp[MAX_PATH] = {};
  ::GetTempPathA(MAX_PATH, temp);
  const fs::path appFolder = fs::path(temp) / ("kestrian-live-update-" + std::to_string(::GetCurrentProcessId()));
  fs::remove_all(appFolder);
  fs::create_directories(appFolder);
  for (const DefinitionKind& kind : kDefinitionKinds) files.WriteAll((appFolder / kind.localFile).string(), kOldContent);
  const core::ApplicationFolder folder(appFolder.string());
  core::SettingsStore settings{machine.Get().registry, kTestApplication};
  testing::ScriptedHost host;
  ui::FrmMain form;
  NoProgressWindow progress;
  NoNoticeWindow notice;

  const std::string failed = "Definitions could not be downloaded.  Please check your internet connection.";
  const struct {
    const char* site;
    bool downloadAttempted;  // the page was read, the data file failed
    std::string message;     // the start of the last message
  } cases[] = {
      {"www.slow.example", false, "You are using the most recent definition list (version 29)."},
      {"www.cut.example", true, failed},    // the data file stops half-way and closes
      {"www.stall.example", true, failed},  // the data file stops half-way and hangs
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.site);
    testing::StoreDefinitionVersions(settings, "12", "7", "29", "5");
    machine.Get().registry.DeleteValue(platform::roots::kCurrentUser,
                                       core::SettingsStore::SectionPath(kTestApplication, "OptionAndSettings"), "RESTART");
    bool ended = false;
    const std::size_t messagesBefore = host.Messages().size();
    const platform::VersionResource version{"Kestrian", "Kestrian Software", c.site, 1, 6};
    LiveUpdate update({form, settings, updateMachine, folder, host, version, progress, notice},
                      {[] {}, [] {}, [&] { ended = true; }},
                      {std::chrono::milliseconds(2000), std::chrono::milliseconds(2000)});
    const DWORD started = ::GetTickCount();
    update.RunLiveUpdate();
    // Four pages of at most two seconds each, and a download that stalls for two: well short
    // of the thirty seconds of the default stall, which would mean the limits were not passed.
    EXPECT_LT(::GetTickCount() - started, 25000u);
    // The folder holds the old definitions and nothing else: no holding file, no part of one.
    std::size_t count = 0;
    for (const auto& entry : fs::directory_iterator(appFolder)) {
      ++count;
      EXPECT_EQ(files.ReadAll(entry.path().string()).value_or("<unread>"), kOldContent) << entry.path();
    }
    EXPECT_EQ(count, kDefinitionKinds.size());
    EXPECT_EQ(settings.Get("OptionAndSettings", "EXEDefinition", "<none>"), "29");
    EXPECT_TRUE(c.downloadAttempted || settings.Get("OptionAndSettings", "RESTART", "<none>") == "<none>");
    EXPECT_EQ(ended, c.downloadAttempted);  // a failed download still restarts
    ASSERT_EQ(host.Messages().size(), messagesBefore + 1);
    EXPECT_TRUE(host.Messages().back().text.starts_with(c.message)) << host.Messages().back().text;
  }
  fs::remove_all(appFolder);
  machine.Get().registry.DeleteTree(platform::roots::kCurrentUser,
                                    std::string("Software\\VB and VBA Program Settings\\") + kTestApplication);
}

}  // namespace
}  // namespace kestrian::update
