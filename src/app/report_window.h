#pragma once
// The scan report's viewer: a modal, resizable window with the report in a read-only text
// box (txtReport) and an OK button (cmdOk).
#include <windows.h>

#include <string_view>

#include "ui/report_viewer.h"

namespace kestrian::app {

class ReportWindow final : public ui::ReportViewer {
 public:
  // `owner` (may be null) is disabled while the report is shown and gets the focus back.
  explicit ReportWindow(HWND owner) : owner_(owner) {}

  void ShowModal(std::string_view title, std::string_view text) override;

 private:
  HWND owner_;
};

}  // namespace kestrian::app
