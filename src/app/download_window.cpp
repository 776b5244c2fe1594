#include "app/download_window.h"

#include <array>
#include <utility>

#include "app/control_binding.h"
#include "update/download_animation.h"

namespace kestrian::app {

namespace {
// "Cancel" is IDCANCEL, so that Escape, Enter (it is the default button), the close box and
// the button take one path.
constexpr int kProductId = 1001;
constexpr int kStatusId = 1002;
constexpr int kPictureUpId = 1003;
constexpr int kPictureDownId = 1004;
constexpr int kCancelId = IDCANCEL;

constexpr UINT_PTR kBlinkTimerId = 1;
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_3DLOOK;
constexpr char kTitleSuffix[] = " Live Update";

constexpr COLORREF kUpColour = RGB(0, 128, 0);
constexpr COLORREF kDownColour = RGB(0, 64, 160);

// The program's icon at the size Windows asks for, or null when its module has none.
HICON ProgramIcon(int widthMetric, int heightMetric) {
  return static_cast<HICON>(::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1),
                                         IMAGE_ICON, ::GetSystemMetrics(widthMetric),
                                         ::GetSystemMetrics(heightMetric), LR_SHARED));
}

// A block arrow filling `bounds`, pointing up or down.
void DrawArrow(HDC dc, const RECT& bounds, bool up, COLORREF colour) {
  // The arrow pointing up, in tenths of the box; a down arrow is its mirror image.
  constexpr std::array<POINT, 7> kShape = {
      {{5, 1}, {9, 5}, {7, 5}, {7, 9}, {3, 9}, {3, 5}, {1, 5}}};
  const LONG width = bounds.right - bounds.left;
  const LONG height = bounds.bottom - bounds.top;
  std::array<POINT, kShape.size()> points{};
  for (std::size_t i = 0; i < kShape.size(); ++i) {
    const LONG y = up ? kShape[i].y : 10 - kShape[i].y;
    points[i] = {bounds.left + ::MulDiv(width, kShape[i].x, 10),
                 bounds.top + ::MulDiv(height, y, 10)};
  }
  const HBRUSH brush = ::CreateSolidBrush(colour);
  const HGDIOBJ oldBrush = ::SelectObject(dc, brush);
  const HGDIOBJ oldPen = ::SelectObject(dc, ::GetStockObject(BLACK_PEN));
  ::Polygon(dc, points.data(), static_cast<int>(points.size()));
  ::SelectObject(dc, oldPen);
  ::SelectObject(dc, oldBrush);
  ::DeleteObject(brush);
}
}  // namespace

DownloadWindow::DownloadWindow(Win32Host& host, HWND owner, std::string productName)
    : host_(host), owner_(owner), productName_(std::move(productName)) {}

DownloadWindow::~DownloadWindow() { Close(); }

void DownloadWindow::Show() {
  if (!window_ && !Load()) return;
  ::ShowWindow(window_.Get(), SW_SHOWNORMAL);
  ::SendMessageA(window_.Get(), WM_NEXTDLGCTL,
                 reinterpret_cast<WPARAM>(::GetDlgItem(window_.Get(), kCancelId)), TRUE);
  ::UpdateWindow(window_.Get());
}

void DownloadWindow::LoadHidden() {
  if (!window_) Load();
}

void DownloadWindow::Close() {
  if (!window_) return;
  Unload();
  window_.Destroy();
}

// The window with its controls (OnInitDialog), its own tray icon, and the animation started.
bool DownloadWindow::Load() {
  if (!window_.Create(kStyle, owner_)) return false;
  tray_.ShowIcon(window_.Get(), kTrayTip, kTrayMessage);
  update::StartDownloadAnimation(form_);
  return true;
}

void DownloadWindow::OnInitDialog(HWND window) {
  ::SetWindowTextA(window, (productName_ + kTitleSuffix).c_str());
  if (const HICON icon = ProgramIcon(SM_CXSMICON, SM_CYSMICON)) {
    ::SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
  }
  if (const HICON icon = ProgramIcon(SM_CXICON, SM_CYICON)) {
    ::SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  }
  dpi_ = ScreenDpi();
  CreateFonts();
  SetClientSize(window, TwipsToPixels(ui::FrmDownload::kWidth, dpi_),
                TwipsToPixels(ui::FrmDownload::kHeight, dpi_));
  CreateControls();
  ::SendMessageA(window, DM_SETDEFID, kCancelId, 0);
  CenterOver(window, owner_);
  blink_ = std::make_unique<WindowTimer>(form_.tmrBlink, window, kBlinkTimerId);
}

void DownloadWindow::CreateFonts() {
  font_ = UniqueFont(CreateMessageFont());
  boldFont_ = UniqueFont(CreateBoldFont(font_.get()));
}

void DownloadWindow::CreateControls() {
  const auto stock = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
  const HFONT font = font_ ? font_.get() : stock;
  const HFONT bold = boldFont_ ? boldFont_.get() : font;
  const HWND window = window_.Get();
  controls_.Add(window, form_.picUp, "STATIC", SS_OWNERDRAW, kPictureUpId, font, dpi_);
  controls_.Add(window, form_.picDown, "STATIC", SS_OWNERDRAW, kPictureDownId, font, dpi_);
  controls_.Add(window, form_.lblProduct, "STATIC", SS_LEFT | SS_NOPREFIX, kProductId, bold, dpi_);
  controls_.Add(window, form_.lblStatus, "STATIC", SS_LEFT | SS_NOPREFIX, kStatusId, font, dpi_);
  controls_.Add(window, form_.Command1, "BUTTON", WS_TABSTOP | BS_DEFPUSHBUTTON, kCancelId, font, dpi_);
}

INT_PTR DownloadWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (HIWORD(wParam) != BN_CLICKED) return FALSE;
      if (LOWORD(wParam) == kCancelId || LOWORD(wParam) == IDOK) Close();
      return TRUE;
    case WM_CLOSE:
      Close();
      return TRUE;
    case WM_TIMER:
      if (wParam != kBlinkTimerId) return FALSE;
      update::BlinkTick(form_);
      return TRUE;
    case WM_DRAWITEM: {
      const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (item.CtlType != ODT_STATIC) return FALSE;
      DrawPicture(item);
      return TRUE;
    }
    case kTrayMessage:
      OnTrayMessage(lParam);
      return TRUE;
    case WM_DESTROY:  // with its owner
      Unload();
      return FALSE;
    default:
      return FALSE;
  }
}

void DownloadWindow::DrawPicture(const DRAWITEMSTRUCT& item) const {
  ::FillRect(item.hDC, &item.rcItem, ::GetSysColorBrush(COLOR_BTNFACE));
  const bool up = item.CtlID == kPictureUpId;
  DrawArrow(item.hDC, item.rcItem, up, up ? kUpColour : kDownColour);
}

// A double-click on the icon brings the window back, from hidden or minimized.
void DownloadWindow::OnTrayMessage(LPARAM lParam) {
  if (ActionOfTrayMessage(lParam) != TrayAction::RestoreWindow) return;
  ::ShowWindow(window_.Get(), SW_SHOWNORMAL);
  ::SetForegroundWindow(window_.Get());
}

// Timer, controls and tray icon go; the model keeps its state and no peer.
void DownloadWindow::Unload() {
  blink_.reset();
  controls_.Clear();
  tray_.RemoveIcon();
}

}  // namespace kestrian::app
