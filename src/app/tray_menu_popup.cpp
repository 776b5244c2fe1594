#include "app/tray_menu_popup.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "app/control_binding.h"

namespace kestrian::app {

namespace {
// "Close This Menu" is IDCANCEL, so that Escape and the close box take its path.
constexpr int kShowProgramId = 1001;
constexpr int kExitProgramId = 1002;
constexpr int kCloseMenuId = IDCANCEL;

struct Item {
  int id;
  const char* caption;
};
// From top to bottom.
constexpr Item kItems[] = {
    {kShowProgramId, "Show Program"},
    {kExitProgramId, "Exit Program"},
    {kCloseMenuId, "Close This Menu"},
};

constexpr UINT_PTR kSlideUpTimer = 1;
constexpr UINT kSlideUpMs = 1;
constexpr UINT_PTR kAutoCloseTimer = 2;
constexpr UINT kAutoCloseMs = 100;
constexpr UINT_PTR kSlideDownTimer = 3;
constexpr UINT kSlideDownMs = 10;
// Ticks of the auto-close timer without mouse movement before the popup slides down.
constexpr int kAutoCloseTicks = 20;

// The popup as designed, in twips.
constexpr int kClientWidthTwips = 4215;
constexpr int kClientHeightTwips = 1500;
constexpr int kSlideUpStepTwips = 80;
constexpr int kSlideDownStepTwips = 100;
constexpr int kMarginAboveBottomTwips = 100;
constexpr int kGoneBelowTwips = 2000;  // from the bottom of the screen

// Item layout in pixels at 96 DPI.
constexpr int kItemMargin = 6;
constexpr int kItemGap = 4;
constexpr int kItemFontPoints = 8;

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST;

HFONT CreateItemFont(int dpi) {
  LOGFONTA font{};
  font.lfHeight = -::MulDiv(kItemFontPoints, dpi, 72);
  lstrcpynA(font.lfFaceName, "Verdana", LF_FACESIZE);
  return ::CreateFontIndirectA(&font);
}

// The height of a taskbar along the bottom of the screen; 0 when there is none.
int TaskbarHeight(int screenHeight) {
  const HWND taskbar = ::FindWindowA("Shell_TrayWnd", nullptr);
  RECT bounds{};
  RECT client{};
  if (taskbar == nullptr || !::GetWindowRect(taskbar, &bounds) || !::GetClientRect(taskbar, &client)) {
    return 0;
  }
  return bounds.top > screenHeight / 2 ? client.bottom : 0;
}

SIZE SizeOf(const RECT& rect) { return {rect.right - rect.left, rect.bottom - rect.top}; }
}  // namespace

TrayPopupPlacement PlaceTrayPopup(SIZE screen, int taskbarHeight, SIZE popup, int dpi) {
  TrayPopupPlacement placement;
  placement.left = screen.cx - popup.cx;
  placement.startTop = screen.cy - taskbarHeight;
  placement.targetTop = std::min(screen.cy - (popup.cy + TwipsToPixels(kMarginAboveBottomTwips, dpi)),
                                 placement.startTop - popup.cy);
  return placement;
}

TrayMenuPopup::TrayMenuPopup(Win32Host& host, HWND owner, std::string_view productName,
                             std::function<void()> showProgram, std::function<void()> exitProgram)
    : host_(host),
      owner_(owner),
      productName_(productName),
      showProgram_(std::move(showProgram)),
      exitProgram_(std::move(exitProgram)) {}

void TrayMenuPopup::Open(bool exitEnabled, bool showEnabled) {
  const bool opening = !window_;
  if (opening && !window_.Create(kStyle, owner_)) return;
  EnableItems(exitEnabled, showEnabled);
  if (opening) {
    ticks_ = 0;
    PlaceAtTaskbar();
    ::ShowWindow(window_.Get(), SW_SHOW);
    ::SetTimer(window_.Get(), kSlideUpTimer, kSlideUpMs, nullptr);
  }
  ::SetForegroundWindow(window_.Get());
  FocusFirstItem();
}

void TrayMenuPopup::OnInitDialog(HWND window) {
  ::SetWindowTextA(window, productName_.c_str());
  dpi_ = ScreenDpi();
  font_ = UniqueFont(CreateItemFont(dpi_));
  ::SetWindowLongPtrA(window, GWL_EXSTYLE, ::GetWindowLongPtrA(window, GWL_EXSTYLE) | kExStyle);
  RECT bounds{0, 0, TwipsToPixels(kClientWidthTwips, dpi_), TwipsToPixels(kClientHeightTwips, dpi_)};
  ::AdjustWindowRectEx(&bounds, kStyle, FALSE, kExStyle);
  const SIZE size = SizeOf(bounds);
  ::SetWindowPos(window, HWND_TOPMOST, 0, 0, size.cx, size.cy,
                 SWP_NOMOVE | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  CreateItems();
  LayoutItems();
}

INT_PTR TrayMenuPopup::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED) OnCommand(LOWORD(wParam));
      return TRUE;
    case WM_TIMER:
      OnTimer(wParam);
      return TRUE;
    case WM_SETCURSOR:  // reaches the popup for movements over its items as well
      if (HIWORD(lParam) == WM_MOUSEMOVE) ticks_ = 0;
      return FALSE;
    case WM_MOUSEMOVE:
      ticks_ = 0;
      return FALSE;
    case WM_CLOSE:
      StartSlideDown();
      return TRUE;
    default:
      return FALSE;
  }
}

void TrayMenuPopup::CreateItems() {
  const HFONT font = font_ ? font_.get() : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
  for (const Item& item : kItems) {
    const HWND button = ::CreateWindowExA(
        0, "BUTTON", item.caption, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 0, 0, 0,
        window_.Get(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(item.id)),
        ::GetModuleHandleA(nullptr), nullptr);
    ::SendMessageA(button, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
}

// The items one below the other, filling the client area.
void TrayMenuPopup::LayoutItems() {
  RECT client{};
  ::GetClientRect(window_.Get(), &client);
  const int margin = ::MulDiv(kItemMargin, dpi_, 96);
  const int gap = ::MulDiv(kItemGap, dpi_, 96);
  const int count = static_cast<int>(std::size(kItems));
  const int height = (client.bottom - 2 * margin - (count - 1) * gap) / count;
  for (int row = 0; row < count; ++row) {
    ::MoveWindow(::GetDlgItem(window_.Get(), kItems[row].id), margin, margin + row * (height + gap),
                 client.right - 2 * margin, height, FALSE);
  }
}

void TrayMenuPopup::EnableItems(bool exitEnabled, bool showEnabled) {
  ::EnableWindow(::GetDlgItem(window_.Get(), kExitProgramId), exitEnabled);
  ::EnableWindow(::GetDlgItem(window_.Get(), kShowProgramId), showEnabled);
}

void TrayMenuPopup::FocusFirstItem() {
  for (const Item& item : kItems) {
    const HWND button = ::GetDlgItem(window_.Get(), item.id);
    if (::IsWindowEnabled(button)) {
      ::SendMessageA(window_.Get(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(button), TRUE);
      return;
    }
  }
}

// The popup's top at the taskbar's upper edge, its right edge at the screen's.
void TrayMenuPopup::PlaceAtTaskbar() {
  RECT desktop{};
  ::GetClientRect(::GetDesktopWindow(), &desktop);
  RECT bounds{};
  ::GetWindowRect(window_.Get(), &bounds);
  screenHeight_ = desktop.bottom;
  const TrayPopupPlacement placement =
      PlaceTrayPopup(SizeOf(desktop), TaskbarHeight(screenHeight_), SizeOf(bounds), dpi_);
  left_ = placement.left;
  targetTop_ = placement.targetTop;
  MoveTo(placement.startTop);
}

void TrayMenuPopup::OnCommand(int id) {
  if (!::IsWindowEnabled(::GetDlgItem(window_.Get(), id))) return;
  if (id == kShowProgramId) RunThenSlideDown(showProgram_);
  if (id == kExitProgramId) RunThenSlideDown(exitProgram_);
  if (id == kCloseMenuId) StartSlideDown();
}

// The action may destroy the owner, and the popup with it.
void TrayMenuPopup::RunThenSlideDown(const std::function<void()>& action) {
  if (action) action();
  if (window_) StartSlideDown();
}

void TrayMenuPopup::OnTimer(UINT_PTR id) {
  if (id == kSlideUpTimer) SlideUpStep();
  if (id == kAutoCloseTimer) AutoCloseTick();
  if (id == kSlideDownTimer) SlideDownStep();
}

void TrayMenuPopup::SlideUpStep() {
  const int top = Top();
  if (top <= targetTop_) {
    ::KillTimer(window_.Get(), kSlideUpTimer);
    ::SetTimer(window_.Get(), kAutoCloseTimer, kAutoCloseMs, nullptr);
    return;
  }
  MoveTo(std::max(top - TwipsToPixels(kSlideUpStepTwips, dpi_), targetTop_));
}

void TrayMenuPopup::AutoCloseTick() {
  if (++ticks_ <= kAutoCloseTicks) return;
  ticks_ = 0;
  StartSlideDown();
}

void TrayMenuPopup::SlideDownStep() {
  const int top = Top() + TwipsToPixels(kSlideDownStepTwips, dpi_);
  MoveTo(top);
  if (top > screenHeight_ - TwipsToPixels(kGoneBelowTwips, dpi_)) window_.Destroy();
}

void TrayMenuPopup::StartSlideDown() {
  ::KillTimer(window_.Get(), kSlideUpTimer);
  ::KillTimer(window_.Get(), kAutoCloseTimer);
  ::SetTimer(window_.Get(), kSlideDownTimer, kSlideDownMs, nullptr);
}

int TrayMenuPopup::Top() const {
  RECT bounds{};
  ::GetWindowRect(window_.Get(), &bounds);
  return bounds.top;
}

void TrayMenuPopup::MoveTo(int top) {
  ::SetWindowPos(window_.Get(), nullptr, left_, top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace kestrian::app
