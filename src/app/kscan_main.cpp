// kscan: the scan session of the program without its window, for scripts.
//   kscan scan [--json]
// Exit code 0: nothing found; 1: something found; 2: an error (written to standard error).
#include <cstdio>
#include <cstring>
#include <string>

#include "app/console_host.h"
#include "core/definition_files.h"
#include "core/exclusion_text.h"
#include "core/program_version.h"
#include "platform/win32/win32_machine.h"
#include "report/scan_findings.h"
#include "scan/cookie_scanner.h"
#include "scan/file_scanner.h"
#include "scan/process_scanner.h"
#include "scan/registry_scanner.h"
#include "scan/scan_session.h"

namespace kestrian::app {
namespace {

constexpr int kNothingFound = 0;
constexpr int kFound = 1;
constexpr int kError = 2;

class ConsoleScan {
 public:
  int Run(bool json) {
    state_.exclusionText = core::LoadExclusionText(machine_.Get().files, folder_, host_);
    state_.definitionCounts.total =
        core::CountDefinitionLines(machine_.Get().files, folder_, state_.definitionCounts);
    if (!core::DefinitionFilesPresent(machine_.Get().files, folder_)) {
      host_.ShowMessage(
          "Definition files are missing or they have been corrupted, Please run Live Update.",
          version_.productName, ui::MessageButtons::Ok, ui::MessageIcon::Information);
      return kError;
    }
    session_.Start();
    const auto& session = state_.session;
    const report::ScanFindings findings = report::CollectFindings(
        form_, {session.cookiesProcessesInspected, session.registryEntriesInspected,
                session.filesFoldersInspected, session.spywareFound, 0});
    const std::string output =
        json ? report::FindingsAsJson(findings) : report::FindingsAsLines(findings);
    std::fwrite(output.data(), 1, output.size(), stdout);
    std::fflush(stdout);
    return findings.AnythingFound() ? kFound : kNothingFound;
  }

 private:
  platform::win32::Win32Machine machine_;
  platform::VersionResource version_ = core::ProgramVersion(machine_.Get().environment);
  core::ApplicationFolder folder_ =
      core::ApplicationFolder::OfExecutable(machine_.Get().environment);
  core::SettingsStore settings_{machine_.Get().registry, version_.productName};
  core::ProgramState state_;
  ui::FrmMain form_;
  ui::FrmDelete deleteFailed_;
  ConsoleHost host_{stderr};
  scan::ScanContext context_{form_, deleteFailed_, host_, state_, settings_,
                             machine_.Get(), folder_, version_};
  scan::CookieScanner cookieScan_{context_};
  scan::ProcessScanner processScan_{context_, nullptr};  // a session never asks
  scan::RegistryScanner registryScan_{context_};
  scan::FileScanner fileScan_{context_};
  scan::ScanSession session_{context_, {cookieScan_, processScan_, registryScan_, fileScan_}};
};

int Usage() {
  std::fputs("usage: kscan scan [--json]\n", stderr);
  return kError;
}

}  // namespace
}  // namespace kestrian::app

int main(int argc, char** argv) {
  if (argc < 2 || std::strcmp(argv[1], "scan") != 0 || argc > 3) return kestrian::app::Usage();
  const bool json = argc == 3 && std::strcmp(argv[2], "--json") == 0;
  if (argc == 3 && !json) return kestrian::app::Usage();
  kestrian::app::ConsoleScan scan;
  return scan.Run(json);
}
