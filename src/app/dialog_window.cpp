#include "app/dialog_window.h"

#include <utility>

#include "app/dialog_support.h"

namespace kestrian::app {

DialogWindow::DialogWindow(Win32Host& host, InitHandler init, MessageHandler handle)
    : host_(host), init_(std::move(init)), handle_(std::move(handle)) {}

bool DialogWindow::Create(DWORD style, HWND owner) {
  Destroy();
  // WM_INITDIALOG keeps the window (Procedure).
  CreateEmptyDialog(style, owner, &DialogWindow::Procedure, reinterpret_cast<LPARAM>(this));
  return window_ != nullptr;
}

void DialogWindow::Destroy() {
  if (window_ == nullptr) return;
  const HWND window = window_;
  Forget();
  ::DestroyWindow(window);
}

INT_PTR CALLBACK DialogWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto& self = *reinterpret_cast<DialogWindow*>(lParam);
    ::SetWindowLongPtrA(window, DWLP_USER, lParam);
    self.window_ = window;
    self.host_.AddDialogWindow(window);
    self.init_(window);
    return FALSE;  // the focus is set when the window is shown
  }
  auto* self = reinterpret_cast<DialogWindow*>(::GetWindowLongPtrA(window, DWLP_USER));
  if (self == nullptr) return FALSE;
  const INT_PTR result = self->handle_(message, wParam, lParam);
  // Destroyed from outside (with its owner): the handle is gone.
  if (message == WM_DESTROY && self->window_ == window) self->Forget();
  return result;
}

void DialogWindow::Forget() {
  host_.RemoveDialogWindow(window_);
  ::SetWindowLongPtrA(window_, DWLP_USER, 0);
  window_ = nullptr;
}

}  // namespace kestrian::app
