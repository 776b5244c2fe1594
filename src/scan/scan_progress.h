#pragma once
// The per-item progress routine every scanner calls, and the drawing lock of the window.
#include <cstdint>
#include <optional>
#include <string_view>

#include "scan/scan_context.h"

namespace kestrian::scan {

// Suspends or resumes drawing of the main window while it is visible; otherwise nothing.
void LockMainWindowUpdate(ScanContext& context, bool lock);

// Counts the call; only every hundredth call refreshes the counters, the masked status text
// and the bars (a negative percent leaves its bar as it is).
void ReportScanProgress(ScanContext& context, std::string_view status, std::int16_t phasePercent,
                        std::int16_t overallPercent);

// A percentage as the scanners compute it: part / whole * 100 rounded half to even, or
// nothing when `whole` is 0 or the result does not fit (the bars then keep their values).
std::optional<std::int16_t> Percent(double part, double whole);

}  // namespace kestrian::scan
