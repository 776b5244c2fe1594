#pragma once
// The cookies phase: each file of the user's cookie folder is traced to the site that set
// it, and a site that fits a blocked-cookie pattern is a finding.
#include <optional>
#include <string>
#include <string_view>

#include "scan/cookie_pattern_set.h"
#include "scan/scan_context.h"
#include "scan/scanners.h"

namespace kestrian::scan {

class CookieScanner final : public CookieScan {
 public:
  explicit CookieScanner(ScanContext& context) : context_(context) {}

  void ScanCookies(std::int32_t& cookieFileCount) override;
  void ScanCookieFolder(const std::string& folder, std::int32_t& cookieFileCount);
  // Refills the blocked-cookie list from the file; a missing file keeps the rows.
  void LoadBlockedCookies(const std::string& path);

 private:
  // Moves the main bar a little while the patterns load.
  void NudgeScanProgress();
  // False when the scan is to end here (outside a session, after the first finding).
  bool Inspect(const std::string& folder, const std::string& fileName, std::int16_t phasePercent);
  void AddFinding(const std::string& fileName, const std::string& path);
  bool InSession() const { return context_.state.session.running; }

  ScanContext& context_;
  std::optional<CookiePatternSet> patterns_;
};

}  // namespace kestrian::scan
