#include "app/report_window.h"

#include <algorithm>
#include <cstddef>
#include <memory>
#include <string>
#include <type_traits>

#include "app/dialog_support.h"
#include "app/dialog_window.h"

namespace kestrian::app {

namespace {
constexpr int kReportId = 1001;  // txtReport
constexpr int kOkId = IDOK;      // cmdOk

// Layout in pixels at 96 DPI.
constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kMinWidth = 320;
constexpr int kMinHeight = 200;
constexpr int kMargin = 8;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 23;
constexpr int kReportPoints = 10;

// The report is text in columns: a fixed-pitch font keeps them aligned.
HFONT CreateReportFont(int dpi) {
  return ::CreateFontA(-::MulDiv(kReportPoints, dpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                       DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       FIXED_PITCH | FF_MODERN, "Courier New");
}

// One showing of the report: the window and its own message loop.
class ReportDialog {
 public:
  ReportDialog(Win32Host& host, HWND owner) : host_(host), owner_(owner) {}
  ReportDialog(const ReportDialog&) = delete;
  ReportDialog& operator=(const ReportDialog&) = delete;

  bool Create(const std::string& title, const std::string& text);
  void RunUntilClosed();

 private:
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void OnInitDialog(HWND window);
  HWND CreateChild(const char* className, DWORD style, DWORD exStyle, int id, HFONT font);
  int Scale(int pixels) const { return ::MulDiv(pixels, dpi_, 96); }
  void Layout();

  Win32Host& host_;
  HWND owner_;
  int dpi_ = 96;
  bool closed_ = false;
  UniqueFont messageFont_;
  UniqueFont reportFont_;
  // Last: destroyed before the fonts its controls use.
  DialogWindow window_{host_, this, &ReportDialog::OnInitDialog, &ReportDialog::OnMessage};
};

bool ReportDialog::Create(const std::string& title, const std::string& text) {
  if (!window_.Create(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MAXIMIZEBOX, owner_)) {
    return false;
  }
  ::SetWindowTextA(window_.Get(), title.c_str());
  ::SetDlgItemTextA(window_.Get(), kReportId, text.c_str());
  return true;
}

void ReportDialog::RunUntilClosed() {
  ::ShowWindow(window_.Get(), SW_SHOW);
  const HWND report = ::GetDlgItem(window_.Get(), kReportId);
  ::SetFocus(report);
  ::SendMessageA(report, EM_SETSEL, 0, 0);
  MSG message;
  while (!closed_) {
    const BOOL got = ::GetMessageA(&message, nullptr, 0, 0);
    if (got <= 0) {
      // The program is ending: the quit is left for the outer loop.
      if (got == 0) ::PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    host_.Dispatch(message);
  }
}

void ReportDialog::OnInitDialog(HWND window) {
  dpi_ = ScreenDpi();
  messageFont_ = UniqueFont(CreateMessageFont());
  reportFont_ = UniqueFont(CreateReportFont(dpi_));
  CreateChild("EDIT",
              WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL |
                  ES_AUTOHSCROLL,
              WS_EX_CLIENTEDGE, kReportId, reportFont_.get());
  const HWND ok = CreateChild("BUTTON", WS_TABSTOP | BS_DEFPUSHBUTTON, 0, kOkId, messageFont_.get());
  ::SetWindowTextA(ok, "OK");
  ::SendMessageA(window, DM_SETDEFID, kOkId, 0);
  ::SetWindowPos(window, nullptr, 0, 0, Scale(kWidth), Scale(kHeight),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  Layout();
  CenterOver(window, owner_);
}

HWND ReportDialog::CreateChild(const char* className, DWORD style, DWORD exStyle, int id,
                               HFONT font) {
  const HWND child = ::CreateWindowExA(exStyle, className, "", WS_CHILD | WS_VISIBLE | style, 0, 0,
                                       0, 0, window_.Get(),
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                       ::GetModuleHandleA(nullptr), nullptr);
  if (font == nullptr) font = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
  ::SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return child;
}

INT_PTR ReportDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      // cmdOk and Enter send IDOK; Escape sends IDCANCEL.
      if (LOWORD(wParam) != kOkId && LOWORD(wParam) != IDCANCEL) return FALSE;
      closed_ = true;
      return TRUE;
    case WM_CLOSE:  // the close box, and Escape in the multi-line text box
      closed_ = true;
      return TRUE;
    case WM_SIZE:
      Layout();
      return TRUE;
    case WM_GETMINMAXINFO:
      reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {Scale(kMinWidth), Scale(kMinHeight)};
      return TRUE;
    case WM_CTLCOLORSTATIC:
      // A read-only text box is grey by default; the report reads better on the window colour.
      if (reinterpret_cast<HWND>(lParam) != ::GetDlgItem(window_.Get(), kReportId)) return FALSE;
      ::SetBkColor(reinterpret_cast<HDC>(wParam), ::GetSysColor(COLOR_WINDOW));
      return reinterpret_cast<INT_PTR>(::GetSysColorBrush(COLOR_WINDOW));
    case WM_DESTROY:
      // Destroyed with its owner: the loop ends.
      closed_ = true;
      return FALSE;
    default:
      return FALSE;
  }
}

// txtReport fills the window above cmdOk, which keeps to the bottom right corner.
void ReportDialog::Layout() {
  RECT client{};
  ::GetClientRect(window_.Get(), &client);
  const int margin = Scale(kMargin);
  const int buttonTop = client.bottom - margin - Scale(kButtonHeight);
  ::MoveWindow(::GetDlgItem(window_.Get(), kReportId), margin, margin, client.right - 2 * margin,
               buttonTop - 2 * margin, TRUE);
  ::MoveWindow(::GetDlgItem(window_.Get(), kOkId), client.right - margin - Scale(kButtonWidth),
               buttonTop, Scale(kButtonWidth), Scale(kButtonHeight), TRUE);
}
}  // namespace

void ReportWindow::ShowModal(std::string_view title, std::string_view text) {
  ReportDialog dialog(host_, owner_);
  if (!dialog.Create(std::string(title), std::string(text))) return;
  const DisabledOwner disabled(owner_);  // goes before the dialog does
  dialog.RunUntilClosed();
}

}  // namespace kestrian::app
