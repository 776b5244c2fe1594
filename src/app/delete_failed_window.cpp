#include "app/delete_failed_window.h"

#include <commctrl.h>

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace kestrian::app {

namespace {
constexpr char kTitle[] = "Delete Failed";
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_3DLOOK;
constexpr char kTextAbove[] =
    "The following files could not be deleted.  You should save your work, close all running "
    "programs (especially browsers) and try to delete them again.";
constexpr char kTextBelow[] =
    "If you still cannot delete them, you should start your computer in Safe Mode and either "
    "scan again or delete them manually.";

// Close is IDCANCEL, so that Escape, the close box and the button take one path.
constexpr int kTextAboveId = 1001;
constexpr int kListId = 1002;
constexpr int kTextBelowId = 1003;
constexpr int kCopyListId = 1004;
constexpr int kCloseId = IDCANCEL;

// Layout in pixels at 96 DPI.
constexpr int kWidth = 480;
constexpr int kHeight = 320;
constexpr int kMargin = 11;
constexpr int kGap = 7;
constexpr int kButtonGap = 6;
constexpr int kButtonHeight = 23;
constexpr int kCopyListWidth = 90;
constexpr int kCloseWidth = 75;

// Height of `text` wrapped at `width` in `font`.
int TextHeight(const char* text, HFONT font, int width) {
  const ScreenDc screen;
  const HGDIOBJ previous = ::SelectObject(screen.Get(), font);
  RECT bounds{0, 0, width, 0};
  ::DrawTextA(screen.Get(), text, -1, &bounds, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  ::SelectObject(screen.Get(), previous);
  return bounds.bottom;
}

// Over the owner when it is on screen, else in the middle of the work area; never off it.

// Each column as wide as its longest text; the last one fills what is left of the list.
void FitColumns(HWND list, int columns) {
  int used = 0;
  for (int column = 0; column < columns; ++column) {
    ::SendMessageA(list, LVM_SETCOLUMNWIDTH, column, LVSCW_AUTOSIZE_USEHEADER);
    used += static_cast<int>(::SendMessageA(list, LVM_GETCOLUMNWIDTH, column, 0));
  }
  RECT client{};
  ::GetClientRect(list, &client);
  if (columns > 0 && used < client.right) {
    const int last = static_cast<int>(::SendMessageA(list, LVM_GETCOLUMNWIDTH, columns - 1, 0));
    ::SendMessageA(list, LVM_SETCOLUMNWIDTH, columns - 1, last + client.right - used);
  }
}

// The first row takes the focus, so that the list shows where the keyboard is.
void SelectFirstRow(HWND list) {
  if (::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) == 0) return;
  LVITEMA first{};
  first.stateMask = LVIS_FOCUSED | LVIS_SELECTED;
  first.state = first.stateMask;
  ::SendMessageA(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&first));
}

class ClipboardLock {
 public:
  explicit ClipboardLock(HWND owner) : open_(::OpenClipboard(owner) != FALSE) {}
  ~ClipboardLock() {
    if (open_) ::CloseClipboard();
  }
  ClipboardLock(const ClipboardLock&) = delete;
  ClipboardLock& operator=(const ClipboardLock&) = delete;
  bool IsOpen() const { return open_; }

 private:
  bool open_;
};

struct GlobalFreer {
  void operator()(void* memory) const { ::GlobalFree(memory); }
};

bool PutTextOnClipboard(HWND owner, const std::string& text) {
  const ClipboardLock clipboard(owner);
  if (!clipboard.IsOpen() || !::EmptyClipboard()) return false;
  std::unique_ptr<void, GlobalFreer> memory(::GlobalAlloc(GMEM_MOVEABLE, text.size() + 1));
  void* bytes = memory ? ::GlobalLock(memory.get()) : nullptr;
  if (bytes == nullptr) return false;
  std::memcpy(bytes, text.c_str(), text.size() + 1);
  ::GlobalUnlock(memory.get());
  if (::SetClipboardData(CF_TEXT, memory.get()) == nullptr) return false;
  static_cast<void>(memory.release());  // the clipboard owns it now
  return true;
}
}  // namespace

std::string ProblemListText(const ui::FrmDelete& form) {
  std::string text;
  for (const ui::ListItem& item : form.lstProblem.Items()) {
    text += item.text;
    if (!item.SubItem(1).empty()) text += "\t" + item.SubItem(1);
    text += "\r\n";
  }
  return text;
}

DeleteFailedWindow::DeleteFailedWindow(ui::FrmDelete& form, Win32Host& host, HWND owner)
    : form_(form), host_(host), owner_(owner) {
  form_.AttachPeer(this);
}

DeleteFailedWindow::~DeleteFailedWindow() {
  form_.AttachPeer(nullptr);
}

void DeleteFailedWindow::OnModelChanged() {
  if (!form_.Visible()) {
    if (window_) ::ShowWindow(window_.Get(), SW_HIDE);
    return;
  }
  if (!window_ && !window_.Create(kStyle, owner_)) return;
  FillList();
  if (::IsWindowVisible(window_.Get())) return;
  ::ShowWindow(window_.Get(), SW_SHOW);
  const HWND list = ::GetDlgItem(window_.Get(), kListId);
  ::SendMessageA(window_.Get(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(list), TRUE);
}

void DeleteFailedWindow::OnInitDialog(HWND window) {
  ::SetWindowTextA(window, kTitle);
  dpi_ = ScreenDpi();
  font_ = UniqueFont(CreateMessageFont());
  ::SetWindowPos(window, nullptr, 0, 0, ::MulDiv(kWidth, dpi_, 96), ::MulDiv(kHeight, dpi_, 96),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  CreateControls();
  Layout();
  ::SendMessageA(window, DM_SETDEFID, kCloseId, 0);
  CenterOver(window, owner_);
}

INT_PTR DeleteFailedWindow::OnMessage(UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_COMMAND:
      if (HIWORD(wParam) != BN_CLICKED) return FALSE;
      if (LOWORD(wParam) == kCopyListId) {
        if (!PutTextOnClipboard(window_.Get(), ProblemListText(form_))) ::MessageBeep(MB_ICONHAND);
        return TRUE;
      }
      if (LOWORD(wParam) == kCloseId || LOWORD(wParam) == IDOK) {
        CloseByUser();
        return TRUE;
      }
      return FALSE;
    case WM_CLOSE:
      CloseByUser();
      return TRUE;
    default:
      return FALSE;
  }
}

void DeleteFailedWindow::CreateControls() {
  CreateChild("STATIC", kTextAbove, SS_LEFT | SS_NOPREFIX, 0, kTextAboveId);
  const HWND list =
      CreateChild(WC_LISTVIEWA, "",
                  WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER,
                  WS_EX_CLIENTEDGE, kListId);
  ::SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  const auto& columns = form_.lstProblem.Columns();
  for (std::size_t index = 0; index < columns.size(); ++index) {
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT;
    column.pszText = const_cast<char*>(columns[index].c_str());
    ::SendMessageA(list, LVM_INSERTCOLUMNA, index, reinterpret_cast<LPARAM>(&column));
  }
  CreateChild("STATIC", kTextBelow, SS_LEFT | SS_NOPREFIX, 0, kTextBelowId);
  CreateChild("BUTTON", "&Copy List", WS_TABSTOP | BS_PUSHBUTTON, 0, kCopyListId);
  CreateChild("BUTTON", "C&lose", WS_TABSTOP | BS_DEFPUSHBUTTON, 0, kCloseId);
}

HWND DeleteFailedWindow::CreateChild(const char* className, const char* text, DWORD style,
                                     DWORD exStyle, int id) {
  const HWND child = ::CreateWindowExA(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, 0,
                                       0, 0, 0, window_.Get(),
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                       ::GetModuleHandleA(nullptr), nullptr);
  ::SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(Font()), FALSE);
  return child;
}

HFONT DeleteFailedWindow::Font() const {
  return font_ ? font_.get() : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
}

void DeleteFailedWindow::Layout() {
  const auto scale = [this](int pixels) { return ::MulDiv(pixels, dpi_, 96); };
  const auto place = [this](int id, int left, int top, int width, int height) {
    ::MoveWindow(::GetDlgItem(window_.Get(), id), left, top, width, height, FALSE);
  };
  RECT client{};
  ::GetClientRect(window_.Get(), &client);
  const int margin = scale(kMargin);
  const int gap = scale(kGap);
  const int width = client.right - 2 * margin;
  const int above = TextHeight(kTextAbove, Font(), width);
  const int below = TextHeight(kTextBelow, Font(), width);
  const int buttonTop = client.bottom - margin - scale(kButtonHeight);
  const int belowTop = buttonTop - gap - below;
  const int listTop = margin + above + gap;
  place(kTextAboveId, margin, margin, width, above);
  place(kListId, margin, listTop, width, belowTop - gap - listTop);
  place(kTextBelowId, margin, belowTop, width, below);
  const int closeLeft = client.right - margin - scale(kCloseWidth);
  place(kCloseId, closeLeft, buttonTop, scale(kCloseWidth), scale(kButtonHeight));
  place(kCopyListId, closeLeft - scale(kButtonGap) - scale(kCopyListWidth), buttonTop,
        scale(kCopyListWidth), scale(kButtonHeight));
}

void DeleteFailedWindow::FillList() {
  const HWND list = ::GetDlgItem(window_.Get(), kListId);
  ::SendMessageA(list, WM_SETREDRAW, FALSE, 0);
  ::SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
  const auto& rows = form_.lstProblem.Items();
  for (std::size_t row = 0; row < rows.size(); ++row) {
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(row);
    item.pszText = const_cast<char*>(rows[row].text.c_str());
    ::SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    for (std::size_t column = 1; column < form_.lstProblem.Columns().size(); ++column) {
      const std::string& text = rows[row].SubItem(column);
      LVITEMA sub{};
      sub.iSubItem = static_cast<int>(column);
      sub.pszText = const_cast<char*>(text.c_str());
      ::SendMessageA(list, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&sub));
    }
  }
  SelectFirstRow(list);
  ::SendMessageA(list, WM_SETREDRAW, TRUE, 0);
  // With redraw on, so that the client width leaves out the scroll bar.
  FitColumns(list, static_cast<int>(form_.lstProblem.Columns().size()));
  ::InvalidateRect(list, nullptr, TRUE);
}

// The window hides through its model like any other change. A close arriving while the model
// notifies (a message sent during the hide) must not set it once more.
void DeleteFailedWindow::CloseByUser() {
  if (closing_) return;
  closing_ = true;
  form_.SetVisible(false);
  closing_ = false;
}

// The window no longer reaches this object nor the host's dialog keys.
}  // namespace kestrian::app
