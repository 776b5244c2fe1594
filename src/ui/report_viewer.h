#pragma once
// The scan report's viewer window, shown modally.
#include <string_view>

namespace kestrian::ui {

class ReportViewer {
 public:
  virtual ~ReportViewer() = default;
  // Shows `text` in a read-only text box under `title`; returns when the user closed it.
  virtual void ShowModal(std::string_view title, std::string_view text) = 0;
};

}  // namespace kestrian::ui
