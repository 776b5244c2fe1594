#pragma once
// The Live Update progress window's Win32 view (frmDownload): a small modeless dialog, owned
// by the main window, that mirrors its model (the status, the animated text, the two images
// shown in turn and "Cancel") and has a notification-area icon of its own while it is loaded.
#include <windows.h>

#include <memory>
#include <string>

#include "app/control_binding.h"
#include "app/dialog_support.h"
#include "app/dialog_window.h"
#include "app/tray_icon.h"
#include "app/win32_host.h"
#include "app/window_timer.h"
#include "ui/frm_download.h"
#include "update/progress_window.h"

namespace kestrian::app {

class DownloadWindow final : public update::ProgressWindow {
 public:
  // The message this window's tray icon sends it; lParam is the mouse message. Another than
  // the main window's, though the icon reports to this window alone.
  static constexpr UINT kTrayMessage = kTrayCallbackMessage + 1;
  static constexpr char kTrayTip[] = "Getting latest definitions.";

  // `host` gives the window its dialog keys, `owner` (the main window, may be null) owns it.
  // The window and its tray icon show the program's icon (resource 1 of the program's
  // module; the standard one without it).
  DownloadWindow(Win32Host& host, HWND owner, std::string productName);
  ~DownloadWindow() override;
  DownloadWindow(const DownloadWindow&) = delete;
  DownloadWindow& operator=(const DownloadWindow&) = delete;

  void Show() override;
  void LoadHidden() override;
  // Also what Cancel, Escape and the close box do. The update that runs goes on: its writes
  // to the model reach no window until the next load.
  void Close() override;
  ui::FrmDownload& Form() override { return form_; }

  // The window, or null while it is not loaded.
  HWND Handle() const { return window_.Get(); }
  bool InTray() const { return tray_.RunningInTray(); }

 private:
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  bool Load();
  void OnInitDialog(HWND window);
  void CreateFonts();
  void CreateControls();
  void DrawPicture(const DRAWITEMSTRUCT& item) const;
  void OnTrayMessage(LPARAM lParam);
  void Unload();

  ui::FrmDownload form_;
  Win32Host& host_;
  HWND owner_;
  std::string productName_;
  int dpi_ = 96;
  UniqueFont font_;
  UniqueFont boldFont_;
  DialogWindow window_{host_, this, &DownloadWindow::OnInitDialog, &DownloadWindow::OnMessage};
  // Every change is painted at once: the update writes a status and then lets only a short
  // pass of the message loop run.
  MirroredControls controls_{MirroredControls::Repaint::AtOnce};
  std::unique_ptr<WindowTimer> blink_;
  TrayIcon tray_;
};

}  // namespace kestrian::app
