#pragma once
// The host of the real program: the Win32 message loop, message boxes and drawing locks.
#include <windows.h>

#include <vector>

#include "ui/host.h"

namespace kestrian::app {

class Win32Host final : public ui::Host {
 public:
  void SetMainWindow(HWND window) { mainWindow_ = window; }
  // Modeless dialogs (Delete Failed) whose dialog keys Dispatch handles as well; a dialog is
  // removed before it is destroyed.
  void AddDialogWindow(HWND window);
  void RemoveDialogWindow(HWND window);

  // Pumps pending messages, but at most once per pass interval: a message-loop pass costs
  // as much as a registry read under Wine, so pumping after every item would dominate a
  // scan, while 25 ms keeps Stop and Pause well under a tenth of a second.
  void DoEvents() override;
  ui::MessageAnswer ShowMessage(std::string_view text, std::string_view title,
                                ui::MessageButtons buttons, ui::MessageIcon icon) override;
  void SuspendMainWindowDrawing(bool suspend) override;
  void RestoreDefaultPointer() override;

  // Dispatches one message, giving dialog keys (Tab, Enter, Escape) to the main window or
  // the dialog the message is for.
  void Dispatch(MSG& message);
  bool QuitRequested() const { return quitRequested_; }

 private:
  static constexpr DWORD kPassIntervalMs = 25;
  HWND mainWindow_ = nullptr;
  std::vector<HWND> dialogWindows_;
  DWORD lastPass_ = 0;
  bool quitRequested_ = false;
};

}  // namespace kestrian::app
