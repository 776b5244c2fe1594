#include "app/main_window.h"

#include <commctrl.h>

#include "app/dialog_support.h"
#include "app/main_window_class.h"

namespace kestrian::app {

namespace {
constexpr int kFirstControlId = 1000;

struct NativeKind {
  const char* className;
  DWORD style;
  DWORD exStyle;
};

NativeKind KindOf(const ui::Control& control) {
  constexpr DWORD kChild = WS_CHILD | WS_CLIPSIBLINGS;
  if (dynamic_cast<const ui::Button*>(&control)) {
    // A caption longer than its button (the web address) wraps instead of being cut.
    return {"BUTTON", kChild | WS_TABSTOP | BS_PUSHBUTTON | BS_MULTILINE, 0};
  }
  if (dynamic_cast<const ui::CheckBox*>(&control)) {
    return {"BUTTON", kChild | WS_TABSTOP | BS_AUTOCHECKBOX, 0};
  }
  if (dynamic_cast<const ui::OptionButton*>(&control)) {
    // Not automatic: the model knows the groups (all buttons are siblings of one window),
    // so a click selects in the model and the model sets every button of the group.
    return {"BUTTON", kChild | WS_TABSTOP | BS_RADIOBUTTON, 0};
  }
  if (dynamic_cast<const ui::ProgressBar*>(&control)) return {PROGRESS_CLASSA, kChild, 0};
  if (dynamic_cast<const ui::ComboBox*>(&control)) {
    return {"COMBOBOX", kChild | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0};
  }
  if (auto* picker = dynamic_cast<const ui::DateTimePicker*>(&control)) {
    const DWORD format = picker->DisplayFormat() == ui::DateTimePicker::Format::Time
                             ? DTS_TIMEFORMAT : DTS_SHORTDATEFORMAT;
    return {DATETIMEPICK_CLASSA, kChild | WS_TABSTOP | DTS_SHOWNONE | format, 0};
  }
  if (dynamic_cast<const ui::ListView*>(&control)) {
    return {WC_LISTVIEWA, kChild | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS, WS_EX_CLIENTEDGE};
  }
  if (dynamic_cast<const ui::TabStrip*>(&control)) return {WC_TABCONTROLA, kChild | WS_TABSTOP, 0};
  if (dynamic_cast<const ui::Shape*>(&control)) return {"STATIC", kChild | SS_BLACKRECT, 0};
  if (dynamic_cast<const ui::LinkLabel*>(&control)) return {"SysLink", kChild | WS_TABSTOP, 0};
  return {"STATIC", kChild | SS_LEFT | SS_NOPREFIX, 0};
}

bool InsideHiddenStore(const ui::FrmMain& form, const ui::Control& control) {
  return control.Container() == &form.fraHiddenLists || &control == &form.fraHiddenLists;
}

bool OnOptionsTab(const ui::FrmMain& form, const ui::Control& control) {
  for (const ui::Control* c = control.Container(); c != nullptr; c = c->Container()) {
    if (c == &form.frmOptions) return true;
  }
  return false;
}
}  // namespace

// Frames have no window of their own: a change of a page's visibility refreshes every
// control, since each one's visibility depends on its container.
class MainWindow::FramePeer final : public ui::ControlPeer {
 public:
  FramePeer(MainWindow& owner, ui::Control& frame) : owner_(owner), frame_(frame) {
    frame_.AttachPeer(this);
  }
  ~FramePeer() override { frame_.AttachPeer(nullptr); }
  FramePeer(const FramePeer&) = delete;
  FramePeer& operator=(const FramePeer&) = delete;
  void OnModelChanged() override { owner_.RefreshAll(); }

 private:
  MainWindow& owner_;
  ui::Control& frame_;
};

MainWindow::MainWindow(ui::FrmMain& form, Win32Host& host) : form_(form), host_(host) {}

MainWindow::~MainWindow() {
  timers_.clear();
  natives_.clear();
  frames_.clear();
  if (window_ != nullptr) ::DestroyWindow(window_);
  if (font_ != nullptr) ::DeleteObject(font_);
}

bool MainWindow::Create(HINSTANCE instance, const std::string& title) {
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = &MainWindow::WindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.hIcon = ::LoadIconA(instance, MAKEINTRESOURCEA(1));
  windowClass.lpszClassName = kMainWindowClass;
  ::RegisterClassExA(&windowClass);

  const HDC screen = ::GetDC(nullptr);
  dpi_ = ::GetDeviceCaps(screen, LOGPIXELSY);
  ::ReleaseDC(nullptr, screen);

  constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  RECT frame{0, 0, TwipsToPixels(ui::FrmMain::kWidth, dpi_),
             TwipsToPixels(ui::FrmMain::kHeight, dpi_)};
  ::AdjustWindowRectEx(&frame, kStyle, FALSE, WS_EX_CONTROLPARENT);
  window_ = ::CreateWindowExA(WS_EX_CONTROLPARENT, kMainWindowClass, title.c_str(), kStyle,
                              CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left,
                              frame.bottom - frame.top, nullptr, nullptr, instance, this);
  if (window_ == nullptr) return false;
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof metrics;
  if (::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
    font_ = ::CreateFontIndirectA(&metrics.lfMessageFont);
  }
  CreateControls();
  host_.SetMainWindow(window_);
  return true;
}

void MainWindow::CreateControls() {
  int id = kFirstControlId;
  for (ui::Control* control : form_.AllControls()) {
    if (auto* timer = dynamic_cast<ui::Timer*>(control)) {
      timers_.push_back(std::make_unique<WindowTimer>(*timer, window_, timers_.size() + 1));
      continue;
    }
    if (InsideHiddenStore(form_, *control)) continue;
    if (dynamic_cast<ui::Frame*>(control)) {
      frames_.push_back(std::make_unique<FramePeer>(*this, *control));
      continue;
    }
    const HWND native = CreateNative(*control, id);
    if (native == nullptr) continue;
    natives_.push_back(std::make_unique<NativeControl>(*control, native, dpi_));
    byId_[id++] = natives_.back().get();
  }
  // The tab strip lies under the controls of its pages.
  if (const HWND tabs = NativeOf(form_.TabStrip1)) {
    ::SetWindowPos(tabs, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  AddToolTips();
  RefreshAll();
}

// One tip window for every control that has a tip; it goes with the main window.
void MainWindow::AddToolTips() {
  HWND tips = nullptr;
  for (const auto& native : natives_) {
    const std::string& tip = native->Model().ToolTip();
    if (tip.empty()) continue;
    if (tips == nullptr) {
      tips = ::CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_,
                               nullptr, ::GetModuleHandleA(nullptr), nullptr);
      if (tips == nullptr) return;
    }
    TTTOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = window_;
    tool.uId = reinterpret_cast<UINT_PTR>(native->Window());
    tool.lpszText = const_cast<char*>(tip.c_str());
    ::SendMessageA(tips, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

// Controls on the options tabs stand on the tab's page, not on the window's grey.
HBRUSH MainWindow::PageBackground(HWND control, HDC dc) {
  for (const auto& native : natives_) {
    if (native->Window() != control) continue;
    if (!OnOptionsTab(form_, native->Model())) return nullptr;
    return tabPage_.For(NativeOf(form_.TabStrip1), control, dc);
  }
  return nullptr;
}

HWND MainWindow::CreateNative(ui::Control& control, int id) {
  const NativeKind kind = KindOf(control);
  const HWND native =
      ::CreateWindowExA(kind.exStyle, kind.className, "", kind.style, 0, 0, 0, 0, window_,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                        ::GetModuleHandleA(nullptr), nullptr);
  if (native == nullptr) return nullptr;
  if (font_ != nullptr) ::SendMessageA(native, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  if (auto* list = dynamic_cast<ui::ListView*>(&control)) {
    DWORD extended = LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER;
    if (list->HasCheckBoxes()) extended |= LVS_EX_CHECKBOXES;
    ::SendMessageA(native, LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
    const auto& columns = list->Columns();
    const int width = TwipsToPixels(list->Geometry().width, dpi_) - 24;
    for (std::size_t i = 0; i < std::max<std::size_t>(columns.size(), 1); ++i) {
      LVCOLUMNA column{};
      column.mask = LVCF_TEXT | LVCF_WIDTH;
      column.cx = columns.size() > 1 ? width / static_cast<int>(columns.size()) : width;
      column.pszText = const_cast<char*>(i < columns.size() ? columns[i].c_str() : "");
      ::SendMessageA(native, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
    }
  } else if (auto* combo = dynamic_cast<ui::ComboBox*>(&control)) {
    for (const std::string& item : combo->Items()) {
      ::SendMessageA(native, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    }
  } else if (auto* tabs = dynamic_cast<ui::TabStrip*>(&control)) {
    for (std::size_t i = 0; i < tabs->Tabs().size(); ++i) {
      TCITEMA item{};
      item.mask = TCIF_TEXT;
      item.pszText = const_cast<char*>(tabs->Tabs()[i].c_str());
      ::SendMessageA(native, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
    }
  }
  return native;
}

void MainWindow::RefreshAll() {
  for (auto& native : natives_) native->Refresh();
}

void MainWindow::OnMouseDown(const ui::Control& control, std::function<void(bool)> handler) {
  const HWND native = NativeOf(control);
  if (native == nullptr) return;
  mouseDowns_[native] = std::move(handler);
  ::SetWindowSubclass(native, &MainWindow::MouseDownProc, 1, reinterpret_cast<DWORD_PTR>(this));
}

LRESULT CALLBACK MainWindow::MouseDownProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                           UINT_PTR, DWORD_PTR data) {
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
      auto* self = reinterpret_cast<MainWindow*>(data);
      const auto handler = self->mouseDowns_.find(window);
      const bool shiftAlone = (wParam & MK_SHIFT) != 0 && (wParam & MK_CONTROL) == 0 &&
                              ::GetKeyState(VK_MENU) >= 0;
      if (handler != self->mouseDowns_.end()) self->Invoke([&] { handler->second(shiftAlone); });
      break;
    }
    case WM_NCDESTROY:
      ::RemoveWindowSubclass(window, &MainWindow::MouseDownProc, 1);
      break;
    default:
      break;
  }
  return ::DefSubclassProc(window, message, wParam, lParam);
}

HWND MainWindow::NativeOf(const ui::Control& control) const {
  for (const auto& native : natives_) {
    if (&native->Model() == &control) return native->Window();
  }
  return nullptr;
}

void MainWindow::OnClick(const ui::Control& control, std::function<void()> handler) {
  clicks_[&control] = std::move(handler);
}

void MainWindow::OnItemCheck(const ui::ListView& list, std::function<void(std::size_t)> handler) {
  itemChecks_[&list] = std::move(handler);
}

void MainWindow::SetMenuCommands(HMENU menuBar, std::function<bool(int)> dispatch) {
  menuDispatch_ = std::move(dispatch);
  ::SetMenu(window_, menuBar);
  ::DrawMenuBar(window_);
  SetClientSize(window_, TwipsToPixels(ui::FrmMain::kWidth, dpi_), TwipsToPixels(ui::FrmMain::kHeight, dpi_));
}

void MainWindow::Invoke(const std::function<void()>& handler) {
  ++busy_;
  handler();
  --busy_;
  if (busy_ == 0 && closePending_) {
    closePending_ = false;
    Close();
  }
}

void MainWindow::OnCommand(int id, int code) {
  const auto native = byId_.find(id);
  if (native == byId_.end() || native->second->Pushing()) return;
  ui::Control& model = native->second->Model();
  if (auto* combo = dynamic_cast<ui::ComboBox*>(&model); combo != nullptr && code == CBN_SELCHANGE) {
    combo->SetListIndex(static_cast<int>(::SendMessageA(native->second->Window(), CB_GETCURSEL, 0, 0)));
    const auto handler = clicks_.find(&model);
    if (handler != clicks_.end()) Invoke(handler->second);
    return;
  }
  if (code != BN_CLICKED) return;
  const bool checked = ::SendMessageA(native->second->Window(), BM_GETCHECK, 0, 0) == BST_CHECKED;
  if (auto* box = dynamic_cast<ui::CheckBox*>(&model)) box->SetValue(checked ? 1 : 0);
  if (auto* option = dynamic_cast<ui::OptionButton*>(&model)) option->SetValue(true);
  const auto handler = clicks_.find(&model);
  if (handler != clicks_.end() && model.Enabled()) Invoke(handler->second);
}

void MainWindow::OnNotify(const NMHDR& header) {
  const auto native = byId_.find(static_cast<int>(header.idFrom));
  if (native == byId_.end() || native->second->Pushing()) return;
  ui::Control& model = native->second->Model();
  if (header.code == TCN_SELCHANGE) {
    if (auto* tabs = dynamic_cast<ui::TabStrip*>(&model)) {
      tabs->Select(static_cast<int>(::SendMessageA(header.hwndFrom, TCM_GETCURSEL, 0, 0)) + 1);
      const auto handler = clicks_.find(&model);
      if (handler != clicks_.end()) Invoke(handler->second);
    }
    return;
  }
  if (header.code == NM_CLICK || header.code == NM_RETURN) {
    const auto handler = clicks_.find(&model);
    if (dynamic_cast<ui::LinkLabel*>(&model) != nullptr && handler != clicks_.end() && model.Enabled()) {
      Invoke(handler->second);
    }
    return;
  }
  if (header.code == DTN_DATETIMECHANGE) {
    if (auto* picker = dynamic_cast<ui::DateTimePicker*>(&model)) {
      const auto& change = reinterpret_cast<const NMDATETIMECHANGE&>(header);
      std::optional<platform::DateTime> value;
      if (change.dwFlags == GDT_VALID) {
        const SYSTEMTIME& t = change.st;
        value = platform::DateTime{t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
      }
      picker->SetValue(value);
      const auto handler = clicks_.find(&model);
      if (handler != clicks_.end()) Invoke(handler->second);
    }
    return;
  }
  if (header.code != LVN_ITEMCHANGED) return;
  const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
  auto* list = dynamic_cast<ui::ListView*>(&model);
  if (list == nullptr || (change.uChanged & LVIF_STATE) == 0 ||
      ((change.uNewState ^ change.uOldState) & LVIS_STATEIMAGEMASK) == 0 || change.iItem < 0) {
    return;
  }
  const auto row = static_cast<std::size_t>(change.iItem);
  const bool checked = ListView_GetCheckState(header.hwndFrom, change.iItem) != 0;
  if (row >= list->Count() || list->Item(row).checked == checked) return;
  list->SetChecked(row, checked);
  const auto handler = itemChecks_.find(list);
  if (handler != itemChecks_.end()) Invoke([&] { handler->second(row); });
}

LRESULT CALLBACK MainWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<MainWindow*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
  if (self == nullptr || self->window_ == nullptr) {
    return ::DefWindowProcA(window, message, wParam, lParam);
  }
  return self->Handle(message, wParam, lParam);
}

LRESULT MainWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (lParam == 0 && menuDispatch_) {  // a menu item
        Invoke([this, id = LOWORD(wParam)] { menuDispatch_(id); });
      } else {
        OnCommand(LOWORD(wParam), HIWORD(wParam));
      }
      return 0;
    case WM_NOTIFY:
      OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
      return 0;
    case WM_INITMENUPOPUP:
      if (menuOpening_) menuOpening_(reinterpret_cast<HMENU>(wParam));
      return 0;
    case WM_CLOSE:
      if (busy_ > 0) {
        closePending_ = true;
        if (closeWhileBusy_) closeWhileBusy_();
        return 0;
      }
      Close();
      return 0;
    case WM_SIZE:
      if (minimizedChange_ && (wParam == SIZE_MINIMIZED || wParam == SIZE_RESTORED ||
                               wParam == SIZE_MAXIMIZED)) {
        minimizedChange_(wParam == SIZE_MINIMIZED);
      }
      return 0;
    case WM_TIMER:
      OnTimer(static_cast<UINT_PTR>(wParam));
      return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      if (const HBRUSH brush = PageBackground(reinterpret_cast<HWND>(lParam), reinterpret_cast<HDC>(wParam))) {
        return reinterpret_cast<LRESULT>(brush);
      }
      return ::DefWindowProcA(window_, message, wParam, lParam);
    case WM_THEMECHANGED:
    case WM_SYSCOLORCHANGE:
      tabPage_.Reset();
      return ::DefWindowProcA(window_, message, wParam, lParam);
    case WM_QUERYENDSESSION:
      return TRUE;  // the program never holds up the end of the session
    case WM_ENDSESSION:
      if (wParam != FALSE) EndWithSession();
      return 0;
    case WM_DESTROY:
      timers_.clear();
      natives_.clear();
      frames_.clear();
      window_ = nullptr;
      ::PostQuitMessage(0);
      return 0;
    default:
      if (const auto handler = appMessages_.find(message); handler != appMessages_.end()) {
        const auto& run = handler->second;
        Invoke([&] { run(wParam, lParam); });
        return 0;
      }
      return ::DefWindowProcA(window_, message, wParam, lParam);
  }
}

void MainWindow::OnTimer(UINT_PTR id) {
  for (const auto& timer : timers_) {
    if (timer->Id() != id || !timer->Model().Enabled()) continue;
    const auto handler = ticks_.find(&timer->Model());
    if (handler != ticks_.end()) Invoke(handler->second);
  }
}

void MainWindow::Close() {
  RunClosing();
  ::DestroyWindow(window_);
}

void MainWindow::RunClosing() {
  if (closed_) return;
  closed_ = true;
  if (closing_) closing_();
}

// Windows ends the session, or an installer closes the program: the orderly end of a close,
// done before this message returns, since the process may be ended right after it. Work in
// progress is asked to stop, and the window goes as soon as it has.
void MainWindow::EndWithSession() {
  RunClosing();
  if (busy_ == 0) {
    ::DestroyWindow(window_);
    return;
  }
  closePending_ = true;
  if (closeWhileBusy_) closeWhileBusy_();
}

}  // namespace kestrian::app
