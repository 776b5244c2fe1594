#pragma once
// Scan_Log.txt: the report of the last scan (times, counters, findings, the exclusion list
// and the quarantine log), and the text its viewer shows.
#include <string>

#include "core/application_folder.h"
#include "core/program_state.h"
#include "platform/environment.h"
#include "platform/file_system.h"
#include "ui/frm_main.h"
#include "ui/host.h"
#include "ui/report_viewer.h"

namespace kestrian::report {

struct ReportSources {
  platform::FileSystem& files;
  const core::ApplicationFolder& folder;
  const ui::FrmMain& form;
  const core::ScanSessionState& session;
  const platform::VersionResource& version;
};

// The report's whole content, as MakeReport writes it.
std::string ScanReportText(const ReportSources& sources);

// Replaces Scan_Log.txt with the report of the last scan.
void MakeReport(const ReportSources& sources);

// The viewer's text: a line that is blank after trimming becomes a line break, any other
// line is appended as it is (so the report's double spacing collapses).
std::string ReportViewerText(std::string_view report);

// "View Log": shows the report (an empty text when there is none) in the modal viewer,
// with "Show Report" disabled meanwhile.
void ViewLog(platform::FileSystem& files, const core::ApplicationFolder& folder, ui::Host& host,
             ui::FrmMain& form, ui::ReportViewer& viewer, const std::string& productName);

}  // namespace kestrian::report
