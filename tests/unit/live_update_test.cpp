#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "core/settings_store.h"
#include "support/definition_versions.h"
#include "support/fake_machine.h"
#include "support/scripted_host.h"
#include "signed_manifest.h"
#include "update/download_animation.h"
#include "update/live_update.h"
#include "update/update_notice.h"

namespace kestrian::update {
namespace {

constexpr const char* kBase = "http://www.kestrian.example";
constexpr char kDownloadFailed[] = "Definitions could not be downloaded.  Please check your internet connection.";

template <class Window, class WindowForm>
class RecordingWindow : public Window {
 public:
  void Show() override { events.push_back("show"); }
  void Close() override { events.push_back("close"); }
  WindowForm& Form() override { return form; }
  WindowForm form;
  std::vector<std::string> events;
};

class RecordingProgressWindow final : public RecordingWindow<ProgressWindow, ui::FrmDownload> {
 public:
  void LoadHidden() override { events.push_back("load hidden"); }
};
using RecordingNoticeWindow = RecordingWindow<NoticeWindow, ui::FrmSignatureUpdated>;

std::string VersionPage(int version) {
  return "<html><body><p>Defination version : " + std::to_string(version) + "</p></body></html>";
}

// The versions the host announces, kind by kind, in the order of kDefinitionKinds.
constexpr std::pair<const char*, int> kAnnounced[] = {{"R", 12}, {"F", 7}, {"E", 30}, {"C", 5}};

// A machine with the program's old files: its executable definitions are one version behind.
struct LiveUpdateWorld {
  LiveUpdateWorld() {
    for (const auto& [letter, number] : kAnnounced) {
      machine.web.ServePage(std::string(kBase) + "/definitions/version/" + letter + ".HTM", VersionPage(number));
    }
    for (const DefinitionKind& kind : kDefinitionKinds) {
      machine.web.downloads[std::string(kBase) + std::string(kind.dataPath)] = {
          "new " + std::string(kind.localFile), true};
      machine.files.PutFile(folder.FilePath(kind.localFile), "old");
    }
    testing::StoreDefinitionVersions(settings, "12", "7", "29", "5");
    ServeManifest(Manifest());
  }

  // The manifest of what the host serves: each data file with the version its page announces.
  update::Manifest Manifest() const {
    update::Manifest manifest;
    for (std::size_t i = 0; i < kDefinitionKinds.size(); ++i) {
      const std::string file(kDefinitionKinds[i].localFile);
      manifest.entries.push_back(testing::EntryFor(file, kAnnounced[i].second, "new " + file));
    }
    return manifest;
  }
  void ServeManifest(const update::Manifest& manifest, const std::string* signature = nullptr) {
    const std::string text = update::FormatManifest(manifest);
    machine.web.ServePage(std::string(kBase) + std::string(kManifestPath), text);
    machine.web.ServePage(std::string(kBase) + std::string(kManifestSignaturePath),
                          signature != nullptr ? *signature : testing::Sign(text));
  }

  std::string Setting(const char* key) { return settings.Get("OptionAndSettings", key, "<none>"); }
  std::vector<std::string> Downloads() const {
    std::vector<std::string> files;
    for (const std::string& request : machine.web.requests) {
      if (request.find("/data/") != std::string::npos) files.push_back(request.substr(request.rfind('/') + 1));
    }
    return files;
  }
  std::optional<std::string> File(std::string_view name) { return machine.files.Content(folder.FilePath(name)); }

  testing::FakeMachine machine;
  testing::ScriptedHost host;
  ui::FrmMain form;
  core::ApplicationFolder folder{"C:\\Program Files\\Kestrian"};
  core::SettingsStore settings{machine.registry, "Kestrian"};
  platform::VersionResource version{"Kestrian", "Kestrian Software", "www.kestrian.example", 1, 6};
  RecordingProgressWindow progress;
  RecordingNoticeWindow notice;
  std::vector<std::string> programEvents;
  LiveUpdate update{{form, settings, machine.Get(), folder, host, version, progress, notice},
                    {[this] { programEvents.push_back("main tray icon removed"); },
                     [this] { programEvents.push_back("main tray icon refreshed"); },
                     [this] { programEvents.push_back("ended"); }},
                    {std::chrono::milliseconds(31000), std::chrono::milliseconds(32000), std::chrono::milliseconds(603000)}};
};

class LiveUpdateTest : public ::testing::Test, public LiveUpdateWorld {};

TEST_F(LiveUpdateTest, OnlyTheKindsWhoseVersionDiffersOrWhoseFileIsMissingAreDownloaded) {
  const struct {
    const char* exeVersion;
    bool cookieFilePresent;
    std::vector<std::string> downloads;
  } cases[] = {
      {"29", true, {"ExeDefinition.dat"}},
      {"31", true, {"ExeDefinition.dat"}},  // any difference counts, older or newer
      {"30", false, {"BlockedCookies.dat"}},
      {"30", true, {}},
      {"not a number", true, {"ExeDefinition.dat"}},
  };
  for (const auto& c : cases) {
    machine.web.requests.clear();
    testing::StoreDefinitionVersions(settings, "12", "7", c.exeVersion, "5");
    if (!c.cookieFilePresent) machine.files.Delete(folder.FilePath("BlockedCookies.dat"));
    form.cmdLiveUpdate.SetEnabled(false);
    EXPECT_EQ(update.CheckForUpdates(), !c.downloads.empty()) << c.exeVersion;
    EXPECT_EQ(Downloads(), c.downloads) << c.exeVersion;
    machine.files.PutFile(folder.FilePath("BlockedCookies.dat"), "old");
  }
}

// Two kinds changed: the signed manifest is fetched once for both.
TEST_F(LiveUpdateTest, ADownloadFillsTheHoldingFileAndRecordsTheVersionThenTheProgramRestarts) {
  testing::StoreDefinitionVersions(settings, "11", "7", "29", "5");
  form.tmrCheckHomePage.SetEnabled(true);
  update.RunLiveUpdate();

  EXPECT_EQ(File("DLExeDefinition.dat"), "new ExeDefinition.dat");
  EXPECT_EQ(File("ExeDefinition.dat"), "old");  // installed at the next start
  EXPECT_FALSE(File("DLExeDefinition.dat.download"));
  EXPECT_EQ(Setting("EXEDefinition"), "30");
  EXPECT_EQ(Downloads(), (std::vector<std::string>{"RegistryDefinition.dat", "ExeDefinition.dat"}));
  EXPECT_EQ(std::count(machine.web.requests.begin(), machine.web.requests.end(),
                       std::string(kBase) + std::string(kManifestPath)), 1);
  EXPECT_EQ(machine.web.lastLimits.maxBytes, std::string("new ExeDefinition.dat").size());
  EXPECT_EQ(Setting("Signature Update Date"), machine.clock.now);
  EXPECT_EQ(Setting("SHOW"), "True");
  EXPECT_EQ(Setting("RESTART"), "True");
  EXPECT_EQ(machine.desktop.commands,
            (std::vector<testing::FakeDesktop::Command>{
                {"\"C:\\Program Files\\Kestrian\\AppRestart.exe\"", platform::show_styles::kNormal}}));
  EXPECT_GE(host.Yields(), kRestartYields);
  EXPECT_EQ(progress.events, (std::vector<std::string>{"show", "close", "close"}));
  EXPECT_EQ(programEvents, (std::vector<std::string>{"main tray icon removed", "ended"}));
  EXPECT_TRUE(host.Messages().empty());
  EXPECT_FALSE(form.tmrCheckHomePage.Enabled());  // the program ends with its timers disarmed
  // The limits given, each where it belongs.
  EXPECT_EQ(machine.web.lastTimeout, std::chrono::milliseconds(31000));
  EXPECT_EQ(machine.web.lastLimits.stall, std::chrono::milliseconds(32000));
  EXPECT_EQ(machine.web.lastLimits.total, std::chrono::milliseconds(603000));
}

// Neither a scan that runs nor a check that runs lets another check start.
TEST_F(LiveUpdateTest, NothingNewGivesTheMostRecentMessageWithTheStoredExecutableVersion) {
  testing::StoreDefinitionVersions(settings, "12", "7", "30", "5");
  settings.Save("OptionAndSettings", "optIEHomePageSheildOn", "True");
  form.cmdScanNow.SetEnabled(false);
  update.RunLiveUpdate();
  EXPECT_TRUE(machine.web.requests.empty());
  form.cmdScanNow.SetEnabled(true);
  host.AtYield(3, [this] { update.RunLiveUpdate(); });
  host.AtYield(4, [this] { update.AutoUpdate(); });
  update.RunLiveUpdate();
  EXPECT_FALSE(update.Running());
  ASSERT_EQ(host.Messages().size(), 1u);
  EXPECT_EQ(host.Messages()[0].text, "You are using the most recent definition list (version 30).");
  EXPECT_EQ(host.Messages()[0].title, "Kestrian Demo");
  EXPECT_EQ(host.Messages()[0].icon, ui::MessageIcon::None);
  EXPECT_TRUE(machine.desktop.commands.empty() && programEvents.empty());
  EXPECT_TRUE(form.cmdLiveUpdate.Enabled() && form.tmrCheckHomePage.Enabled());  // armed again
  EXPECT_EQ(Setting("RESTART"), "<none>");
  EXPECT_EQ(machine.web.requests.size(), 4u);  // the four pages, no manifest
  update.AutoUpdate();
  EXPECT_TRUE(notice.events.empty());
  EXPECT_EQ(host.Messages().size(), 1u);
}

// Pages that say nothing usable skip their kind; all four skipped is "nothing new".
TEST_F(LiveUpdateTest, APageThatSaysNoUsableVersionSkipsItsKind) {
  using Outcome = platform::WebPage::Outcome;
  const struct {
    const char* what;
    platform::WebPage page;
    const char* webText;
  } cases[] = {
      {"unreachable", {Outcome::Unreachable, 0, ""}, " page can not be displayed "},
      {"timed out", {Outcome::TimedOut, 0, ""}, " page can not be displayed "},
      {"not found with a marker", {Outcome::Answered, 404, VersionPage(31)}, ""},
      {"error page", {Outcome::Answered, 200, "The page cannot be displayed. " + VersionPage(31)},
       " page can not be displayed "},
      {"no marker", {Outcome::Answered, 200, "<p>Welcome</p>"}, ""},
  };
  for (const auto& c : cases) {
    form.lblWebText.SetCaption("");
    machine.web.requests.clear();
    machine.web.pages[std::string(kBase) + "/definitions/version/E.HTM"] = c.page;
    form.cmdLiveUpdate.SetEnabled(false);
    EXPECT_FALSE(update.CheckForUpdates()) << c.what;
    EXPECT_TRUE(Downloads().empty()) << c.what;
    EXPECT_EQ(machine.web.requests.size(), 4u) << c.what;  // the other kinds were still asked
    EXPECT_EQ(form.lblWebText.Caption(), c.webText) << c.what;
  }
}

// The last row: the holding file is held open by another program (a scanner reading it), so
// the complete transfer cannot take its place; it is thrown away.
TEST(LiveUpdateFailedDownloadTest, AFailedDownloadKeepsTheOldFilesShowsItsMessageAndStillRestarts) {
  const struct {
    const char* what;
    std::size_t kind;
    std::optional<testing::FakeWeb::Download> answer;  // none: the host cannot be reached
    const char* message;
    bool held = false;
  } cases[] = {
      {"registry, unreachable", 0, std::nullopt,
       "Definitions could not be downloaded. Please check your internet connection."},  // one space, as it always was
      {"file, cut", 1, testing::FakeWeb::Download{"new file data", false}, kDownloadFailed},
      {"exe, cut", 2, testing::FakeWeb::Download{"new exe data", false}, kDownloadFailed},
      {"cookie, unreachable", 3, std::nullopt, kDownloadFailed},
      {"exe, held", 2, testing::FakeWeb::Download{"new ExeDefinition.dat", true}, kDownloadFailed, true},
  };
  for (const auto& c : cases) {
    LiveUpdateWorld w;
    const DefinitionKind& kind = kDefinitionKinds[c.kind];
    const std::string url = std::string(kBase) + std::string(kind.dataPath);
    const std::string holding = w.folder.FilePath("DL" + std::string(kind.localFile));
    w.machine.web.downloads.erase(url);
    if (c.answer) w.machine.web.downloads[url] = *c.answer;
    w.machine.files.PutFile(holding, "complete earlier download");
    w.machine.files.HoldSharingReads(holding, c.held);
    w.settings.Save("OptionAndSettings", kind.versionKey, "3");
    w.machine.files.Delete(w.folder.FilePath(kind.localFile));
    w.form.cmdLiveUpdate.SetEnabled(false);

    EXPECT_TRUE(w.update.CheckForUpdates()) << c.what;  // a failed download still counts

    w.machine.files.HoldSharingReads(holding, false);
    EXPECT_EQ(w.machine.files.Content(holding), "complete earlier download") << c.what;
    EXPECT_FALSE(w.machine.files.Exists(holding + ".download")) << c.what;
    EXPECT_EQ(w.Setting(std::string(kind.versionKey).c_str()), "3") << c.what;
    ASSERT_EQ(w.host.Messages().size(), 1u) << c.what;
    EXPECT_EQ(w.host.Messages()[0].text, c.message) << c.what;
    EXPECT_EQ(w.host.Messages()[0].icon, ui::MessageIcon::Critical) << c.what;
    EXPECT_EQ(w.host.Messages()[0].title, "Kestrian") << c.what;
  }
}

// Nothing reaches a holding file that the publisher did not sign as it arrived: each way a
// host can differ from its signed manifest keeps every file and stored version and says why.
TEST_F(LiveUpdateTest, WhatTheSignedManifestDoesNotVouchForIsNotDownloaded) {
  const std::string exeUrl = std::string(kBase) + "/definitions/data/ExeDefinition.dat";
  const std::string why = "The new executable definitions were not downloaded: ";
  const std::string stays = " The definitions in use stay as they are.";
  const std::string manifestRefused =
      "Live Update could not check the definitions on the update server: their signed list is missing or "
      "its signature is not valid. Nothing was downloaded.";
  struct Case {
    const char* what;
    std::function<void(LiveUpdateWorld&)> arrange;
    std::string message;
    bool downloadAsked;
  };
  auto withManifest = [](std::function<void(update::Manifest&)> change) {
    return [change](LiveUpdateWorld& w) {
      update::Manifest manifest = w.Manifest();
      change(manifest);
      w.ServeManifest(manifest);
    };
  };
  const Case cases[] = {
      {"a changed byte in the data file",
       [&](LiveUpdateWorld& w) { w.machine.web.downloads[exeUrl].bytes = "new ExeDefinition.daT"; },
       why + "their content is not what the update server's signed list names." + stays, true},
      {"cut short without a length",
       [&](LiveUpdateWorld& w) { w.machine.web.downloads[exeUrl] = {"new ExeDefinition.dat", false, false}; },
       why + "they arrived with 10 bytes, but the update server's signed list names 21." + stays, true},
      {"more than the manifest names",
       [&](LiveUpdateWorld& w) { w.machine.web.downloads[exeUrl].bytes += " and more"; },
       why + "the update server sent more than its signed list names." + stays, true},
      {"a stale manifest", withManifest([](update::Manifest& m) { m.entries[2].version = 29; }),
       why + "the update server announces version 30, but its signed list names version 29." + stays, false},
      {"a kind missing from the manifest", withManifest([](update::Manifest& m) { m.entries.erase(m.entries.begin() + 2); }),
       why + "the update server's signed list does not name them." + stays, false},
      {"over the size limit", withManifest([](update::Manifest& m) { m.entries[2].size = (64u << 20) + 1; }),
       why + "they are larger than the 64 MiB a definition file may have." + stays, false},
      {"a changed byte in the manifest",
       [](LiveUpdateWorld& w) {
         const std::string signature = testing::Sign(update::FormatManifest(w.Manifest()));
         update::Manifest changed = w.Manifest();
         changed.entries[2].sha256[0] ^= 1;
         w.ServeManifest(changed, &signature);
       },
       manifestRefused, false},
      {"no manifest", [](LiveUpdateWorld& w) { w.machine.web.pages.erase(std::string(kBase) + std::string(kManifestPath)); },
       manifestRefused, false},
  };
  for (const auto& c : cases) {
    LiveUpdateWorld world;
    world.settings.Save("OptionAndSettings", "EXEDefinition.installed", "29");
    c.arrange(world);
    world.update.RunLiveUpdate();
    EXPECT_TRUE(world.programEvents.empty()) << c.what << ": nothing was obtained, nothing restarts";
    ASSERT_EQ(world.host.Messages().size(), 1u) << c.what;  // not "the most recent" as well
    EXPECT_EQ(world.host.Messages()[0].text, c.message) << c.what;
    EXPECT_EQ(world.Downloads().size(), c.downloadAsked ? 1u : 0u) << c.what;
    EXPECT_EQ(world.Setting("EXEDefinition"), "29") << c.what;
    EXPECT_EQ(world.Setting("EXEDefinition.installed"), "29") << c.what;
    EXPECT_EQ(world.File("ExeDefinition.dat"), "old") << c.what;
    EXPECT_FALSE(world.File("DLExeDefinition.dat") || world.File("DLExeDefinition.dat.download")) << c.what;
  }
}

// What the progress window says, change by change: each kind's check (cleared while its
// page loads), and the download of the one kind that changed.
TEST_F(LiveUpdateTest, TheProgressWindowSaysWhatTheCheckDoes) {
  std::vector<std::string> seen;  // the caption at each yield, when it changed
  for (int yield = 1; yield < 100; ++yield) {
    host.AtYield(yield, [&] {
      const std::string caption = progress.form.lblStatus.Caption();
      if (seen.empty() || seen.back() != caption) seen.push_back(caption);
    });
  }
  form.cmdLiveUpdate.SetEnabled(false);
  update.CheckForUpdates();
  EXPECT_EQ(seen, (std::vector<std::string>{
                             "Checking Registry Definition Version...", "",
                             "Checking File Definition Version...", "",
                             "Checking Executable Definition Version...", "",
                             "Getting Executable Definitions... please wait...",
                             "Checking Cookie Definition Version...", ""}));
}

TEST_F(LiveUpdateTest, TheAddressListNamesThePagesThenTheDataFiles) {
  EXPECT_EQ(update.UpdateAddresses(),
            "http://www.kestrian.example/definitions/version/R.HTM\r\n"
            "http://www.kestrian.example/definitions/version/F.HTM\r\n"
            "http://www.kestrian.example/definitions/version/E.HTM\r\n"
            "http://www.kestrian.example/definitions/version/C.HTM\r\n"
            "http://www.kestrian.example/definitions/data/BlockedCookies.dat\r\n"
            "http://www.kestrian.example/definitions/data/RegistryDefinition.dat\r\n"
            "http://www.kestrian.example/definitions/data/FileDefinition.dat\r\n"
            "http://www.kestrian.example/definitions/data/ExeDefinition.dat\r\n");
  update.ShowUpdateUrls(false);
  EXPECT_TRUE(host.Messages().empty());
  update.ShowUpdateUrls(true);
  ASSERT_EQ(host.Messages().size(), 1u);
  EXPECT_EQ(host.Messages()[0].text, update.UpdateAddresses());
  EXPECT_EQ(host.Messages()[0].title, "Kestrian Demo");
}

TEST_F(LiveUpdateTest, AnUnattendedUpdateRunsAfterThreeHundredIdleSecondsAndItsNoticesOkRestarts) {
  form.timUpdate.SetEnabled(true);
  form.cmdScanNow.SetEnabled(false);  // a scan runs: its seconds do not count
  for (int second = 0; second < 50; ++second) update.IdleTick();
  EXPECT_EQ(update.IdleUpdateCount(), 0);
  form.cmdScanNow.SetEnabled(true);
  for (int second = 0; second < 300; ++second) update.IdleTick();
  EXPECT_EQ(update.IdleUpdateCount(), 300);
  EXPECT_TRUE(machine.web.requests.empty());

  update.IdleTick();

  EXPECT_EQ(update.IdleUpdateCount(), 0);
  EXPECT_FALSE(form.timUpdate.Enabled());
  EXPECT_EQ(Downloads(), std::vector<std::string>{"ExeDefinition.dat"});
  EXPECT_EQ(progress.events, (std::vector<std::string>{"load hidden", "close"}));
  EXPECT_EQ(notice.events, std::vector<std::string>{"show"});
  EXPECT_TRUE(host.Messages().empty());  // unattended: no "most recent" message either way
  EXPECT_EQ(Setting("RESTART"), "<none>");  // the notice's OK action writes it

  // OK writes the handshake, starts the helper hidden and ends the program.
  notice.form.tmrPopupSignatureUpdate.SetEnabled(true);
  update.NoticeOk();
  EXPECT_EQ(Setting("SHOW"), "false");
  EXPECT_EQ(Setting("RESTART"), "True");
  EXPECT_FALSE(notice.form.tmrPopupSignatureUpdate.Enabled());
  EXPECT_EQ(machine.desktop.commands,
            (std::vector<testing::FakeDesktop::Command>{
                {"\"C:\\Program Files\\Kestrian\\AppRestart.exe\"", platform::show_styles::kHidden}}));
  EXPECT_GE(host.Yields(), kRestartYields);
  EXPECT_EQ(notice.events, (std::vector<std::string>{"show", "close"}));
  EXPECT_EQ(programEvents,
            (std::vector<std::string>{"main tray icon refreshed", "main tray icon removed", "ended"}));
}

// A program that cannot hand over to its restart helper must not end: nothing would start
// it again. It says so and goes on; the downloads stay as holding files for the next start.
TEST(LiveUpdateRestartTest, AnUpdateThatCannotRestartTheProgramSaysSoAndGoesOnRunning) {
  const auto expectGoesOn = [](LiveUpdateWorld& world, const char* name) {
    EXPECT_EQ(std::count(world.programEvents.begin(), world.programEvents.end(), "ended"), 0) << name;
    ASSERT_EQ(world.host.Messages().size(), 1u) << name;
    EXPECT_EQ(world.host.Messages()[0].text,
              "Kestrian could not restart itself to install the new definitions. They will be "
              "installed the next time Kestrian starts.") << name;
    EXPECT_NE(world.Setting("RESTART"), "True") << name << ": the helper must not restart later";
    EXPECT_EQ(world.File("DLExeDefinition.dat"), "new ExeDefinition.dat") << name;
    EXPECT_TRUE(world.form.tmrCheckHomePage.Enabled()) << name << ": the shields run again";
  };
  LiveUpdateWorld helperMissing;
  helperMissing.settings.Save("OptionAndSettings", "optIEHomePageSheildOn", "True");
  helperMissing.machine.desktop.runStatus = platform::kFileNotFound;
  helperMissing.update.RunLiveUpdate();
  EXPECT_TRUE(helperMissing.form.cmdLiveUpdate.Enabled());
  expectGoesOn(helperMissing, "helper missing, Live Update");
  LiveUpdateWorld readOnly;  // the notice's OK cannot write RESTART
  readOnly.settings.Save("OptionAndSettings", "optIEHomePageSheildOn", "True");
  readOnly.update.AutoUpdate();
  ASSERT_EQ(readOnly.notice.events, std::vector<std::string>{"show"});
  EXPECT_FALSE(readOnly.form.tmrCheckHomePage.Enabled()) << "no shield run before the OK";
  readOnly.machine.registry.MakeReadOnly(platform::roots::kCurrentUser,
                                         "Software\\VB and VBA Program Settings\\Kestrian\\OptionAndSettings");
  readOnly.update.NoticeOk();
  EXPECT_EQ(readOnly.notice.events, (std::vector<std::string>{"show", "close"}));
  expectGoesOn(readOnly, "settings read-only, notice");
}

TEST(UpdateNoticeTest, RisesFromBehindTheTaskbarToRestAboveItThenSinksOutOfSight) {
  ui::FrmSignatureUpdated form;
  LoadNotice(form, {800, 600, 0, 300}, "Kestrian");
  EXPECT_EQ(form.window.Top(), 8700);  // without a taskbar: at the bottom edge
  LoadNotice(form, {1024, 768, 30, 300}, "Kestrian");
  EXPECT_EQ(form.window.Left(), 10643);  // (1024 - 300) x 14.7, against the right edge
  EXPECT_GT(form.window.Top(), form.popupTargetTop);
  EXPECT_EQ(form.lblUpdateInfo.Caption(),
            "All Kestrian signatures have been updated automatically.  You are now protected from "
            "new malicious applications.  Kestrian will now be restarted.");
  for (int tick = 0; tick < 1000 && form.tmrPopupSignatureUpdate.Enabled(); ++tick) RiseTick(form);
  EXPECT_FALSE(form.tmrPopupSignatureUpdate.Enabled());
  EXPECT_LE(form.window.Top(), form.popupTargetTop);
  EXPECT_GT(form.window.Top() + 20, form.popupTargetTop);  // stops where it reaches its place
  EXPECT_TRUE(form.tmrEnablePopDownTimer.Enabled());
  RestTick(form);
  EXPECT_TRUE(form.tmrPopDown.Enabled());
  for (int tick = 0; tick < 1000 && !SinkTick(form); ++tick) {}
  EXPECT_GT(form.window.Top(), kSinkLimit);
  EXPECT_FALSE(form.tmrPopDown.Enabled());
}

// Each step's text in turn, the blink text between them, the two images taking turns.
TEST(DownloadAnimationTest, StepsAlternateWithTheBlinkAndTheCycleTakesFifteenTicks) {
  ui::FrmDownload form;
  StartDownloadAnimation(form);
  EXPECT_TRUE(form.tmrBlink.Enabled());
  std::vector<std::string> seen;
  for (int tick = 0; tick < 17; ++tick) {
    BlinkTick(form);
    seen.push_back(form.lblProduct.Caption());
    EXPECT_EQ(form.picDown.Visible(), tick % 2 == 0);
    EXPECT_NE(form.picUp.Visible(), form.picDown.Visible());
  }
  EXPECT_EQ(seen[0], "Connecting to the Server.");
  EXPECT_EQ(seen[1], "Connecting to server.....");
  EXPECT_EQ(seen[14], "Successfully disconnected from the Server.");
  EXPECT_EQ(seen[15], seen[0]);
  EXPECT_EQ(seen[16], "Checking for Definitions.....");
}

}  // namespace
}  // namespace kestrian::update
