#pragma once
// The Delete Failed window's Win32 view: a modeless dialog, owned by the main window, that
// lists the paths a removal could not delete for as long as its model is visible.
#include <windows.h>

#include <string>

#include "app/dialog_support.h"
#include "app/dialog_window.h"
#include "app/win32_host.h"
#include "ui/frm_main.h"

namespace kestrian::app {

// The rows of lstProblem as the clipboard gets them: each row's text followed by CR LF.
std::string ProblemListText(const ui::FrmDelete& form);

class DeleteFailedWindow final : public ui::ControlPeer {
 public:
  // `owner` (may be null) owns the window; `host` gives the window its dialog keys.
  DeleteFailedWindow(ui::FrmDelete& form, Win32Host& host, HWND owner);
  ~DeleteFailedWindow() override;
  DeleteFailedWindow(const DeleteFailedWindow&) = delete;
  DeleteFailedWindow& operator=(const DeleteFailedWindow&) = delete;

  // The window, or null until the model is first shown.
  HWND Handle() const { return window_.Get(); }

  // Shows the model's rows when it becomes visible, hides the window when it does not.
  void OnModelChanged() override;

 private:
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void OnInitDialog(HWND window);
  void CreateControls();
  HWND CreateChild(const char* className, const char* text, DWORD style, DWORD exStyle, int id);
  HFONT Font() const;
  void Layout();
  void FillList();
  void CloseByUser();

  ui::FrmDelete& form_;
  Win32Host& host_;
  HWND owner_;
  int dpi_ = 96;
  UniqueFont font_;
  bool closing_ = false;
  // Last: destroyed before the font its controls use.
  DialogWindow window_{host_, this, &DeleteFailedWindow::OnInitDialog, &DeleteFailedWindow::OnMessage};
};

}  // namespace kestrian::app
