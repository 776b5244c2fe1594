#include "app/splash_window.h"

#include <string>

namespace kestrian::app {

namespace {
constexpr char kClassName[] = "KestrianSplash";
constexpr UINT_PTR kTimerId = 2;
constexpr UINT kTimerMs = 2;
constexpr int kTickStep = 2;
constexpr int kLastTick = 150;
constexpr int kWidth = 400;   // pixels at 96 DPI
constexpr int kHeight = 180;

int Scaled(int pixels) { return ::MulDiv(pixels, ScreenDpi(), 96); }
}  // namespace

SplashWindow::SplashWindow(HINSTANCE instance, const platform::VersionResource& version)
    : version_(version) {
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = &SplashWindow::WindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = ::LoadCursorA(nullptr, IDC_WAIT);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = kClassName;
  ::RegisterClassExA(&windowClass);
  LOGFONTA font{};
  font.lfHeight = -Scaled(24);
  font.lfWeight = FW_BOLD;
  lstrcpynA(font.lfFaceName, "Tahoma", LF_FACESIZE);
  titleFont_ = UniqueFont(::CreateFontIndirectA(&font));
  textFont_ = UniqueFont(CreateMessageFont());
  window_.reset(::CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kClassName,
                                  version_.productName.c_str(), WS_POPUP | WS_BORDER, 0, 0,
                                  Scaled(kWidth), Scaled(kHeight), nullptr, nullptr, instance, this));
  if (window_) CenterOver(window_.get(), nullptr);
}

void SplashWindow::RunTimer() {
  if (!window_) return;
  // Not activated: the main window takes the activation, and the splash goes at once when
  // hidden (under Wine without a window manager an activated window lingers for seconds).
  ::ShowWindow(window_.get(), SW_SHOWNOACTIVATE);
  ::UpdateWindow(window_.get());
  ::SetTimer(window_.get(), kTimerId, kTimerMs, nullptr);
  MSG message;
  while (ticks_ < kLastTick && ::GetMessageA(&message, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
  }
  ::KillTimer(window_.get(), kTimerId);
}

void SplashWindow::Hide() {
  if (window_) ::ShowWindow(window_.get(), SW_HIDE);
}

LRESULT CALLBACK SplashWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<SplashWindow*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
  if (self != nullptr && message == WM_TIMER && wParam == kTimerId) {
    self->ticks_ += kTickStep;
    return 0;
  }
  if (self != nullptr && message == WM_PAINT && self->window_) {
    self->Paint();
    return 0;
  }
  return ::DefWindowProcA(window, message, wParam, lParam);
}

void SplashWindow::Paint() {
  PAINTSTRUCT paint;
  const HDC dc = ::BeginPaint(window_.get(), &paint);
  RECT client{};
  ::GetClientRect(window_.get(), &client);
  ::SetBkMode(dc, TRANSPARENT);
  RECT title = client;
  title.bottom = client.bottom / 2;
  ::SelectObject(dc, titleFont_.get());
  ::DrawTextA(dc, version_.productName.c_str(), -1, &title, DT_CENTER | DT_BOTTOM | DT_SINGLELINE);
  RECT details = client;
  details.top = client.bottom / 2 + Scaled(8);
  ::SelectObject(dc, textFont_.get());
  const std::string text = "Version " + std::to_string(version_.major) + "." +
                           std::to_string(version_.minor) + "\n" + version_.companyName;
  ::DrawTextA(dc, text.c_str(), -1, &details, DT_CENTER | DT_NOPREFIX);
  ::EndPaint(window_.get(), &paint);
}

}  // namespace kestrian::app
