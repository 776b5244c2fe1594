#include "app/spyware_alert_window.h"

namespace kestrian::app {

namespace {
constexpr int kStopId = 1001;
constexpr int kAllowId = 1002;
constexpr int kFirstLabelId = 1100;
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_3DLOOK;
constexpr char kTitleSuffix[] = " Auto-Protect";
}  // namespace

SpywareAlertWindow::SpywareAlertWindow(Win32Host& host, protect::AlertServices services)
    : host_(host), services_(services) {}

SpywareAlertWindow::~SpywareAlertWindow() { Close(); }

// Every finding gets a fresh window and model; an alert left open is replaced.
void SpywareAlertWindow::Show(std::string_view companyCaption, std::string_view fileCaption,
                              const scan::FoundProcess& process) {
  Close();
  process_ = process;
  form_ = std::make_unique<ui::FrmSpywareFoundAlert>();
  protect::OnAlertCreated(*form_, services_.state);
  form_->lblAlertCompanyName.SetCaption(companyCaption);
  form_->lblAlertFileName.SetCaption(fileCaption);
  if (!window_.Create(kStyle, nullptr)) {
    // Nobody could be asked: the waiting scan must not wait for ever.
    protect::AlertDismissed(services_.state);
    return;
  }
  CenterOver(window_.Get(), nullptr);
  ::ShowWindow(window_.Get(), SW_SHOWNORMAL);
  ::SetForegroundWindow(window_.Get());
}

void SpywareAlertWindow::OnInitDialog(HWND window) {
  ::SetWindowTextA(window, (std::string(services_.productName) + kTitleSuffix).c_str());
  ::SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  dpi_ = ScreenDpi();
  font_ = UniqueFont(CreateMessageFont());
  boldFont_ = UniqueFont(CreateBoldFont(font_.get()));
  SetClientSize(window, TwipsToPixels(ui::FrmSpywareFoundAlert::kWidth, dpi_),
                TwipsToPixels(ui::FrmSpywareFoundAlert::kHeight, dpi_));
  CreateControls();
  // STOP is the safe choice and the default; Escape closes without an answer.
  ::SendMessageA(window, DM_SETDEFID, kStopId, 0);
}

void SpywareAlertWindow::CreateControls() {
  const HFONT font = font_ ? font_.get() : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
  const HFONT bold = boldFont_ ? boldFont_.get() : font;
  int labelId = kFirstLabelId;
  for (ui::CaptionedControl* control : form_->AllControls()) {
    if (control == &form_->cmdYes || control == &form_->cmdNO) continue;
    controls_.Add(window_.Get(), *control, "STATIC", SS_LEFT | SS_NOPREFIX, labelId++,
                  control == &form_->lblProductName ? bold : font, dpi_);
  }
  controls_.Add(window_.Get(), form_->cmdYes, "BUTTON", WS_TABSTOP | BS_DEFPUSHBUTTON, kStopId,
                font, dpi_);
  controls_.Add(window_.Get(), form_->cmdNO, "BUTTON", WS_TABSTOP | BS_PUSHBUTTON, kAllowId, font,
                dpi_);
}

INT_PTR SpywareAlertWindow::OnMessage(UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED) Answer(LOWORD(wParam));
      return TRUE;
    case WM_CLOSE:
      Answer(IDCANCEL);
      return TRUE;
    case WM_DESTROY:
      // Destroyed from outside (the program ends): the scan must not wait for it.
      protect::AlertDismissed(services_.state);
      controls_.Clear();
      return FALSE;
    default:
      return FALSE;
  }
}

void SpywareAlertWindow::Answer(int button) {
  if (!form_) return;
  switch (button) {
    case kStopId:
      if (!form_->cmdYes.Enabled()) return;
      protect::AlertStop(*form_, services_, process_);
      break;
    case kAllowId: protect::AlertAllow(*form_, services_); break;
    case IDCANCEL: protect::AlertDismissed(services_.state); break;
    default: return;
  }
  Close();
}

void SpywareAlertWindow::Close() {
  if (!window_) return;
  controls_.Clear();
  window_.Destroy();
}

}  // namespace kestrian::app
