#pragma once
// The scan report's viewer: a modal, resizable window with the report in a read-only text
// box (txtReport) and an OK button (cmdOk).
#include <windows.h>

#include <string_view>

#include "app/win32_host.h"
#include "ui/report_viewer.h"

namespace kestrian::app {

class ReportWindow final : public ui::ReportViewer {
 public:
  // `owner` (may be null) is disabled while the report is shown and gets the focus back;
  // `host` gives the report its dialog keys.
  ReportWindow(Win32Host& host, HWND owner) : host_(host), owner_(owner) {}

  void ShowModal(std::string_view title, std::string_view text) override;

 private:
  Win32Host& host_;
  HWND owner_;
};

}  // namespace kestrian::app
