#include "app/tray_icon.h"

#include <algorithm>

namespace kestrian::app {

namespace {
// The first form of the record: a tip of 64 characters, as every shell knows it.
constexpr DWORD kRecordSize = NOTIFYICONDATAA_V1_SIZE;
constexpr UINT kRecordFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;

// The window's own icon: the one it was given, else its class's, else the standard one.
HICON IconOf(HWND window) {
  for (const WPARAM size : {ICON_SMALL, ICON_BIG}) {
    if (const auto icon = reinterpret_cast<HICON>(::SendMessageA(window, WM_GETICON, size, 0))) {
      return icon;
    }
  }
  for (const int index : {GCLP_HICONSM, GCLP_HICON}) {
    if (const auto icon = reinterpret_cast<HICON>(::GetClassLongPtrA(window, index))) return icon;
  }
  return ::LoadIconA(nullptr, IDI_APPLICATION);
}
}  // namespace

TrayAction ActionOfTrayMessage(LPARAM lParam) {
  switch (LOWORD(lParam)) {
    case WM_LBUTTONDBLCLK: return TrayAction::RestoreWindow;
    case WM_RBUTTONUP: return TrayAction::ShowMenu;
    default: return TrayAction::None;
  }
}

std::string TrayTipText(std::string_view text) {
  return std::string(text.substr(0, kTrayTipLength));
}

TrayIcon::~TrayIcon() {
  if (runningInTray_) RemoveIcon();
}

void TrayIcon::ShowIcon(HWND window, std::string_view tip, UINT callbackMessage) {
  if (runningInTray_ && record_.hWnd != window) RemoveIcon();
  record_.cbSize = kRecordSize;
  record_.hWnd = window;
  record_.uID = kTrayIconId;
  record_.uFlags = kRecordFlags;
  record_.uCallbackMessage = callbackMessage;
  record_.hIcon = IconOf(window);
  SetTip(tip);
  // Already there (shown before and not removed): brought up to date instead.
  if (!::Shell_NotifyIconA(NIM_ADD, &record_)) ::Shell_NotifyIconA(NIM_MODIFY, &record_);
  runningInTray_ = true;
}

void TrayIcon::RemoveIcon() {
  if (record_.hWnd != nullptr) {
    SetTip("");
    ::Shell_NotifyIconA(NIM_DELETE, &record_);
  }
  runningInTray_ = false;
}

void TrayIcon::ChangeToolTip(std::string_view tip) {
  if (!runningInTray_) return;
  SetTip(tip);
  ::Shell_NotifyIconA(NIM_MODIFY, &record_);
}

void TrayIcon::SetTip(std::string_view tip) {
  const std::string text = TrayTipText(tip);
  std::fill(std::begin(record_.szTip), std::end(record_.szTip), '\0');
  std::copy(text.begin(), text.end(), record_.szTip);
}

}  // namespace kestrian::app
