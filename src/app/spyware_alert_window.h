#pragma once
// The memory shield's alert (frmSpywareFoundAlert) as a Win32 window: a top-most modeless
// dialog, new for every finding, that names the running program and its company and offers
// STOP and ALLOW. The process scan waits, yielding, until it is answered; closing it by its
// close box or Escape answers it without stopping or excluding anything.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/control_binding.h"
#include "app/dialog_support.h"
#include "app/dialog_window.h"
#include "app/win32_host.h"
#include "protect/memory_shield.h"
#include "scan/process_scanner.h"
#include "ui/frm_spyware_found_alert.h"

namespace kestrian::app {

class SpywareAlertWindow final : public scan::SpywareAlert {
 public:
  // `services` carry out the answers; `host` gives the window its dialog keys.
  SpywareAlertWindow(Win32Host& host, protect::AlertServices services);
  ~SpywareAlertWindow() override;
  SpywareAlertWindow(const SpywareAlertWindow&) = delete;
  SpywareAlertWindow& operator=(const SpywareAlertWindow&) = delete;

  void Show(std::string_view companyCaption, std::string_view fileCaption,
            const scan::FoundProcess& process) override;

  // The open alert, or null.
  HWND Handle() const { return window_.Get(); }
  const ui::FrmSpywareFoundAlert* Form() const { return form_.get(); }

 private:
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void OnInitDialog(HWND window);
  void CreateControls();
  void Answer(int button);
  void Close();

  Win32Host& host_;
  protect::AlertServices services_;
  int dpi_ = 96;
  UniqueFont font_;
  UniqueFont boldFont_;
  std::unique_ptr<ui::FrmSpywareFoundAlert> form_;
  scan::FoundProcess process_;  // the process the open alert is about
  MirroredControls controls_;
  DialogWindow window_{host_, this, &SpywareAlertWindow::OnInitDialog, &SpywareAlertWindow::OnMessage};
};

}  // namespace kestrian::app
