// kscan: the scan session of the program without its window, for scripts.
//   kscan scan [--json] [--remove] [--output FILE] [--quiet]
//     --output writes the report to FILE (whole or not at all) instead of standard output;
//     --quiet prints nothing but errors.
//     Exit code 0: nothing found (or, with --remove, every trace found is gone, looked at
//     again after the removal); 1: something found (or left: listed with why in
//     removal.deleteFailed); 2: an error (written to standard error).
//   kscan definitions rollback
//     The previous generation of every definition file that has one goes back in place.
//     Exit code 0: definitions were put back; 1: there were none to put back; 2: an error.
//   kscan --version
//     The version and the keys whose signed definitions Live Update installs.
//   kscan quarantine list [--json] | restore ID... | delete ID..., kscan finish-removal
//     See kscan_quarantine.h.
#include <cstdio>
#include <string>
#include <string_view>

#include "app/console_host.h"
#include "app/kscan_quarantine.h"
#include "core/definition_files.h"
#include "core/definition_generations.h"
#include "core/exclusion_text.h"
#include "core/program_version.h"
#include "core/settings_keys.h"
#include "core/text.h"
#include "platform/win32/win32_machine.h"
#include "removal/check_mirroring.h"
#include "removal/remaining_traces.h"
#include "removal/removal.h"
#include "report/report_file.h"
#include "report/scan_findings.h"
#include "report/scan_report.h"
#include "scan/cookie_scanner.h"
#include "scan/file_scanner.h"
#include "scan/process_scanner.h"
#include "scan/registry_scanner.h"
#include "scan/scan_session.h"
#include "update/trusted_keys.h"

namespace kestrian::app {
namespace {

constexpr int kClean = 0;
constexpr int kFound = 1;
constexpr int kError = 2;

struct Options {
  bool json = false;
  bool remove = false;
  std::string output;  // empty: standard output
  bool quiet = false;
};

class ConsoleScan {
 public:
  explicit ConsoleScan(bool quiet) : host_(stderr, quiet) {}

  int Run(Options options) {
    state_.exclusionText = core::LoadExclusionText(machine_.Get().files, folder_, host_);
    state_.definitionCounts.total =
        core::CountDefinitionLines(machine_.Get().files, folder_, state_.definitionCounts);
    if (!core::DefinitionFilesPresent(machine_.Get().files, folder_)) {
      host_.ShowError(
          "Definition files are missing or they have been corrupted, Please run Live Update.",
          version_.productName);
      return kError;
    }
    // The scan log follows the program's option, read from the same settings.
    form_.chkMakeLog.SetValue(core::ParseNumber(settings_.Get(core::settings::kMakeLog)) == 1 ? 1 : 0);
    auto& results = form_.lvwPicRemoveListOfSpywareFoundAndToBeRemoved;
    results.SetItemCheckHandler([this](std::size_t row) { removal::MirrorResultCheck(form_, row); });
    // As a scheduled scan with automatic deletion: every row checked, nothing asked.
    state_.session.autoDeleteAfterScan = options.remove;
    session_.Start();
    if (!findings_) findings_ = Collect();  // nothing was removed
    if (options.remove) {
      // Success is told only when true: every trace is looked at again.
      removal::ListRemainingTraces(machine_.Get(), traces_, deleteFailed_);
      findings_->removal = report::RemovalOutcome{
          LeftItems(deleteFailed_.lstProblem),
          core::ParseNumber(settings_.Get(core::settings::kDefinitionsRemoved)).value_or(0)};
    }
    const std::string output =
        options.json ? report::FindingsAsJson(*findings_) : report::FindingsAsLines(*findings_);
    if (!Deliver(output, options)) return kError;
    if (!options.remove) return findings_->AnythingFound() ? kFound : kClean;
    return deleteFailed_.lstProblem.Empty() ? kClean : kFound;
  }

 private:
  bool Deliver(const std::string& report, const Options& options) {
    if (options.output.empty()) {
      if (!options.quiet) std::fwrite(report.data(), 1, report.size(), stdout);
      std::fflush(stdout);
      return true;
    }
    const auto status = report::WriteReportFile(machine_.Get().files, options.output, report);
    if (status == platform::kOk) return true;
    host_.ShowError("The report could not be written to " + options.output + " (error " +
                        std::to_string(status) + ").",
                    "kscan");
    return false;
  }

  report::ScanFindings Collect() {
    const auto& session = state_.session;
    return report::CollectFindings(
        form_, {session.cookiesProcessesInspected, session.registryEntriesInspected,
                session.filesFoldersInspected, session.spywareFound, 0});
  }
  static std::vector<report::LeftItem> LeftItems(const ui::ListView& list) {
    std::vector<report::LeftItem> items;
    for (const auto& item : list.Items()) items.push_back({item.text, item.SubItem(1)});
    return items;
  }
  void WriteScanLog() {
    report::MakeReport({machine_.Get().files, folder_, form_, state_.session, version_});
  }
  void RemoveFindings() {
    findings_ = Collect();  // what the scan found, before the removal changes the lists
    traces_ = removal::TracesOf(form_);
    removal_.DeleteCommand();
  }

  platform::win32::Win32Machine machine_;
  platform::VersionResource version_ = core::ProgramVersion(machine_.Get().environment);
  core::ApplicationFolder folder_ =
      core::ApplicationFolder::OfExecutable(machine_.Get().environment);
  core::SettingsStore settings_{machine_.Get().registry, version_.productName};
  core::ProgramState state_;
  ui::FrmMain form_;
  ui::FrmDelete deleteFailed_;
  ConsoleHost host_;
  scan::ScanContext context_{form_, deleteFailed_, host_, state_, settings_,
                             machine_.Get(), folder_, version_};
  scan::CookieScanner cookieScan_{context_};
  scan::ProcessScanner processScan_{context_, nullptr};  // a session never asks
  scan::RegistryScanner registryScan_{context_};
  scan::FileScanner fileScan_{context_};
  removal::Removal removal_{context_};
  scan::ScanSession session_{context_,
                             {cookieScan_, processScan_, registryScan_, fileScan_},
                             {[this] { WriteScanLog(); }, [this] { RemoveFindings(); }}};
  std::optional<report::ScanFindings> findings_;
  std::vector<removal::RemovalTrace> traces_;  // every trace the removal was to delete
};

int Usage() {
  std::fputs("usage: kscan scan [--json] [--remove] [--output FILE] [--quiet]\n"
             "       kscan definitions rollback\n"
             "       kscan quarantine list [--json] | restore ID... | delete ID...\n"
             "       kscan finish-removal\n"
             "       kscan --version\n",
             stderr);
  return kError;
}

int PrintVersion() {
  platform::win32::Win32Machine machine;
  const platform::VersionResource version = core::ProgramVersion(machine.Get().environment);
  const std::string text = "kscan " + std::to_string(version.major) + "." + std::to_string(version.minor) + " (" +
                           version.productName + ")\nTrusts definitions signed by:\n" +
                           update::TrustedKeysDescription();
  std::fputs(text.c_str(), stdout);
  return kClean;
}

// No question: the command itself is the user's answer.
int RollBack() {
  platform::win32::Win32Machine machine;
  const platform::VersionResource version = core::ProgramVersion(machine.Get().environment);
  const auto folder = core::ApplicationFolder::OfExecutable(machine.Get().environment);
  core::SettingsStore settings(machine.Get().registry, version.productName);
  if (!core::HasPreviousDefinitions(machine.Get().files, folder)) {
    std::fputs("kscan: there are no previous definitions to go back to\n", stderr);
    return kFound;
  }
  const auto restored = core::RollBackDefinitions(machine.Get().files, folder, settings);
  if (restored.empty()) {
    std::fputs("kscan: the previous definitions could not be put back\n", stderr);
    return kError;
  }
  const std::string text = "rolled back: " + core::DescribeKinds(restored) + "\n";
  std::fputs(text.c_str(), stdout);
  return kClean;
}

}  // namespace
}  // namespace kestrian::app

int main(int argc, char** argv) {
  using kestrian::app::Options;
  if (argc >= 2 && std::string_view(argv[1]) == "quarantine") {
    return kestrian::app::RunQuarantineVerb({argv + 2, static_cast<std::size_t>(argc - 2)});
  }
  if (argc == 2 && std::string_view(argv[1]) == "finish-removal") return kestrian::app::RunFinishRemoval();
  if (argc == 2 && std::string_view(argv[1]) == "--version") return kestrian::app::PrintVersion();
  if (argc == 3 && std::string_view(argv[1]) == "definitions" && std::string_view(argv[2]) == "rollback") {
    return kestrian::app::RollBack();
  }
  if (argc < 2 || std::string_view(argv[1]) != "scan") return kestrian::app::Usage();
  Options options;
  for (int i = 2; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "--json") {
      options.json = true;
    } else if (argument == "--remove") {
      options.remove = true;
    } else if (argument == "--output" && i + 1 < argc && argv[i + 1][0] != '\0') {
      options.output = argv[++i];
    } else if (argument == "--quiet") {
      options.quiet = true;
    } else {
      return kestrian::app::Usage();
    }
  }
  kestrian::app::ConsoleScan scan(options.quiet);
  return scan.Run(options);
}
