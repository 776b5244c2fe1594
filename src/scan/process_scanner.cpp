#include "scan/process_scanner.h"

#include "core/data_files.h"
#include "core/definition_files.h"
#include "core/definition_line.h"
#include "core/exclusion_list.h"
#include "core/file_tests.h"
#include "core/line_reader.h"
#include "core/text.h"
#include "scan/company_name.h"
#include "scan/finding_rows.h"
#include "scan/process_control.h"
#include "scan/process_names.h"
#include "scan/scan_progress.h"

namespace kestrian::scan {

namespace {
constexpr std::string_view kNeverReported = "RiduraRazoradUvazed.exe";

std::int32_t CountLineBreaks(std::string_view text) {
  std::int32_t lines = 0;
  for (std::size_t at = text.find("\r\n"); at != std::string_view::npos; at = text.find("\r\n", at + 2)) {
    ++lines;
  }
  return lines;
}
}  // namespace

void ProcessScanner::ScanRunningProcesses() {
  const auto platformId = context_.machine.environment.PlatformId();
  if (platformId == platform::platform_ids::kWindows9x) {
    ScanProcesses9x();
  } else if (platformId == platform::platform_ids::kWindowsNt) {
    ScanProcessesNT();
  }
}

bool ProcessScanner::StopRequested() const {
  // Stop belongs to the session; a stop flag left over from the last session must not
  // blind the memory shield's runs between sessions.
  return InSession() && context_.state.session.stopRequested;
}

void ProcessScanner::ReportDefinitionProgress(std::int32_t overallBase) {
  const auto& counts = context_.state.definitionCounts;
  const std::int32_t done = context_.state.session.cookiesProcessesInspected;
  ReportScanProgressLazily(
      context_, [&] { return context_.state.session.statusPrefix + "\r\n" + lastDefinition_; },
      Percent(done, counts.executables).value_or(-1),
      Percent(done + overallBase, counts.total).value_or(-1));
}

void ProcessScanner::LoadDefinitions(std::string& text, bool countEveryLine) {
  text.clear();
  auto& files = context_.machine.files;
  const std::string path = context_.folder.FilePath(core::data_files::kExeDefinitions);
  if (!core::FileExists(files, path)) return;
  const auto content = core::ReadDefinitionFile(files, path);
  if (!content.ok()) return;
  const bool inSession = InSession();
  auto& session = context_.state.session;
  core::LineReader reader(content.value());
  std::string_view line;
  while (reader.Next(line)) {
    if (StopRequested()) {
      text.clear();
      return;
    }
    lastDefinition_ = core::DecodeDefinitionLine(line);
    text.append(lastDefinition_).append("\r\n");
    if (inSession || countEveryLine) ++session.cookiesProcessesInspected;
    if (inSession) ReportDefinitionProgress(context_.state.definitionCounts.cookies);
    context_.host.DoEvents();
  }
}

void ProcessScanner::ScanProcessesNT() {
  const auto entries = SnapshotProcesses(context_.machine.processes, context_.host);
  LoadDefinitions(definitionsNT_, false);
  const bool prefilter = reads_ == ModulePathReads::UnlessTheNameRulesOut;
  if (prefilter) nameRule_.Use(definitionsNT_);
  const std::string systemFolder = context_.machine.environment.SystemFolder();
  for (const auto& entry : entries) {
    ++context_.state.session.cookiesProcessesInspected;
    if (InSession()) ReportDefinitionProgress(context_.state.definitionCounts.executables);
    if (StopRequested()) return;
    // A process the snapshot's name rules out would fail the definition test below; it
    // still counts as inspected and yields like any other.
    if (!prefilter || !nameRule_.RulesOut(entry.exeFile)) {
      InspectProcessNT(entry.id, systemFolder);
    }
    context_.host.DoEvents();
  }
}

void ProcessScanner::InspectProcessNT(std::uint32_t id, const std::string& systemFolder) {
  // Processes that cannot be opened (system processes, other users' protected ones) are
  // passed over.
  const auto modulePath = context_.machine.processes.MainModulePath(id);
  if (!modulePath.ok()) return;
  const std::string path =
      ResolveSystem32Path(core::ToUpper(core::Trim(modulePath.value())), systemFolder);
  const std::string name(ProcessFileName(path));
  if (!MatchesExeDefinition(definitionsNT_, name)) return;
  const std::string company = GetExecutableCompanyName(context_.machine.files, path);
  if (IsMicrosoftCompany(company)) return;
  if (core::IsNameExcluded(context_.state.exclusionText, name)) return;
  if (core::EqualsIgnoringCase(core::Trim(name), kNeverReported)) return;
  const ProcessProtection protection = guard_.Protection(path);
  // The shield never offers to stop what must keep running.
  if (protection != ProcessProtection::None && !InSession()) return;
  ReportProcessFinding(name, company, {id, modulePath.value()}, protection);
  ++context_.state.session.spywareFound;
}

void ProcessScanner::ReportProcessFinding(const std::string& name, const std::string& company,
                                          const FoundProcess& process, ProcessProtection protection) {
  if (InSession()) {
    if (protection != ProcessProtection::None) {
      AddLeftRunningRow(name, protection);
      return;
    }
    const std::size_t row = context_.form.lvwSpywareFound.Add(
        "Detected in the memory : " + core::ToUpper(name) + " was stopped from running.",
        finding_icons::kFileOrProcess);
    // A process this account may not stop keeps running: the row must not say otherwise.
    if (!StopFoundProcess(context_.machine.processes, process)) {
      context_.form.lvwSpywareFound.SetText(row, "Detected in the memory : " + core::ToUpper(name) +
                                                     " was left running: it could not be stopped.");
    }
    return;
  }
  if (alert_ == nullptr) return;
  const std::string companyCaption = core::Trim(company).empty()
                                         ? "No Company name for " + name
                                         : core::ToUpper(company);
  alert_->Show(companyCaption, core::ToUpper(name), process);
  while (!context_.state.alertAnswered) {
    context_.host.DoEvents();
    context_.host.DoEvents();
  }
}

void ProcessScanner::AddLeftRunningRow(std::string_view name, ProcessProtection protection) {
  context_.form.lvwSpywareFound.Add("Detected in the memory : " + core::ToUpper(name) +
                                        " was left running: " +
                                        std::string(LeftRunningReason(protection)) + ".",
                                    finding_icons::kFileOrProcess);
}

void ProcessScanner::ScanProcesses9x() {
  if (!core::Trim(definitions9x_).empty()) {
    context_.state.session.cookiesProcessesInspected += CountLineBreaks(definitions9x_);
  } else {
    LoadDefinitions(definitions9x_, true);
  }
  // The snapshot is walked as it comes; no list is kept.
  for (const auto& entry : context_.machine.processes.Snapshot()) {
    InspectEntry9x(entry);
    context_.host.DoEvents();
  }
}

void ProcessScanner::InspectEntry9x(const platform::ProcessEntry& entry) {
  const std::string name = core::ToUpper(core::Trim(ProcessFileName(entry.exeFile)));
  if (!MatchesExeDefinition(definitions9x_, name)) return;
  if (IsMicrosoftCompany(GetExecutableCompanyName(context_.machine.files, entry.exeFile))) return;
  if (core::IsNameExcluded(context_.state.exclusionText, name)) return;
  const ProcessProtection protection = guard_.Protection(entry.exeFile);
  if (protection != ProcessProtection::None) {
    if (!InSession()) return;  // never offered to be stopped
    AddLeftRunningRow(name, protection);
    ++context_.state.session.spywareFound;
    return;
  }
  auto& processes = context_.machine.processes;
  if (InSession()) {
    context_.form.lvwSpywareFound.Add("Detected in the memory : " + name +
                                          " and was stopped being from ruuning.",
                                      finding_icons::kFileOrProcess);
    processes.TerminateWithOwnExitCode(entry.id);
    ++context_.state.session.spywareFound;
    return;
  }
  const std::string& product = context_.version.productName;
  const auto answer = context_.host.ShowMessage(
      product + " has found  [" + name + "] using you system memory.Click YES to stop [" + name +
          "] from using your system memory. Otherwise click No.",
      product + "  - Alert", ui::MessageButtons::YesNo, ui::MessageIcon::Question);
  if (answer == ui::MessageAnswer::Yes) {
    processes.TerminateWithOwnExitCode(entry.id);
    ++context_.state.session.spywareFound;
    return;
  }
  // Allowed: the name goes onto the exclusion file; the in-memory list is not reloaded.
  core::AppendExclusion(context_.machine.files, context_.folder, name);
}

}  // namespace kestrian::scan
