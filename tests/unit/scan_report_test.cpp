#include "report/scan_report.h"

#include <gtest/gtest.h>

#include "report/report_file.h"
#include "report/scan_findings.h"
#include "support/fake_machine.h"
#include "support/scripted_host.h"

namespace kestrian::report {
namespace {

class ScanReportTest : public ::testing::Test {
 protected:
  ScanReportTest() {
    machine.files.PutFolder("C:\\Kestrian");
    session.startedAt = "12/6/2026 9:00:00 AM";
    session.finishedAt = "12/6/2026 9:05:00 AM";
    form.lblMemoryInspected.SetCaption("12");
    form.lblRegistryInspected.SetCaption("300");
    form.lblFilesFolderInspected.SetCaption("45");
  }
  ReportSources Sources() { return {machine.files, folder, form, session, version}; }

  testing::FakeMachine machine;
  core::ApplicationFolder folder{"C:\\Kestrian"};
  ui::FrmMain form;
  core::ScanSessionState session;
  platform::VersionResource version{"Kestrian", "Kestrian Software", "www.kestrian.example", 1, 6};
};

const std::string kHead =
    std::string(68, '*') + "\r\n\r\n" + std::string(19, ' ') + "Kestrianv1.6   Scan Report.\r\n\r\n" +
    std::string(68, '*') + "\r\n\r\n" + std::string(23, '-') + "\r\n\r\n" +
    " Scan Started at  : 12/6/2026 9:00:00 AM\r\n\r\n" +
    " Scan Finished at : 12/6/2026 9:05:00 AM\r\n\r\n" + std::string(23, '-') + "\r\n\r\n" +
    "\r\n\r\n\r\n\r\n\r\n\r\n" +
    " 1)Total Number of Cookies and Processes inspected: 12\r\n\r\n" +
    " 2)Total Number of Registry entries inspected: 300\r\n\r\n" +
    " 3)Total Number of Files/Folders inspected: 45\r\n\r\n" + "\r\n\r\n" +
    "[Threats Detected]\r\n\r\n\r\n";
const std::string kTail = "\r\n\r\n=====================End Of Report.\r\n";

// Without an exclusion file there is no section for it; an empty one gives an empty section.
TEST_F(ScanReportTest, TheReportWithoutAndWithFindingsExclusionsAndTheQuarantineLog) {
  EXPECT_EQ(ScanReportText(Sources()), kHead + "Total = 0\r\n\r\n" + kTail);
  machine.files.PutFile("C:\\Kestrian\\ENoSignature.txt", "");
  EXPECT_EQ(ScanReportText(Sources()),
            kHead + "Total = 0\r\n\r\n" + "\r\n[Files Currently Excluded]\r\n\r\nTotal Lines = 0\r\n\r\n" + kTail);
  auto& results = form.lvwPicRemoveListOfSpywareFoundAndToBeRemoved;
  results.SetSubItem(results.Add("Acme"), 1, "C:\\A\\acme.dll");
  results.SetSubItem(results.Add("Cookie: me@ad[1].txt"), 1, "C:\\Cookies\\me@ad[1].txt");
  machine.files.PutFile("C:\\Kestrian\\ENoSignature.txt", "First\r\n\r\n \r\nSecond\r\n");
  machine.files.PutFolder("C:\\Kestrian\\quarantine");
  machine.files.PutFile("C:\\Kestrian\\quarantine\\QuarantineLog.txt",
                        "9:00 - File: a.exe\r\nLocation: C:\\a.exe\r\n\r\n\r\n");
  EXPECT_EQ(ScanReportText(Sources()),
            kHead + "Acme\r\n\r\nC:\\A\\acme.dll\r\n\r\n\r\n" +
                "Cookie: me@ad[1].txt\r\n\r\nC:\\Cookies\\me@ad[1].txt\r\n\r\n\r\n" + "Total = 2\r\n\r\n" +
                "\r\n[Files Currently Excluded]\r\n\r\nFirst\r\nSecond\r\nTotal Lines = 2\r\n\r\n" +
                "\r\n[Current Quarantine Log]\r\n\r\n9:00 - File: a.exe\r\nLocation: C:\\a.exe\r\n\r\n\r\n"
                "Total Lines = 4\r\n\r\n\r\n" +
                kTail);
}

class RecordingViewer final : public ui::ReportViewer {
 public:
  explicit RecordingViewer(const ui::FrmMain& form) : form_(form) {}
  void ShowModal(std::string_view title, std::string_view text) override {
    shown.emplace_back(title, text);
    labelEnabledWhileShown = form_.lblViewLogFile.Enabled();
  }
  std::vector<std::pair<std::string, std::string>> shown;
  bool labelEnabledWhileShown = true;

 private:
  const ui::FrmMain& form_;
};

// Each report replaces the last whole; the viewer collapses double spacing.
TEST_F(ScanReportTest, ViewLogShowsTheReportOrNothing) {
  EXPECT_EQ(ReportViewerText("Title\r\n\r\nLine\r\n\r\n\r\nA\r\nB\r\n  \r\nEnd"),
            "Title\r\nLine\r\n\r\nAB\r\nEnd");
  EXPECT_EQ(ReportViewerText(""), "");
  testing::ScriptedHost host;
  RecordingViewer viewer(form);
  ViewLog(machine.files, folder, host, form, viewer, "Kestrian");
  machine.files.PutFile("C:\\Kestrian\\Scan_Log.txt", "an older report that is longer than the new one");
  MakeReport(Sources());
  EXPECT_EQ(machine.files.Content("C:\\Kestrian\\Scan_Log.txt"), ScanReportText(Sources()));
  ViewLog(machine.files, folder, host, form, viewer, "Kestrian");
  ASSERT_EQ(viewer.shown.size(), 2u);
  EXPECT_EQ(viewer.shown[0], (std::pair<std::string, std::string>{"Kestrian Log", ""}));
  EXPECT_EQ(viewer.shown[1].second, ReportViewerText(ScanReportText(Sources())));
  EXPECT_FALSE(viewer.labelEnabledWhileShown);
  EXPECT_TRUE(form.lblViewLogFile.Enabled());
}

// A collector reads the report a scan replaced whole, or the one before, never a part: the
// new one is written under another name first, and a failure leaves nothing behind.
TEST(ReportFile, ReplacesTheReportWholeOrLeavesTheOldOne) {
  testing::FakeMachine machine;
  const std::string report = "C:\\Reports\\pc1.json";
  machine.files.PutFile(report, "old report");
  machine.files.HoldSharingReads(report);  // a collector is reading it
  EXPECT_NE(WriteReportFile(machine.files, report, "new report"), platform::kOk);
  EXPECT_FALSE(machine.files.Exists(PartialReportPath(report)));
  machine.files.HoldSharingReads(report, false);
  machine.files.PutFolder(PartialReportPath(report));  // the first write cannot be made
  EXPECT_NE(WriteReportFile(machine.files, report, "new report"), platform::kOk);
  EXPECT_EQ(machine.files.Content(report), "old report");
}

// The console's findings: each result row's icon gives its kind, process rows come from the
// found list, and the same findings read alike as lines and as JSON.
TEST(ScanFindingsTest, ResultKindsAndTracesReadAlikeAsLinesAndAsJson) {
  ui::FrmMain form;
  form.lvwSpywareFound.Add("Acme - Found");
  form.lvwSpywareFound.Add("Detected in the memory : SPY.EXE was stopped from running.");
  const struct { const char* name; const char* location; int icon; } rows[] = {
      {"Cookie: me@ad[1].txt", "C:\\Cookies\\me@ad[1].txt", 1},
      {"Acme", "HKEY_CURRENT_USER\\Software\\Acme", 2}, {"Acme", "C:\\Acme\\acme.dll", 3},
  };
  for (const auto& row : rows) {
    auto& results = form.lvwPicRemoveListOfSpywareFoundAndToBeRemoved;
    results.SetSubItem(results.Add(row.name, row.icon), 1, row.location);
  }
  const auto key = form.lvwRegistryToBeDeleted.Add("-2147483647");
  form.lvwRegistryToBeDeleted.SetSubItem(key, 1, "Software\\Acme");
  form.lvwRegistryToBeDeleted.SetSubItem(key, 3, "Acme");
  form.lvwFilesToBeDeleted.SetSubItem(form.lvwFilesToBeDeleted.Add("C:\\Acme\\acme.dll"), 1, "Acme");
  form.lvwFileNotFounds.SetSubItem(form.lvwFileNotFounds.Add("C:\\Acme\\gone.exe"), 1, "Acme");
  form.lvwCookiesToDelete.Add("C:\\Cookies\\me@ad[1].txt");
  form.lbltracesFound.SetCaption("5");

  ScanFindings findings = CollectFindings(form, {7, 8, 9, 4, 0});
  EXPECT_TRUE(findings.AnythingFound());
  findings.removal = RemovalOutcome{{{"C:\\Acme\\acme.dll", "in use or access denied"}}, 2};
  EXPECT_EQ(FindingsAsLines(findings),
            "cookie\tCookie: me@ad[1].txt\tC:\\Cookies\\me@ad[1].txt\n"
            "registry\tAcme\tHKEY_CURRENT_USER\\Software\\Acme\n"
            "file\tAcme\tC:\\Acme\\acme.dll\n"
            "process\tDetected in the memory : SPY.EXE was stopped from running.\n"
            "delete-failed\tC:\\Acme\\acme.dll\tin use or access denied\n");
  const std::string json = FindingsAsJson(findings);
  for (const char* part : {
           R"("kind": "cookie")", R"("kind": "registry")", R"("kind": "file")",
           R"("root": -2147483647)", R"("key": "Software\\Acme")", R"("path": "C:\\Acme\\acme.dll")",
           R"("file": "C:\\Acme\\gone.exe")", R"("cookieTraces": [)", R"("cookiesProcesses": 7)",
           R"("files": 9)", R"("spywareFound": 4)", R"("traces": 5)",
           R"("reason": "in use or access denied")", R"("total": 2)"}) {
    EXPECT_NE(json.find(part), std::string::npos) << part << "\n" << json;
  }
  EXPECT_FALSE(CollectFindings(ui::FrmMain{}, {}).AnythingFound());
}

}  // namespace
}  // namespace kestrian::report
