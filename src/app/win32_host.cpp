#include "app/win32_host.h"

#include <algorithm>
#include <string>

namespace kestrian::app {

void Win32Host::DoEvents() {
  const DWORD now = ::GetTickCount();
  if (now - lastPass_ < kPassIntervalMs) return;
  lastPass_ = now;
  MSG message;
  while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      // Leave the quit for the outer loop; the running work finishes first.
      quitRequested_ = true;
      ::PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    Dispatch(message);
  }
}

void Win32Host::AddDialogWindow(HWND window) {
  if (std::find(dialogWindows_.begin(), dialogWindows_.end(), window) == dialogWindows_.end()) {
    dialogWindows_.push_back(window);
  }
}

void Win32Host::RemoveDialogWindow(HWND window) { std::erase(dialogWindows_, window); }

void Win32Host::Dispatch(MSG& message) {
  if (mainWindow_ != nullptr && ::IsDialogMessageA(mainWindow_, &message)) return;
  // IsDialogMessage may run a handler that removes a dialog; the loop ends right after it.
  for (const HWND dialog : dialogWindows_) {
    if (::IsDialogMessageA(dialog, &message)) return;
  }
  ::TranslateMessage(&message);
  ::DispatchMessageA(&message);
}

ui::MessageAnswer Win32Host::ShowMessage(std::string_view text, std::string_view title,
                                         ui::MessageButtons buttons, ui::MessageIcon icon) {
  UINT flags = 0;
  switch (buttons) {
    case ui::MessageButtons::Ok: flags |= MB_OK; break;
    case ui::MessageButtons::OkCancel: flags |= MB_OKCANCEL; break;
    case ui::MessageButtons::YesNo: flags |= MB_YESNO; break;
    case ui::MessageButtons::YesNoCancel: flags |= MB_YESNOCANCEL; break;
  }
  switch (icon) {
    case ui::MessageIcon::None: break;
    case ui::MessageIcon::Information: flags |= MB_ICONINFORMATION; break;
    case ui::MessageIcon::Question: flags |= MB_ICONQUESTION; break;
    case ui::MessageIcon::Exclamation: flags |= MB_ICONEXCLAMATION; break;
    case ui::MessageIcon::Critical: flags |= MB_ICONHAND; break;
  }
  const std::string body(text);
  const std::string caption(title);
  const HWND owner = (mainWindow_ != nullptr && ::IsWindowVisible(mainWindow_)) ? mainWindow_ : nullptr;
  switch (::MessageBoxA(owner, body.c_str(), caption.c_str(), flags)) {
    case IDYES: return ui::MessageAnswer::Yes;
    case IDNO: return ui::MessageAnswer::No;
    case IDCANCEL: return ui::MessageAnswer::Cancel;
    default: return ui::MessageAnswer::Ok;
  }
}

void Win32Host::SuspendMainWindowDrawing(bool suspend) {
  if (mainWindow_ == nullptr) return;
  ::SendMessageA(mainWindow_, WM_SETREDRAW, suspend ? FALSE : TRUE, 0);
  if (!suspend) {
    ::RedrawWindow(mainWindow_, nullptr, nullptr,
                   RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
  }
}

void Win32Host::RestoreDefaultPointer() { ::SetCursor(::LoadCursorA(nullptr, IDC_ARROW)); }

}  // namespace kestrian::app
