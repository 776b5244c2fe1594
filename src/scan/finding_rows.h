#pragma once
// The rows a finding adds to the scan page's found list and to the results list.
#include <string_view>

#include "ui/frm_main.h"

namespace kestrian::scan {

// Small-icon indexes of the found and results lists.
namespace finding_icons {
inline constexpr int kCookie = 1;
inline constexpr int kRegistry = 2;
inline constexpr int kFileOrProcess = 3;
}  // namespace finding_icons

// Whether the found list already holds a row that begins with threat name & " - Found".
bool ThreatListed(const ui::FrmMain& form, std::string_view threatName);

// Adds one to the traces counter of the scan page.
void CountTrace(ui::FrmMain& form);

// Adds `foundText` to the found list and a results row with `resultText` and `location`.
void AddThreatRows(ui::FrmMain& form, std::string foundText, std::string resultText,
                   std::string location, int icon);

// The exclusion test of registry and file traces: the location or the name the results
// list shows for them (an empty name is never taken as excluded).
bool TraceExcluded(std::string_view exclusionText, std::string_view location,
                   std::string_view resultText);

}  // namespace kestrian::scan
