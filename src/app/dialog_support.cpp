#include "app/dialog_support.h"

#include <algorithm>
#include <cstddef>

namespace kestrian::app {

namespace {
struct alignas(4) EmptyDialogTemplate {
  DLGTEMPLATE header;
  WORD menu = 0;
  WORD windowClass = 0;
  WORD title = 0;
};
static_assert(offsetof(EmptyDialogTemplate, menu) == sizeof(DLGTEMPLATE));
}  // namespace

int ScreenDpi() { return ::GetDeviceCaps(ScreenDc().Get(), LOGPIXELSY); }

HFONT CreateMessageFont() {
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof metrics;
  if (!::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return nullptr;
  return ::CreateFontIndirectA(&metrics.lfMessageFont);
}

HFONT CreateBoldFont(HFONT font) {
  LOGFONTA bold{};
  if (font == nullptr || ::GetObjectA(font, sizeof bold, &bold) != sizeof bold) return nullptr;
  bold.lfWeight = FW_BOLD;
  return ::CreateFontIndirectA(&bold);
}

// Measured rather than computed from the styles, so a menu or a changed frame counts too.
void SetClientSize(HWND window, int width, int height) {
  RECT frame{};
  RECT client{};
  ::GetWindowRect(window, &frame);
  ::GetClientRect(window, &client);
  ::SetWindowPos(window, nullptr, 0, 0, width + (frame.right - frame.left) - client.right,
                 height + (frame.bottom - frame.top) - client.bottom,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND CreateHiddenChild(HWND parent, const char* className, DWORD style, int id, HFONT font) {
  const HWND child = ::CreateWindowExA(0, className, "", WS_CHILD | style, 0, 0, 0, 0, parent,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                       ::GetModuleHandleA(nullptr), nullptr);
  if (child != nullptr) ::SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return child;
}

HWND CreateEmptyDialog(DWORD style, HWND owner, DLGPROC procedure, LPARAM parameter) {
  EmptyDialogTemplate dialog{};
  dialog.header.style = style;
  return ::CreateDialogIndirectParamA(::GetModuleHandleA(nullptr), &dialog.header, owner, procedure,
                                      parameter);
}

void CenterOver(HWND window, HWND owner) {
  RECT area{};
  ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  RECT around = area;
  if (owner != nullptr && ::IsWindowVisible(owner) && !::IsIconic(owner)) {
    ::GetWindowRect(owner, &around);
  }
  RECT bounds{};
  ::GetWindowRect(window, &bounds);
  const LONG width = bounds.right - bounds.left;
  const LONG height = bounds.bottom - bounds.top;
  const LONG left = around.left + (around.right - around.left - width) / 2;
  const LONG top = around.top + (around.bottom - around.top - height) / 2;
  ::SetWindowPos(window, nullptr, std::clamp(left, area.left, std::max(area.left, area.right - width)),
                 std::clamp(top, area.top, std::max(area.top, area.bottom - height)), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

DisabledOwner::DisabledOwner(HWND owner) : owner_(owner), focus_(::GetFocus()) {
  // EnableWindow answers whether the window was disabled already.
  disabled_ = owner_ != nullptr && !::EnableWindow(owner_, FALSE);
}

DisabledOwner::~DisabledOwner() {
  if (!disabled_) return;
  ::EnableWindow(owner_, TRUE);
  ::SetActiveWindow(owner_);
  if (focus_ != nullptr && (focus_ == owner_ || ::IsChild(owner_, focus_))) ::SetFocus(focus_);
}

}  // namespace kestrian::app
