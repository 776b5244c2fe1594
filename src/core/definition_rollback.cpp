#include "core/definition_rollback.h"

#include "core/definition_files.h"
#include "core/definition_generations.h"
#include "core/main_window_pages.h"

namespace kestrian::core {

namespace {
constexpr std::string_view kQuestion =
    "Put back the previous definitions? The definitions in use now are replaced by the ones they replaced.";
constexpr std::string_view kNothingToRollBack = "There are no previous definitions to go back to.";
}  // namespace

void DefinitionRollback::Command() {
  if (!c_.form.cmdScanNow.Enabled()) return;
  if (!HasPreviousDefinitions(c_.files, c_.folder)) {
    c_.host.ShowMessage(kNothingToRollBack, c_.version.productName, ui::MessageButtons::Ok,
                        ui::MessageIcon::Information);
    return;
  }
  AskAndRollBack();
}

bool DefinitionRollback::Offer() {
  return HasPreviousDefinitions(c_.files, c_.folder) && AskAndRollBack();
}

bool DefinitionRollback::AskAndRollBack() {
  if (c_.host.ShowMessage(kQuestion, c_.version.productName, ui::MessageButtons::YesNo,
                          ui::MessageIcon::Question) != ui::MessageAnswer::Yes) {
    return false;
  }
  const auto restored = RollBackDefinitions(c_.files, c_.folder, c_.settings);
  Recount();
  const std::string text = restored.empty()
                               ? "The previous definitions could not be put back. The definitions in use stay as they are."
                               : "The previous " + DescribeKinds(restored) + " definitions are back in use.";
  c_.host.ShowMessage(text, c_.version.productName, ui::MessageButtons::Ok,
                      restored.empty() ? ui::MessageIcon::Exclamation : ui::MessageIcon::Information);
  return !restored.empty();
}

// The counts are the scans' denominators and the status page's figure; scanning is possible
// again once every file can be read.
void DefinitionRollback::Recount() {
  std::vector<std::string_view> unreadable;
  c_.state.definitionCounts.total = CountDefinitionLines(c_.files, c_.folder, c_.state.definitionCounts, &unreadable);
  UpdateStatusPage(c_.form, c_.settings, c_.state.definitionCounts, c_.version);
  c_.form.cmdScan.SetEnabled(DefinitionFilesPresent(c_.files, c_.folder) && unreadable.empty());
}

}  // namespace kestrian::core
