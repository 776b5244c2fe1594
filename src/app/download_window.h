#pragma once
// The Live Update progress window's Win32 view (frmDownload): a small modeless dialog, owned
// by the main window, that mirrors its model (the status, the animated text, the two images
// shown in turn and "Cancel") and has a notification-area icon of its own while it is loaded.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/dialog_support.h"
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
  HWND Handle() const { return window_.get(); }
  bool InTray() const { return tray_.RunningInTray(); }

 private:
  class Mirror;

  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  bool Load();
  void OnInitDialog(HWND window);
  void CreateFonts();
  void CreateControls();
  HWND CreateChild(ui::Control& model, const char* className, DWORD style, int id, HFONT font);
  void DrawPicture(const DRAWITEMSTRUCT& item) const;
  void OnTrayMessage(LPARAM lParam);
  void Unload();
  void Forget();

  ui::FrmDownload form_;
  Win32Host& host_;
  HWND owner_;
  std::string productName_;
  int dpi_ = 96;
  UniqueFont font_;
  UniqueFont boldFont_;
  UniqueWindow window_;
  std::vector<std::unique_ptr<Mirror>> mirrors_;
  std::unique_ptr<WindowTimer> blink_;
  TrayIcon tray_;
};

}  // namespace kestrian::app
