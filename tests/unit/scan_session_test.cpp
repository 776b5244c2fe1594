#include "scan/scan_session.h"

#include "scan/drive_list.h"
#include "scan/scan_progress.h"
#include "scan_fixture.h"

namespace kestrian::scan {
namespace {

// A phase that inspects `items` items: one progress call and one yield each, stopping at
// the flag as every scanner does.
class CountingScanners final : public CookieScan, public ProcessScan, public RegistryScan,
                               public FileScan {
 public:
  explicit CountingScanners(ScanContext& context) : context_(context), session_(context.state.session) {}
  int cookieItems = 0, processItems = 0, registryItems = 0, fileItems = 0;
  std::vector<std::string> ran;
  std::vector<int> inspected;  // items each phase got through

  void ScanCookies(std::int32_t& count) override {
    count += Walk("cookies", cookieItems, session_.cookiesProcessesInspected);
  }
  void ScanRunningProcesses() override { Walk("processes", processItems, session_.cookiesProcessesInspected); }
  void ScanRegistryDefinitions() override { Walk("registry", registryItems, session_.registryEntriesInspected); }
  void ScanFileDefinitions() override { Walk("files", fileItems, session_.filesFoldersInspected); }

 private:
  int Walk(const char* phase, int items, std::int32_t& counter) {
    ran.push_back(phase);
    int done = 0;
    for (; done < items && !session_.stopRequested; ++done) {
      ++counter;
      ReportScanProgress(context_, session_.statusPrefix + "item", 50, 60);
      context_.host.DoEvents();
    }
    inspected.push_back(done);
    return done;
  }
  ScanContext& context_;
  core::ScanSessionState& session_;
};

class ScanSessionTest : public ScanFixture {
 protected:
  ScanSessionTest() {
    EndSession();  // no session runs yet
    state.session.statusPrefix.clear();
    for (const char* name : {"RegistryDefinition.dat", "FileDefinition.dat", "ExeDefinition.dat",
                             "BlockedCookies.dat"}) {
      machine.files.PutFile(folder.FilePath(name), "a\r\nb\r\n");
    }
    state.definitionCounts = {2, 2, 2, 2, 8};
    form.SetVisible(true);
    form.optScanOnlyKnownSoftwares.SetValue(true);
  }

  CountingScanners scanners{context};
  int logs = 0;     // scan logs written
  int deletes = 0;  // automatic removals started
  ScanSession session{context, {scanners, scanners, scanners, scanners}, {[this] { ++logs; }, [this] { ++deletes; }}};
};

TEST_F(ScanSessionTest, ProgressRefreshMasksTheStatusAndKeepsBarsOnNegativePercents) {
  form.pb1.SetValue(40);
  form.pb2.SetValue(41);
  state.session.progressRefreshCounter = 99;
  ReportScanProgress(context, "Scanning Known Spyware/Adware: \r\nAnalysis.dll", -1, -1);
  EXPECT_EQ(form.lblStatus.Caption(), "Scanning Known Spyware/Adware: \r\n****ysis.dll");
  EXPECT_TRUE(form.pb1.Value() == 40 && form.pb2.Value() == 41);
  EXPECT_EQ(state.session.progressRefreshCounter, 0);
  EXPECT_EQ(host.suspendCalls, 2);
  form.SetVisible(false);
  state.session.progressRefreshCounter = 99;
  ReportScanProgress(context, "x", 5, 6);
  EXPECT_EQ(host.suspendCalls, 2);  // no drawing lock while the window is hidden
  EXPECT_TRUE(form.pb1.Value() == 5 && form.pb2.Value() == 6);
}

// "No" to the first question changes nothing; "Yes" to the second stops.
TEST_F(ScanSessionTest, StopDuringARegistryPhaseCancelsAndStoresTheDate) {
  scanners.registryItems = 500;
  scanners.fileItems = 500;
  machine.clock.now = "12/6/2026 10:00:00 AM";
  for (const auto& [yield, answer] : {std::pair{10, ui::MessageAnswer::No}, std::pair{20, ui::MessageAnswer::Yes}}) {
    host.AtYield(yield, [&, answer] {
      EXPECT_TRUE(form.cmdStop.Enabled());
      host.Answer(answer);
      session.StopFromButton();
    });
  }
  session.Start();
  EXPECT_EQ(scanners.inspected, (std::vector<int>{0, 0, 20, 0}));
  EXPECT_EQ(scanners.ran.back(), "files");
  EXPECT_EQ(form.lblPercentageCompleted.Caption(), "0% complete.");
  EXPECT_EQ(form.lblStatus.Caption(), "Scanning was cancelled.");
  EXPECT_EQ(form.pbgMain.Value(), 0);
  EXPECT_EQ(form.shpCircle.Left(), form.lblFilesCaption.Left() - 250);
  EXPECT_EQ(settings.Get("Settings", "lblLastScan", "<none>"), "12/6/2026 10:00:00 AM");
  EXPECT_EQ(settings.Get("Settings", "lblLastFullScan", "<none>"), "<none>");
  ASSERT_EQ(host.Messages().size(), 2u);
  EXPECT_EQ(PartsOf(host.Messages()[1]), MessageParts("Are you sure you want to stop the scan?", "Kestrian",
                                                     ui::MessageButtons::YesNo, ui::MessageIcon::Question));
  EXPECT_EQ(host.pointerResets, 1);
}

// Paused, the scan waits for the message; then it ends complete, with its commands back.
TEST_F(ScanSessionTest, PauseHoldsTheScanUntilTheMessageIsClosedAndTheSessionEndsComplete) {
  scanners.fileItems = 50;
  form.chkMakeLog.SetValue(1);
  int yieldsWhilePaused = -1;
  host.whileMessageOpen = [&](const testing::ShownMessage&) {
    yieldsWhilePaused = host.Yields();
    EXPECT_FALSE(form.cmdPause.Enabled() || form.cmdStop.Enabled());
  };
  host.AtYield(5, [&] { session.PauseFromButton(); });
  session.Start();
  ASSERT_EQ(host.Messages().size(), 1u);
  EXPECT_EQ(PartsOf(host.Messages()[0]), MessageParts("Kestrian has been paused.  Click OK to resume.", "Kestrian",
                                                     ui::MessageButtons::Ok, ui::MessageIcon::Information));
  EXPECT_EQ(yieldsWhilePaused, 5);
  EXPECT_EQ(scanners.inspected.back(), 50);  // resumed and finished
  EXPECT_EQ(logs, 1);
  EXPECT_EQ(form.lblStatus.Caption(), "Scanning complete.");
  EXPECT_TRUE(form.pb1.Value() == 100 && form.pb2.Value() == 100);
  EXPECT_EQ(form.lblPercentageCompleted.Caption(), "Scanning known Spyware/Adware...");
  EXPECT_EQ(state.session.statusPrefix, "Scanning Known Spyware/Adware: ");
  EXPECT_TRUE(form.cmdScan.Enabled() && form.cmdScanNow.Enabled());
  EXPECT_FALSE(form.cmdStop.Enabled() || form.cmdPause.Enabled());
  EXPECT_TRUE(form.cmdRemove.Visible() && form.frmScan.Visible());
  EXPECT_FALSE(form.frmStatus.Visible() || host.DrawingSuspended());
}

// A counter shows "Not Selected" only when none of its phases ran, and a cancelled scan
// leaves the phase bars where the stop left them (the registry phase's 100th item set them).
TEST_F(ScanSessionTest, TheEndOfAScanShowsWhatRanAndWhereItStopped) {
  const struct {
    std::string_view what, cookies, processes, registry;
    bool stop;
    std::string_view memoryShown, registryShown;
    double pb1, pb2;
  } cases[] = {
      {"every phase", "1", "1", "1", false, "60", "150", 100, 100},
      {"no processes", "1", "0", "1", false, "30", "150", 100, 100},
      {"no cookies, no processes", "0", "False", "1", false, "Not Selected", "150", 100, 100},
      {"no registry", "1", "1", "False", false, "60", "Not Selected", 100, 100},
      {"stopped in the registry", "1", "1", "1", true, "60", "70", 50, 60},
  };
  scanners.cookieItems = 30;
  scanners.processItems = 30;
  scanners.registryItems = 150;
  for (const auto& c : cases) {
    settings.Save("OptionAndSettings", "chkScanCookies", c.cookies);
    settings.Save("OptionAndSettings", "chkSweepMemory", c.processes);
    settings.Save("OptionAndSettings", "chkScanRegistry", c.registry);
    if (c.stop) {
      host.AtYield(host.Yields() + 130, [&] {
        host.Answer(ui::MessageAnswer::Yes);
        session.StopFromButton();
      });
    }
    session.Start();
    EXPECT_EQ(form.lblMemoryInspected.Caption(), c.memoryShown) << c.what;
    EXPECT_EQ(form.lblRegistryInspected.Caption(), c.registryShown) << c.what;
    EXPECT_EQ(std::pair(form.pb1.Value(), form.pb2.Value()), std::pair(c.pb1, c.pb2)) << c.what;
  }
}

// The dates are stored all the same, the full scan's only for a complete scan.
TEST_F(ScanSessionTest, MissingDefinitionsEndThePhasesWithAMessage) {
  machine.files.Delete(folder.FilePath("ExeDefinition.dat"));
  form.optScanAllSelectedHardDrive.SetValue(true);
  session.Start();
  EXPECT_TRUE(scanners.ran.empty());
  ASSERT_EQ(host.Messages().size(), 1u);
  EXPECT_EQ(host.Messages()[0].text,
            "Definition files are missing or they have been corrupted. Please run Liveupdate.");
  EXPECT_EQ(form.lblStatus.Caption(), "Scanning complete.");
  EXPECT_EQ(settings.Get("Settings", "lblLastScan", "<none>"), "12/6/2026 9:30:00 AM");
  EXPECT_EQ(settings.Get("Settings", "lblLastFullScan", "<none>"), "12/6/2026 9:30:00 AM");
  EXPECT_EQ(form.lblLastScan.Caption(), "12/6/2026 9:30:00 AM");
}

// The first yield comes in the file phase: the timers are off, and the cookie phase ended with
// its own status and share.
TEST_F(ScanSessionTest, StartResetsListsCountersAndTimers) {
  state.definitionCounts = {1, 1, 1, 1, 4};
  settings.Save("OptionAndSettings", "chkSweepMemory", "0");
  settings.Save("OptionAndSettings", "chkScanRegistry", "0");
  form.lvwSpywareFound.Add("old - Found");
  form.lvwCookiesToDelete.Add("old");
  form.lvwBlockedCookies.Add("*pattern*");
  deleteFailed.lstProblem.Add("C:\\x");
  deleteFailed.SetVisible(true);
  state.session.spywareFound = 4;
  settings.Save("OptionAndSettings", "optMemorySheildOn", "False");
  bool timersOffDuringScan = false;
  std::string statusAtFiles;
  double pb2AtFiles = -1;
  scanners.fileItems = 1;
  host.AtYield(1, [&] {
    timersOffDuringScan = !form.tmrMemoryInspected.Enabled() && !form.tmrCheckHomePage.Enabled() &&
                          !form.tmrScheduler.Enabled() && !form.tmrTimeOut.Enabled() &&
                          !form.cmdScan.Enabled() && !form.cmdResults.Enabled() &&
                          state.session.running;
    statusAtFiles = form.lblStatus.Caption();
    pb2AtFiles = form.pb2.Value();
  });
  session.Start();
  EXPECT_TRUE(timersOffDuringScan);
  EXPECT_EQ(statusAtFiles, "Finished Inpecting Cookies");
  EXPECT_EQ(pb2AtFiles, 25);
  EXPECT_TRUE(form.lvwSpywareFound.Empty() && form.lvwCookiesToDelete.Empty() && deleteFailed.lstProblem.Empty());
  EXPECT_EQ(form.lvwBlockedCookies.Count(), 1u);  // not a results list
  EXPECT_FALSE(state.session.running || deleteFailed.Visible() || form.tmrMemoryInspected.Enabled());
  EXPECT_EQ(state.session.spywareFound, 0);
  EXPECT_EQ(form.lbltracesFound.Caption(), "0");
  EXPECT_TRUE(form.tmrCheckHomePage.Enabled() && form.tmrTimeOut.Enabled());
}

// With the log box unchecked, no scan log.
TEST_F(ScanSessionTest, AutomaticDeletionChecksEveryRowAndDeletes) {
  std::vector<std::size_t> handled;
  form.lvwPicRemoveListOfSpywareFoundAndToBeRemoved.SetItemCheckHandler(
      [&](std::size_t row) { handled.push_back(row); });
  form.chkMakeLog.SetValue(0);
  state.session.autoDeleteAfterScan = true;
  scanners.fileItems = 1;
  host.AtYield(1, [&] {
    auto& results = form.lvwPicRemoveListOfSpywareFoundAndToBeRemoved;
    results.Add("a");
    results.SetChecked(results.Add("b"), true);
    results.Add("c");
  });
  session.Start();
  EXPECT_EQ(handled, (std::vector<std::size_t>{0, 2}));
  EXPECT_EQ(deletes, 1);
  EXPECT_TRUE(form.frmResults.Visible());
  EXPECT_EQ(logs, 0);
}

TEST_F(ScanSessionTest, TheDriveListHoldsTheDrivesAScanCanUse) {
  using platform::DriveType;
  machine.environment.drives = {{'A', DriveType::Removable, false}, {'C', DriveType::Fixed, true},
                                {'D', DriveType::Fixed, false},     {'E', DriveType::CdRom, false},
                                {'F', DriveType::Remote, true},     {'G', DriveType::RamDisk, true},
                                {'H', DriveType::Unknown, true},    {'I', DriveType::NoRootDirectory, true}};
  ui::ListView drives("lvwHardDrives", {}, true);
  FillDriveList(drives, machine.environment, host);
  EXPECT_EQ(Texts(drives), (std::vector<std::string>{"A", "C", "E", "F"}));
  EXPECT_EQ(host.Yields(), 8);
}

}  // namespace
}  // namespace kestrian::scan
