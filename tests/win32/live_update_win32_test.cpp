// Live Update on the real machine: real HTTP through the Internet settings' proxy to the
// test's update host on loopback, real files in a temporary application folder, and the
// real registry for the settings (under an application name of the test's own). The host
// serves versions R 12, F 7, E 30, C 5; host names choose its failures.
#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "core/settings_store.h"
#include "platform/win32/win32_machine.h"
#include "support/definition_versions.h"
#include "support/fake_machine.h"
#include "support/scripted_host.h"
#include "update/live_update.h"
#include "win32/proxy_setting.h"

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
  void Show() override { ++shown; }
  void Close() override {}
  ui::FrmSignatureUpdated& Form() override { return form; }
  ui::FrmSignatureUpdated form;
  int shown = 0;
};

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

void WriteFile(const fs::path& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
}

fs::path ServedTree() {
  const char* root = std::getenv("KESTRIAN_UPDATE_HOST_ROOT_WINDOWS");
  return root != nullptr ? fs::path(root) : fs::path();
}

class LiveUpdateOnWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(ServedTree().empty()) << "run through with_update_host.sh";
    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    appFolder = fs::path(temp) / ("kestrian-live-update-" + std::to_string(::GetCurrentProcessId()));
    fs::remove_all(appFolder);
    fs::create_directories(appFolder);
    for (const DefinitionKind& kind : kDefinitionKinds) WriteFile(appFolder / kind.localFile, kOldContent);
    folder = core::ApplicationFolder(appFolder.string());
    StoreVersions("12", "7", "30", "5");
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(appFolder, ignored);
    machine.Get().registry.DeleteTree(platform::roots::kCurrentUser,
                                      std::string("Software\\VB and VBA Program Settings\\") + kTestApplication);
  }

  void StoreVersions(const char* registry, const char* file, const char* exe, const char* cookie) {
    testing::StoreDefinitionVersions(settings, registry, file, exe, cookie);
  }
  std::string Setting(const char* key) { return settings.Get("OptionAndSettings", key, "<none>"); }

  // Runs the user-started update against the host named `site`.
  void RunAgainst(const char* site, UpdateTimeouts timeouts = {}) {
    version.comments = site;
    LiveUpdate update({form, settings, updateMachine, folder, host, version, progress, notice},
                      {[] {}, [] {}, [this] { ended = true; }}, timeouts);
    update.RunLiveUpdate();
  }

  // The folder holds the old definitions and nothing else: no holding file, no part of one.
  void ExpectNothingChanged() {
    std::size_t files = 0;
    for (const auto& entry : fs::directory_iterator(appFolder)) {
      ++files;
      EXPECT_EQ(ReadFile(entry.path()), kOldContent) << entry.path();
    }
    EXPECT_EQ(files, kDefinitionKinds.size());
  }

  platform::win32::Win32Machine machine;
  // The real web, files and registry; the restart helper's start is only recorded.
  testing::FakeDesktop desktop;
  platform::Machine updateMachine{machine.Get().registry, machine.Get().files, machine.Get().environment,
                                  machine.Get().clock,    machine.Get().processes, desktop,
                                  machine.Get().systemRestore, machine.Get().libraries, machine.Get().web,
                                  machine.Get().crypto};
  testing::ScriptedHost host;
  ui::FrmMain form;
  fs::path appFolder;
  core::ApplicationFolder folder{""};
  core::SettingsStore settings{machine.Get().registry, kTestApplication};
  platform::VersionResource version{"Kestrian", "Kestrian Software", "", 1, 6};
  NoProgressWindow progress;
  NoNoticeWindow notice;
  bool ended = false;
};

// Only the kind whose version differs is downloaded, into its holding file, byte for byte.
TEST_F(LiveUpdateOnWindows, TheKindWhoseVersionDiffersIsDownloadedAndTheProgramRestarts) {
  const std::string served = ReadFile(ServedTree() / "definitions/data/ExeDefinition.dat");
  ASSERT_FALSE(served.empty());
  StoreVersions("12", "7", "31", "5");
  RunAgainst("www.kestrian.example");
  EXPECT_TRUE(ended);
  EXPECT_EQ(ReadFile(appFolder / "DLExeDefinition.dat"), served);
  EXPECT_EQ(ReadFile(appFolder / "ExeDefinition.dat"), kOldContent);
  for (const char* other : {"DLRegistryDefinition.dat", "DLFileDefinition.dat", "DLBlockedCookies.dat",
                            "DLExeDefinition.dat.download"}) {
    EXPECT_FALSE(fs::exists(appFolder / other)) << other;
  }
  EXPECT_EQ(Setting("EXEDefinition"), "30");
  EXPECT_EQ(Setting("SHOW"), "True");
  EXPECT_EQ(Setting("RESTART"), "True");
  ASSERT_FALSE(desktop.commands.empty());
  EXPECT_EQ(desktop.commands.back().line, "\"" + (appFolder / "AppRestart.exe").string() + "\"");
  EXPECT_TRUE(host.Messages().empty());
}

// Nothing new, or hosts that fail in each way the network can, or serve what the signed
// manifest does not name: the old files and versions stay, nothing half-done is left, and
// the user hears why.
TEST_F(LiveUpdateOnWindows, NothingNewOrAFailingHostLosesNothing) {
  const std::string mostRecent = "You are using the most recent definition list (version 29).";
  const std::string failed = "Definitions could not be downloaded.  Please check your internet connection.";
  const std::string refused = "The new executable definitions were not downloaded: ";
  struct Case {
    const char* site;
    const char* stored;      // the executable kind's version
    bool downloadAttempted;  // the page was read, the data file failed
    std::string message;     // the start of the last message
  };
  const Case cases[] = {
      {"www.kestrian.example", "30", false, "You are using the most recent definition list (version 30)."},
      {"www.missing.example", "29", false, mostRecent},    // 404 for everything
      {"www.errorpage.example", "29", false, mostRecent},  // an error page that also names a version
      {"www.garbage.example", "29", false, mostRecent},    // text after the number
      {"www.slow.example", "29", false, mostRecent},       // connects, never answers
      {"www.cut.example", "29", true, failed},             // the data file stops half-way and closes
      {"www.stall.example", "29", true, failed},           // the data file stops half-way and hangs
      {"www.tampered.example", "29", false, refused + "their content is not what"},
      {"www.nolength.example", "29", false, refused + "they arrived with "},  // half, and no length
      {"www.oversize.example", "29", false, refused + "the update server sent more than"},
      {"www.stale.example", "29", false, refused + "the update server announces version 30, but its signed list names version 29."},
      {"www.untrusted.example", "29", false, "Live Update could not check the definitions on the update server"},
  };
  for (const Case& c : cases) {
    StoreVersions("12", "7", c.stored, "5");
    machine.Get().registry.DeleteValue(platform::roots::kCurrentUser,
                                       core::SettingsStore::SectionPath(kTestApplication, "OptionAndSettings"), "RESTART");
    ended = false;
    const std::size_t messagesBefore = host.Messages().size();
    const DWORD started = ::GetTickCount();
    RunAgainst(c.site, {std::chrono::milliseconds(2000), std::chrono::milliseconds(2000)});
    const DWORD took = ::GetTickCount() - started;
    ExpectNothingChanged();
    EXPECT_EQ(Setting("EXEDefinition"), c.stored) << c.site;
    EXPECT_TRUE(c.downloadAttempted || Setting("RESTART") == "<none>") << c.site;
    EXPECT_EQ(ended, c.downloadAttempted) << c.site;  // a failed download still restarts
    ASSERT_EQ(host.Messages().size(), messagesBefore + 1) << c.site;
    EXPECT_TRUE(host.Messages().back().text.starts_with(c.message)) << c.site << ": " << host.Messages().back().text;
    // Four pages of at most two seconds each, and a download that stalls for two: well short
    // of the thirty seconds of the default stall, which would mean the limits were not passed.
    EXPECT_LT(took, 25000u) << c.site;
  }
}

// No host at all: the proxy the Internet settings name does not answer. Every kind is
// skipped at once and the user hears that the definitions are current.
TEST_F(LiveUpdateOnWindows, AHostThatCannotBeReachedSkipsEveryKindAtOnce) {
  StoreVersions("12", "7", "29", "5");
  const testing::ProxyServerSetting downProxy("127.0.0.1:" + std::to_string(testing::ClosedPort()));
  const DWORD started = ::GetTickCount();
  RunAgainst("www.kestrian.example");
  EXPECT_LT(::GetTickCount() - started, 30000u);  // no page time-out (a minute) was waited for
  EXPECT_FALSE(ended);
  ExpectNothingChanged();
  EXPECT_EQ(form.lblWebText.Caption(), " page can not be displayed ");
  ASSERT_EQ(host.Messages().size(), 1u);
  EXPECT_EQ(host.Messages()[0].text, "You are using the most recent definition list (version 29).");
}

}  // namespace
}  // namespace kestrian::update
