#include "report/scan_report.h"

#include "core/data_files.h"
#include "core/file_tests.h"
#include "core/line_reader.h"
#include "core/text.h"

namespace kestrian::report {

namespace {
constexpr std::string_view kLineBreak = "\r\n";

// The text of a file, or nothing when it does not exist.
std::optional<std::string> ReadIfExists(platform::FileSystem& files, const std::string& path) {
  if (!core::FileExists(files, path)) return std::nullopt;
  auto content = files.ReadAll(path);
  if (!content.ok()) return std::string();  // a section as far as it could be read: empty
  return std::move(content.value());
}

// Every line (or only the non-blank ones) with a line break each, then "Total Lines = N".
std::string SectionText(std::string_view content, bool skipBlank) {
  std::string text;
  int lines = 0;
  core::LineReader reader(content);
  std::string_view line;
  while (reader.Next(line)) {
    if (skipBlank && (line.empty() || line == " ")) continue;
    text.append(line).append(kLineBreak);
    ++lines;
  }
  return text + "Total Lines = " + std::to_string(lines);
}

class ReportWriter {
 public:
  // One write: the text and a line break of its own.
  ReportWriter& operator<<(std::string_view text) {
    text_.append(text).append(kLineBreak);
    return *this;
  }
  std::string Take() { return std::move(text_); }

 private:
  std::string text_;
};
}  // namespace

std::string ScanReportText(const ReportSources& sources) {
  const std::string hyphens(23, '-');
  const std::string asterisks(68, '*');
  const std::string br(kLineBreak);
  const auto quarantineLog = ReadIfExists(
      sources.files, sources.folder.FilePath(core::data_files::kQuarantineFolder) + "\\" +
                         std::string(core::data_files::kQuarantineLog));
  const auto exclusions = ReadIfExists(sources.files, sources.folder.FilePath(core::data_files::kExclusions));
  const auto& version = sources.version;
  const auto& form = sources.form;

  ReportWriter report;
  report << asterisks + br
         << std::string(19, ' ') + version.productName + "v" + std::to_string(version.major) + "." +
                std::to_string(version.minor) + "   Scan Report." + br
         << asterisks + br << hyphens + br
         << " Scan Started at  : " + sources.session.startedAt + br
         << " Scan Finished at : " + sources.session.finishedAt + br << hyphens + br << br << br << br
         << " 1)Total Number of Cookies and Processes inspected: " + form.lblMemoryInspected.Caption() + br
         << " 2)Total Number of Registry entries inspected: " + form.lblRegistryInspected.Caption() + br
         << " 3)Total Number of Files/Folders inspected: " + form.lblFilesFolderInspected.Caption() + br
         << br << "[Threats Detected]" + br + br;
  const auto& results = form.lvwPicRemoveListOfSpywareFoundAndToBeRemoved;
  for (const auto& item : results.Items()) report << item.text + br << item.SubItem(1) + br + br;
  report << "Total = " + std::to_string(results.Count()) + br;
  if (exclusions) {
    report << br + "[Files Currently Excluded]" + br + br + SectionText(*exclusions, true) + br;
  }
  if (quarantineLog) {
    report << br + "[Current Quarantine Log]" + br + br + SectionText(*quarantineLog, false) + br + br;
  }
  report << br << "=====================End Of Report.";
  return report.Take();
}

void MakeReport(const ReportSources& sources) {
  const std::string path = sources.folder.FilePath(core::data_files::kScanLog);
  const std::string text = ScanReportText(sources);
  if (!sources.files.Find(path).empty()) sources.files.Delete(path);
  sources.files.Append(path, text);
}

std::string ReportViewerText(std::string_view report) {
  std::string text;
  core::LineReader reader(report);
  std::string_view line;
  while (reader.Next(line)) {
    if (core::Trim(line).empty()) {
      text.append(kLineBreak);
    } else {
      text.append(line);
    }
  }
  return text;
}

void ViewLog(platform::FileSystem& files, const core::ApplicationFolder& folder, ui::Host& host,
             ui::FrmMain& form, ui::ReportViewer& viewer, const std::string& productName) {
  form.lblViewLogFile.SetEnabled(false);
  std::string text;
  const std::string path = folder.FilePath(core::data_files::kScanLog);
  if (core::FileExists(files, path)) {
    const auto content = files.ReadAll(path);
    if (content.ok()) text = ReportViewerText(content.value());
  }
  host.DoEvents();
  viewer.ShowModal(productName + " Log", text);
  form.lblViewLogFile.SetEnabled(true);
}

}  // namespace kestrian::report
