// The scan report, which copies the exclusion file and the quarantine log, and the text its
// viewer makes of it. Input: parts separated by zero bytes: the exclusion file (when there
// is a zero byte), the quarantine log (when there are two), then findings and their
// locations. Oracles: each section and count against plain references; the file written is
// the report; the viewer's text against a plain reference.
#include <vector>

#include "core/data_files.h"
#include "core/text.h"
#include "fuzz_support.h"
#include "reference.h"
#include "report/scan_report.h"
#include "support/fake_machine.h"

using namespace kestrian;

namespace {
const core::ApplicationFolder kFolder("C:\\Kestrian");

std::string ReferenceSection(std::string_view title, std::string_view content, bool skipBlank) {
  std::string section = "[" + std::string(title) + "]\r\n\r\n";
  int count = 0;
  for (const std::string_view line : fuzz::LinesOf(content)) {
    if (skipBlank && (line.empty() || line == " ")) continue;
    section.append(line).append("\r\n");
    ++count;
  }
  return section + "Total Lines = " + std::to_string(count) + "\r\n";
}

std::string ReferenceViewerText(std::string_view report) {
  std::string text;
  for (const std::string_view line : fuzz::LinesOf(report)) text.append(core::Trim(line).empty() ? "\r\n" : line);
  return text;
}
}  // namespace

KESTRIAN_FUZZ_TARGET {
  const std::vector<std::string_view> parts = fuzz::Parts(fuzz::AsText(data, size), '\0');
  testing::FakeMachine machine;
  machine.files.PutFolder(kFolder.Path());
  const std::string exclusionPath = kFolder.FilePath(core::data_files::kExclusions);
  const std::string quarantineLogPath = kFolder.FilePath(core::data_files::kQuarantineFolder) + "\\" +
                                        std::string(core::data_files::kQuarantineLog);
  if (parts.size() > 1) machine.files.PutFile(exclusionPath, parts[0]);
  if (parts.size() > 2) machine.files.PutFile(quarantineLogPath, parts[1]);
  ui::FrmMain form;
  auto& results = form.lvwPicRemoveListOfSpywareFoundAndToBeRemoved;
  for (std::size_t i = 2; i + 1 < parts.size(); i += 2) {
    results.SetSubItem(results.Add(std::string(parts[i])), 1, std::string(parts[i + 1]));
  }
  const core::ScanSessionState session;
  const platform::VersionResource version{"Kestrian", "Kestrian Software", "www.kestrian.example", 1, 6};
  const report::ReportSources sources{machine.files, kFolder, form, session, version};

  const std::string text = report::ScanReportText(sources);
  FUZZ_CHECK(text.find("Total = " + std::to_string(results.Count()) + "\r\n") != std::string::npos);
  if (parts.size() > 1) {
    FUZZ_CHECK(text.find(ReferenceSection("Files Currently Excluded", parts[0], true)) != std::string::npos);
  }
  if (parts.size() > 2) {
    FUZZ_CHECK(text.find(ReferenceSection("Current Quarantine Log", parts[1], false)) != std::string::npos);
  }
  report::MakeReport(sources);
  FUZZ_CHECK(machine.files.Content(kFolder.FilePath(core::data_files::kScanLog)) == text);
  FUZZ_CHECK(report::ReportViewerText(text) == ReferenceViewerText(text));

  fuzz::LinearOnLargeInput(parts[0], "scan report", [&](std::string_view large) {
    machine.files.PutFile(exclusionPath, large);
    machine.files.PutFile(quarantineLogPath, large);
    report::ReportViewerText(report::ScanReportText(sources));
  });
  return 0;
}
