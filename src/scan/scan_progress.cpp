#include "scan/scan_progress.h"

#include <cstdint>
#include <optional>
#include <string>

#include "core/text.h"
#include "scan/offensive_words.h"

namespace kestrian::scan {

void LockMainWindowUpdate(ScanContext& context, bool lock) {
  if (context.form.Visible()) context.host.SuspendMainWindowDrawing(lock);
}

void ReportScanProgress(ScanContext& context, std::string_view status, std::int16_t phasePercent,
                        std::int16_t overallPercent) {
  auto& session = context.state.session;
  auto& form = context.form;
  if (++session.progressRefreshCounter < 100) return;
  LockMainWindowUpdate(context, true);
  form.lblMemoryInspected.SetCaption(std::to_string(session.cookiesProcessesInspected));
  form.lblRegistryInspected.SetCaption(std::to_string(session.registryEntriesInspected));
  form.lblFilesFolderInspected.SetCaption(std::to_string(session.filesFoldersInspected));
  form.lblSoftwareFound.SetCaption(std::to_string(session.spywareFound));
  form.lblRemovePicSoftwareFound.SetCaption(std::to_string(session.spywareFound));
  form.lblStatus.SetCaption(MaskOffensiveWords(status));
  if (phasePercent >= 0) form.pb1.SetValue(phasePercent);
  if (overallPercent >= 0) form.pb2.SetValue(overallPercent);
  LockMainWindowUpdate(context, false);
  session.progressRefreshCounter = 0;
}

bool ProgressRefreshDue(const ScanContext& context, std::int64_t calls) {
  return context.state.session.progressRefreshCounter + calls >= 100;
}

std::optional<std::int16_t> Percent(double part, double whole) {
  if (whole == 0) return std::nullopt;
  const std::int64_t value = core::RoundHalfEven(part / whole * 100.0);
  if (value < INT16_MIN || value > INT16_MAX) return std::nullopt;
  return static_cast<std::int16_t>(value);
}

}  // namespace kestrian::scan
