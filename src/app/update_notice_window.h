#pragma once
// The Win32 view of the automatic update's notice (frmSignatureUpdated): a borderless top-most
// popup without a taskbar button that rises from behind the taskbar, rests and sinks as its
// model says, and calls the OK action on its button or at the end of the sink.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/control_binding.h"
#include "app/dialog_support.h"
#include "app/dialog_window.h"
#include "app/win32_host.h"
#include "app/window_timer.h"
#include "ui/frm_signature_updated.h"
#include "update/progress_window.h"
#include "update/update_notice.h"

namespace kestrian::app {

// The notice's measures in pixels: its client area and its place on the screen are the
// model's twips at a fixed 15 twips per pixel, as the behaviour's factors assume.
inline constexpr int kNoticeTwipsPerPixel = 15;

// The screen as the notice's load measures it: the desktop window's client area, the client
// height of the taskbar (the top-level "Shell_TrayWnd" with an empty title; 0 without one)
// and `notice`'s own client width.
update::ScreenMeasures MeasureScreenForNotice(HWND notice);

class UpdateNoticeWindow final : public update::NoticeWindow {
 public:
  // `host` gives the window its dialog keys (Enter presses OK). `onOk` is the OK action: the
  // real one ends the program. It runs at most once per Show.
  UpdateNoticeWindow(Win32Host& host, std::string productName, std::function<void()> onOk);
  ~UpdateNoticeWindow() override;
  UpdateNoticeWindow(const UpdateNoticeWindow&) = delete;
  UpdateNoticeWindow& operator=(const UpdateNoticeWindow&) = delete;

  void Show() override;
  void Close() override;
  ui::FrmSignatureUpdated& Form() override { return form_; }

  // The window, or null while it is not loaded.
  HWND Handle() const { return window_.Get(); }

 private:
  class Placement;

  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void OnInitDialog(HWND window);
  void CreateFonts();
  void CreateControls();
  void OnTimer(UINT_PTR id);
  void RunOk();
  void Unload();

  ui::FrmSignatureUpdated form_;
  Win32Host& host_;
  std::string productName_;
  std::function<void()> onOk_;
  UniqueFont font_;
  UniqueFont boldFont_;
  DialogWindow window_{host_, this, &UpdateNoticeWindow::OnInitDialog, &UpdateNoticeWindow::OnMessage};
  std::unique_ptr<Placement> placement_;
  MirroredControls controls_;
  std::vector<std::unique_ptr<WindowTimer>> timers_;
  bool okRun_ = false;
};

}  // namespace kestrian::app
