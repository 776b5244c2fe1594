#pragma once
// The phases the program runs until the scanners of each kind are wired in: each walks its
// definition file line by line with the session's counters, progress and yields, and tests
// nothing on the machine, so it reports no finding.
#include "scan/scan_context.h"
#include "scan/scanners.h"

namespace kestrian::app {

class DefinitionWalk final : public scan::CookieScan, public scan::ProcessScan,
                             public scan::RegistryScan, public scan::FileScan {
 public:
  explicit DefinitionWalk(scan::ScanContext& context) : context_(context) {}
  void ScanCookies(std::int32_t& cookieFileCount) override;
  void ScanRunningProcesses() override;
  void ScanRegistryDefinitions() override;
  void ScanFileDefinitions() override;

 private:
  // Walks one file; the overall percent counts `before` more items (none when negative).
  int Walk(std::string_view file, std::int32_t& counter, std::int32_t phaseCount,
           std::int32_t before);
  scan::ScanContext& context_;
};

}  // namespace kestrian::app
