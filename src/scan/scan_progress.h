#pragma once
// The per-item progress routine every scanner calls, and the drawing lock of the window.
#include <cstdint>
#include <optional>
#include <utility>
#include <string_view>

#include "scan/scan_context.h"

namespace kestrian::scan {

// Suspends or resumes drawing of the main window while it is visible; otherwise nothing.
void LockMainWindowUpdate(ScanContext& context, bool lock);

// Counts the call; only every hundredth call refreshes the counters, the masked status text
// and the bars (a negative percent leaves its bar as it is).
void ReportScanProgress(ScanContext& context, std::string_view status, std::int16_t phasePercent,
                        std::int16_t overallPercent);

// Whether one of the next `calls` progress calls refreshes the window.
bool ProgressRefreshDue(const ScanContext& context, std::int64_t calls);

// ReportScanProgress for a call whose status text is costly to build: `makeStatus` runs
// only when this call refreshes the window.
template <class MakeStatus>
void ReportScanProgressLazily(ScanContext& context, MakeStatus&& makeStatus,
                              std::int16_t phasePercent, std::int16_t overallPercent) {
  if (!ProgressRefreshDue(context, 1)) {
    ++context.state.session.progressRefreshCounter;
    return;
  }
  ReportScanProgress(context, makeStatus(), phasePercent, overallPercent);
}

// The same where the percents are costly too: `makePercents` gives the phase and the
// overall percent, and runs only when this call refreshes the window.
template <class MakeStatus, class MakePercents>
void ReportScanProgressLazily(ScanContext& context, MakeStatus&& makeStatus,
                              MakePercents&& makePercents) {
  if (!ProgressRefreshDue(context, 1)) {
    ++context.state.session.progressRefreshCounter;
    return;
  }
  const auto [phasePercent, overallPercent] = makePercents();
  ReportScanProgress(context, makeStatus(), phasePercent, overallPercent);
}

// `calls` progress calls in a row, as a loop over items makes them when it finds its
// answer without visiting each item: the counter advances by `calls`, and when one of the
// calls refreshes, the window shows the last such call with the status text
// `statusOfCall(index)` (0-based).
template <class StatusOfCall>
void ReportScanProgressRun(ScanContext& context, std::int64_t calls, StatusOfCall&& statusOfCall,
                           std::int16_t phasePercent, std::int16_t overallPercent) {
  if (calls <= 0) return;
  auto& counter = context.state.session.progressRefreshCounter;
  if (!ProgressRefreshDue(context, calls)) {
    counter += static_cast<std::int32_t>(calls);
    return;
  }
  // Calls refresh when the counter reaches 100; each refresh restarts it at 0.
  const std::int64_t firstRefresh = 99 - counter;  // index of the first refreshing call
  const std::int64_t lastRefresh = firstRefresh + (calls - 1 - firstRefresh) / 100 * 100;
  counter = 99;
  ReportScanProgress(context, statusOfCall(lastRefresh), phasePercent, overallPercent);
  counter = static_cast<std::int32_t>(calls - 1 - lastRefresh);
}

// A percentage as the scanners compute it: part / whole * 100 rounded half to even, or
// nothing when `whole` is 0 or the result does not fit (the bars then keep their values).
std::optional<std::int16_t> Percent(double part, double whole);

}  // namespace kestrian::scan
