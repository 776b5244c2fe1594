#include "app/home_page_alert_window.h"

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include "app/control_binding.h"
#include "app/dialog_support.h"
#include "app/dialog_window.h"
#include "ui/frm_home_page_changed_alert.h"

namespace kestrian::app {

namespace {
constexpr int kPictureId = 1001;
constexpr int kProductId = 1002;
constexpr int kInfoId = 1003;
constexpr int kYesId = IDYES;
constexpr int kNoId = IDNO;

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_3DLOOK;
constexpr UINT kTextFormat = DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX;
constexpr int kTwipsPerInch = 1440;
constexpr int kTextSlackTwips = 60;  // so that rounding never hides a line
constexpr int kWorkAreaMarginTwips = 900;  // caption and frame of the window, and some air

int PixelsToTwips(int pixels, int dpi) { return ::MulDiv(pixels, kTwipsPerInch, dpi); }

// One showing of the alert: the model, the window and its own message loop.
class AlertDialog {
 public:
  AlertDialog(Win32Host& host, HWND owner) : host_(host), owner_(owner) {}
  AlertDialog(const AlertDialog&) = delete;
  AlertDialog& operator=(const AlertDialog&) = delete;

  bool Create(std::string_view productName, std::string_view message);
  protect::HomePageAnswer RunUntilClosed();
  HWND Handle() const { return window_.Get(); }

 private:
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void OnInitDialog(HWND window);
  HFONT Font() const;
  void FitMessage();
  void CreateControls();
  void DrawPicture(const DRAWITEMSTRUCT& item) const;
  void Finish(protect::HomePageAnswer answer);

  Win32Host& host_;
  HWND owner_;
  std::string title_;
  int dpi_ = 96;
  int height_ = ui::FrmHomePageChangedAlert::kHeight;  // client area, twips
  bool closed_ = false;
  protect::HomePageAnswer answer_ = protect::HomePageAnswer::Dismissed;
  ui::FrmHomePageChangedAlert form_;
  UniqueFont font_;
  UniqueFont boldFont_;
  HICON icon_ = nullptr;  // shared, never destroyed
  MirroredControls controls_;
  // Last: destroyed before the fonts its controls use.
  DialogWindow window_{host_, this, &AlertDialog::OnInitDialog, &AlertDialog::OnMessage};
};

bool AlertDialog::Create(std::string_view productName, std::string_view message) {
  title_ = std::string(productName) + " Home Page Protection";
  protect::LoadHomePageAlert(form_, productName, message);
  return window_.Create(kStyle, owner_);
}

void AlertDialog::OnInitDialog(HWND window) {
  ::SetWindowTextA(window, title_.c_str());
  // Seen above every other window, the main window hidden in the tray or not; without an
  // owner on screen it has a taskbar button of its own.
  LONG_PTR exStyle = ::GetWindowLongPtrA(window, GWL_EXSTYLE) | WS_EX_TOPMOST;
  if (owner_ == nullptr || !::IsWindowVisible(owner_)) exStyle |= WS_EX_APPWINDOW;
  ::SetWindowLongPtrA(window, GWL_EXSTYLE, exStyle);
  ::SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  dpi_ = ScreenDpi();
  font_ = UniqueFont(CreateMessageFont());
  boldFont_ = UniqueFont(CreateBoldFont(Font()));
  icon_ = ::LoadIconA(nullptr, IDI_WARNING);
  FitMessage();
  SetClientSize(window, TwipsToPixels(ui::FrmHomePageChangedAlert::kWidth, dpi_),
                TwipsToPixels(height_, dpi_));
  CreateControls();
  ::SendMessageA(window, DM_SETDEFID, kYesId, 0);
  CenterOver(window, owner_);
}

HFONT AlertDialog::Font() const {
  return font_ ? font_.get() : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
}

// A message taller than its label (long addresses wrap) makes the label, and the window
// below it, as tall as it needs, within the work area.
void AlertDialog::FitMessage() {
  ui::Label& info = form_.lblHomePageInfo;
  const ScreenDc screen;
  const HGDIOBJ previous = ::SelectObject(screen.Get(), Font());
  RECT bounds{0, 0, TwipsToPixels(info.Geometry().width, dpi_), 0};
  ::DrawTextA(screen.Get(), info.Caption().c_str(), -1, &bounds, kTextFormat);
  ::SelectObject(screen.Get(), previous);
  RECT area{};
  ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  const int most = PixelsToTwips(area.bottom - area.top, dpi_) - kWorkAreaMarginTwips -
                   (ui::FrmHomePageChangedAlert::kHeight - info.Geometry().height);
  const int needed = std::min(PixelsToTwips(bounds.bottom, dpi_) + kTextSlackTwips, most);
  const int growth = needed - info.Geometry().height;
  if (growth <= 0) return;
  ui::Bounds grown = info.Geometry();
  grown.height = needed;
  info.Place(grown);
  for (ui::Button* button : {&form_.cmdYes, &form_.cmdNo}) {
    button->Move(button->Left(), button->Top() + growth);
  }
  height_ += growth;
}

void AlertDialog::CreateControls() {
  const HFONT font = Font();
  const HFONT bold = boldFont_ ? boldFont_.get() : font;
  controls_.Add(window_.Get(), form_.picHomePage, "STATIC", SS_OWNERDRAW, kPictureId, font, dpi_);
  controls_.Add(window_.Get(), form_.lblFrmHomePageProductName, "STATIC",
                SS_LEFT | SS_NOPREFIX, kProductId, bold, dpi_);
  controls_.Add(window_.Get(), form_.lblHomePageInfo, "STATIC",
                SS_LEFT | SS_NOPREFIX | SS_EDITCONTROL, kInfoId, font, dpi_);
  controls_.Add(window_.Get(), form_.cmdYes, "BUTTON",
                WS_TABSTOP | WS_GROUP | BS_DEFPUSHBUTTON, kYesId, font, dpi_);
  controls_.Add(window_.Get(), form_.cmdNo, "BUTTON",
                WS_TABSTOP | BS_PUSHBUTTON, kNoId, font, dpi_);
}


protect::HomePageAnswer AlertDialog::RunUntilClosed() {
  ::ShowWindow(window_.Get(), SW_SHOW);
  ::SetForegroundWindow(window_.Get());
  const HWND yes = ::GetDlgItem(window_.Get(), kYesId);
  ::SendMessageA(window_.Get(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(yes), TRUE);
  MSG message;
  while (!closed_) {
    const BOOL got = ::GetMessageA(&message, nullptr, 0, 0);
    if (got <= 0) {
      // The program is ending: the quit is left for the outer loop.
      if (got == 0) ::PostQuitMessage(static_cast<int>(message.wParam));
      return protect::HomePageAnswer::Dismissed;
    }
    host_.Dispatch(message);
  }
  return answer_;
}

INT_PTR AlertDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      // Yes, and Enter while Yes is the default, send IDYES; No sends IDNO; Escape IDCANCEL.
      if (HIWORD(wParam) != BN_CLICKED) return FALSE;
      switch (LOWORD(wParam)) {
        case kYesId: Finish(protect::HomePageAnswer::Keep); return TRUE;
        case kNoId: Finish(protect::HomePageAnswer::Change); return TRUE;
        case IDCANCEL: Finish(protect::HomePageAnswer::Dismissed); return TRUE;
        default: return FALSE;
      }
    case WM_CLOSE:
      Finish(protect::HomePageAnswer::Dismissed);
      return TRUE;
    case WM_DRAWITEM: {
      const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (item.CtlID != kPictureId) return FALSE;
      DrawPicture(item);
      return TRUE;
    }
    case WM_DESTROY:
      // Destroyed with its owner: the loop ends unanswered and nothing is left to destroy.
      Finish(protect::HomePageAnswer::Dismissed);
      controls_.Clear();
      return FALSE;
    default:
      return FALSE;
  }
}

void AlertDialog::DrawPicture(const DRAWITEMSTRUCT& item) const {
  ::FillRect(item.hDC, &item.rcItem, ::GetSysColorBrush(COLOR_BTNFACE));
  if (icon_ == nullptr) return;
  ::DrawIconEx(item.hDC, item.rcItem.left, item.rcItem.top, icon_,
               item.rcItem.right - item.rcItem.left, item.rcItem.bottom - item.rcItem.top, 0,
               nullptr, DI_NORMAL);
}

// The first answer counts; the loop ends after the message that gave it.
void AlertDialog::Finish(protect::HomePageAnswer answer) {
  if (closed_) return;
  closed_ = true;
  answer_ = answer;
}
}  // namespace

HomePageAlertWindow::HomePageAlertWindow(Win32Host& host, HWND owner, std::string productName)
    : host_(host), owner_(owner), productName_(std::move(productName)) {}

protect::HomePageAnswer HomePageAlertWindow::Ask(std::string_view message) {
  AlertDialog dialog(host_, owner_);
  if (!dialog.Create(productName_, message)) return protect::HomePageAnswer::Dismissed;
  const HWND outer = std::exchange(open_, dialog.Handle());
  protect::HomePageAnswer answer = protect::HomePageAnswer::Dismissed;
  {
    const DisabledOwner disabled(owner_);  // enabled again before the alert goes
    answer = dialog.RunUntilClosed();
  }
  open_ = outer;
  return answer;
}

}  // namespace kestrian::app
