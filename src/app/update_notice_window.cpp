#include "app/update_notice_window.h"

#include <climits>
#include <utility>

namespace kestrian::app {

namespace {
constexpr int kTitleId = 1001;
constexpr int kInfoId = 1002;
constexpr int kOkId = IDOK;

constexpr UINT_PTR kRiseTimerId = 1;
constexpr UINT_PTR kRestTimerId = 2;
constexpr UINT_PTR kSinkTimerId = 3;

constexpr DWORD kStyle = WS_POPUP | WS_BORDER;
constexpr DWORD kExStyle = WS_EX_TOPMOST | WS_EX_TOOLWINDOW;  // no taskbar button
// The model's twips at 15 twips per pixel: 96 "dots per inch" of 1440 twips.
constexpr int kLayoutDpi = 1440 / kNoticeTwipsPerPixel;

int Pixels(int twips) { return twips / kNoticeTwipsPerPixel; }
}  // namespace

update::ScreenMeasures MeasureScreenForNotice(HWND notice) {
  update::ScreenMeasures screen;
  RECT desktop{};
  ::GetClientRect(::GetDesktopWindow(), &desktop);
  screen.desktopWidth = desktop.right - desktop.left;
  screen.desktopHeight = desktop.bottom - desktop.top;
  RECT taskbar{};
  if (const HWND bar = ::FindWindowA("Shell_TrayWnd", "");
      bar != nullptr && ::GetClientRect(bar, &taskbar)) {
    screen.taskbarHeight = taskbar.bottom - taskbar.top;
  }
  RECT client{};
  if (::GetClientRect(notice, &client)) screen.noticeClientWidth = client.right - client.left;
  return screen;
}

// The window follows form.window: its place (twips on the screen) and its visibility.
class UpdateNoticeWindow::Placement final : public ui::ControlPeer {
 public:
  Placement(ui::Control& model, HWND window) : model_(model), window_(window) {
    model_.AttachPeer(this);
  }
  ~Placement() override { model_.AttachPeer(nullptr); }
  Placement(const Placement&) = delete;
  Placement& operator=(const Placement&) = delete;

  void OnModelChanged() override {
    const POINT place{Pixels(model_.Left()), Pixels(model_.Top())};
    if (place.x != shown_.x || place.y != shown_.y) {
      ::SetWindowPos(window_, nullptr, place.x, place.y, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      shown_ = place;
    }
    if (model_.Visible() != visible_) {
      visible_ = model_.Visible();
      ::ShowWindow(window_, visible_ ? SW_SHOWNOACTIVATE : SW_HIDE);
    }
  }

 private:
  ui::Control& model_;
  HWND window_;
  POINT shown_{INT_MIN, INT_MIN};
  bool visible_ = false;  // created hidden
};

UpdateNoticeWindow::UpdateNoticeWindow(Win32Host& host, std::string productName,
                                       std::function<void()> onOk)
    : host_(host), productName_(std::move(productName)), onOk_(std::move(onOk)) {}

UpdateNoticeWindow::~UpdateNoticeWindow() { Close(); }

// The load measures the screen with the window in existence (its client width), places it
// behind the taskbar and starts the rise; the window shows once the model has placed it.
void UpdateNoticeWindow::Show() {
  if (!window_) {
    if (!window_.Create(kStyle, nullptr)) return;
    okRun_ = false;
    update::LoadNotice(form_, MeasureScreenForNotice(window_.Get()), productName_);
  }
  placement_->OnModelChanged();
}

void UpdateNoticeWindow::Close() {
  if (!window_) return;
  Unload();
  window_.Destroy();
}

void UpdateNoticeWindow::OnInitDialog(HWND window) {
  // No caption bar shows it; the title names the window for the task list and for tools.
  ::SetWindowTextA(window, (productName_ + " Automatic Update").c_str());
  ::SetWindowLongPtrA(window, GWL_EXSTYLE, ::GetWindowLongPtrA(window, GWL_EXSTYLE) | kExStyle);
  ::SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  SetClientSize(window, Pixels(ui::FrmSignatureUpdated::kWidth),
                Pixels(ui::FrmSignatureUpdated::kHeight));
  CreateFonts();
  CreateControls();
  ::SendMessageA(window, DM_SETDEFID, kOkId, 0);
  placement_ = std::make_unique<Placement>(form_.window, window);
  timers_.push_back(
      std::make_unique<WindowTimer>(form_.tmrPopupSignatureUpdate, window, kRiseTimerId));
  timers_.push_back(
      std::make_unique<WindowTimer>(form_.tmrEnablePopDownTimer, window, kRestTimerId));
  timers_.push_back(std::make_unique<WindowTimer>(form_.tmrPopDown, window, kSinkTimerId));
}

// The message font at the size it has at 96 DPI, so that the text fits the fixed layout.
void UpdateNoticeWindow::CreateFonts() {
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof metrics;
  if (!::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return;
  LOGFONTA font = metrics.lfMessageFont;
  font.lfHeight = ::MulDiv(font.lfHeight, kLayoutDpi, ScreenDpi());
  font_ = UniqueFont(::CreateFontIndirectA(&font));
  boldFont_ = UniqueFont(CreateBoldFont(font_.get()));
}

void UpdateNoticeWindow::CreateControls() {
  const auto stock = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
  const HFONT font = font_ ? font_.get() : stock;
  const HFONT bold = boldFont_ ? boldFont_.get() : font;
  controls_.Add(window_.Get(), form_.Label1, "STATIC",
                SS_LEFT | SS_NOPREFIX, kTitleId, bold, kLayoutDpi);
  controls_.Add(window_.Get(), form_.lblUpdateInfo, "STATIC",
                SS_LEFT | SS_NOPREFIX, kInfoId, font, kLayoutDpi);
  controls_.Add(window_.Get(), form_.cmdUpdateSuccesfullOK, "BUTTON",
                WS_TABSTOP | BS_DEFPUSHBUTTON, kOkId, font, kLayoutDpi);
}


INT_PTR UpdateNoticeWindow::OnMessage(UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_COMMAND:
      // Escape (IDCANCEL) does nothing: the notice has no other way out than OK.
      if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == kOkId) RunOk();
      return TRUE;
    case WM_TIMER:
      OnTimer(wParam);
      return TRUE;
    case WM_CLOSE:
      return TRUE;
    case WM_DESTROY:  // from outside: the program ends
      Unload();
      return FALSE;
    default:
      return FALSE;
  }
}

void UpdateNoticeWindow::OnTimer(UINT_PTR id) {
  switch (id) {
    case kRiseTimerId: update::RiseTick(form_); break;
    case kRestTimerId: update::RestTick(form_); break;
    case kSinkTimerId:
      if (update::SinkTick(form_)) RunOk();
      break;
    default: break;
  }
}

// The action may close this window, and in the real program ends it: nothing follows it.
// While it runs (it lets the message loop run) a second click or the end of a sink does
// nothing.
void UpdateNoticeWindow::RunOk() {
  if (okRun_) return;
  okRun_ = true;
  const std::function<void()> action = onOk_;
  if (action) action();
}

// Timers, controls and placement go; the model keeps its state and no peer.
void UpdateNoticeWindow::Unload() {
  timers_.clear();
  controls_.Clear();
  placement_.reset();
}

}  // namespace kestrian::app
