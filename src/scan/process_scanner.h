#pragma once
// The running-processes phase: every process whose executable name is listed in the
// executable definitions, is not a Microsoft file and is not excluded is a finding. Inside
// a scan session it is listed and stopped at once; outside one (the memory shield) the user
// is asked through the alert.
#include <string>
#include <string_view>

#include "scan/process_control.h"
#include "scan/process_guard.h"
#include "scan/process_names.h"
#include "scan/scan_context.h"
#include "scan/scanners.h"

namespace kestrian::scan {

// The memory shield's alert window as the process scan uses it.
class SpywareAlert {
 public:
  virtual ~SpywareAlert() = default;
  // Creates the alert (which clears AlertAnswered), fills its two labels and shows it
  // without making it modal. Its buttons set AlertAnswered; STOP stops `process`.
  virtual void Show(std::string_view companyCaption, std::string_view fileCaption,
                    const FoundProcess& process) = 0;
};

// Which processes the NT variant asks for their main module's path.
enum class ModulePathReads {
  // Only those the snapshot's name does not rule out (SnapshotRulesOutProcess): a process
  // whose plain name does not occur in the definitions is passed over unopened. The
  // findings are the same as with Every.
  UnlessTheNameRulesOut,
  // Every process, as the scan did before; kept so tests and the benchmark can compare.
  Every,
};

class ProcessScanner final : public ProcessScan {
 public:
  // Without an alert, findings outside a session are counted but nobody is asked.
  ProcessScanner(ScanContext& context, SpywareAlert* alert,
                 ModulePathReads reads = ModulePathReads::UnlessTheNameRulesOut)
      : context_(context), alert_(alert), reads_(reads) {}

  // Picks the variant by the operating system's platform id.
  void ScanRunningProcesses() override;
  void ScanProcessesNT();
  void ScanProcesses9x();

 private:
  bool InSession() const { return context_.state.session.running; }
  bool StopRequested() const;
  // Reads the executable definitions into `text`, one decoded line and CR LF each.
  void LoadDefinitions(std::string& text, bool countEveryLine);
  void ReportDefinitionProgress(std::int32_t overallBase);
  void InspectProcessNT(std::uint32_t id, const std::string& systemFolder);
  // Inside a session the process is listed and stopped, or listed as left running when the
  // guard protects it; outside one the alert asks.
  void ReportProcessFinding(const std::string& name, const std::string& company,
                            const FoundProcess& process, ProcessProtection protection);
  void AddLeftRunningRow(std::string_view name, ProcessProtection protection);
  void InspectEntry9x(const platform::ProcessEntry& entry);

  ScanContext& context_;
  SpywareAlert* alert_;
  ModulePathReads reads_;
  ProcessGuard guard_{context_.machine, context_.folder};
  SnapshotNameRule nameRule_;   // kept from run to run
  std::string definitionsNT_;   // reloaded at every run
  std::string definitions9x_;   // loaded once, reloaded only while empty
  std::string lastDefinition_;  // the status text's last loaded line
};

}  // namespace kestrian::scan
