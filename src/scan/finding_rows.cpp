#include "scan/finding_rows.h"

#include <string>

#include "core/exclusion_list.h"
#include "core/text.h"

namespace kestrian::scan {

bool ThreatListed(const ui::FrmMain& form, std::string_view threatName) {
  std::string prefix(threatName);
  prefix.append(" - Found");
  return form.lvwSpywareFound.FindItemStartingWith(prefix).has_value();
}

void CountTrace(ui::FrmMain& form) {
  const auto traces = core::ParseNumber(form.lbltracesFound.Caption()).value_or(0);
  form.lbltracesFound.SetCaption(std::to_string(traces + 1));
}

void AddThreatRows(ui::FrmMain& form, std::string foundText, std::string resultText,
                   std::string location, int icon) {
  form.lvwSpywareFound.Add(std::move(foundText), icon);
  auto& results = form.lvwPicRemoveListOfSpywareFoundAndToBeRemoved;
  const std::size_t row = results.Add(std::move(resultText), icon);
  results.SetSubItem(row, 1, std::move(location));
}

bool TraceExcluded(std::string_view exclusionText, std::string_view location,
                   std::string_view resultText) {
  if (exclusionText.empty()) return false;
  if (!location.empty() && core::IsExcluded(exclusionText, location)) return true;
  return !core::Trim(resultText).empty() && core::IsExcluded(exclusionText, resultText);
}

}  // namespace kestrian::scan
