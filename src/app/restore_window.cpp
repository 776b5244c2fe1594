#include "app/restore_window.h"

#include <commctrl.h>

#include <algorithm>
#include <array>
#include <string>

namespace kestrian::app {

namespace {
// The window's messages, told apart from the window itself by their title.
constexpr char kMessageTitle[] = "Quarantine";
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_3DLOOK;
constexpr int kListId = 1101;
constexpr int kRestoreId = IDOK;  // Enter restores
constexpr int kDeleteId = 1102;
constexpr int kCloseId = IDCANCEL;  // Escape, the close box and the button take one path

// Layout in pixels at 96 DPI.
constexpr int kWidth = 720;
constexpr int kHeight = 360;
constexpr int kMargin = 11;
constexpr int kGap = 7;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 23;

struct Column {
  const char* title;
  int width;
};
constexpr std::array<Column, 5> kColumns{{{"Time (UTC)", 130},
                                          {"Threat", 150},
                                          {"Kind", 60},
                                          {"Original location", 270},
                                          {"State", 80}}};

std::string KindText(removal::RecordKind kind) {
  switch (kind) {
    case removal::RecordKind::File: return "File";
    case removal::RecordKind::Registry: return "Registry";
    case removal::RecordKind::Cookie: return "Cookie";
  }
  return {};
}

std::string StateText(const removal::QuarantineRecord& record) {
  if (record.restored) return "Restored";
  return record.deleteAtLogon ? "Deleted at logon" : "";
}

// "2026-12-06T08:30:00Z" -> "2026-12-06 08:30:00"
std::string TimeText(std::string time) {
  std::replace(time.begin(), time.end(), 'T', ' ');
  if (!time.empty() && time.back() == 'Z') time.pop_back();
  return time;
}

std::string Cell(const removal::QuarantineRecord& record, int column) {
  switch (column) {
    case 0: return TimeText(record.time);
    case 1: return record.threat;
    case 2: return KindText(record.kind);
    case 3: return record.location;
    default: return StateText(record);
  }
}
}  // namespace

void SortRecords(std::vector<removal::QuarantineRecord>& records, int column, bool ascending) {
  std::stable_sort(records.begin(), records.end(),
                   [column, ascending](const removal::QuarantineRecord& a, const removal::QuarantineRecord& b) {
                     const std::string left = Cell(a, column);
                     const std::string right = Cell(b, column);
                     const int order = _stricmp(left.c_str(), right.c_str());
                     return ascending ? order < 0 : order > 0;
                   });
}

RestoreWindow::RestoreWindow(Win32Host& host, HWND owner, removal::RestoreContext context)
    : host_(host), owner_(owner), context_(context), restore_(context) {}

void RestoreWindow::Show() {
  if (!window_ && !window_.Create(kStyle, owner_)) return;
  Reload();
  ::ShowWindow(window_.Get(), SW_SHOW);
  ::SetForegroundWindow(window_.Get());
  ::SendMessageA(window_.Get(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(::GetDlgItem(window_.Get(), kListId)),
                 TRUE);
}

void RestoreWindow::OnInitDialog(HWND window) {
  ::SetWindowTextA(window, kRestoreWindowTitle);
  dpi_ = ScreenDpi();
  font_ = UniqueFont(CreateMessageFont());
  SetClientSize(window, ::MulDiv(kWidth, dpi_, 96), ::MulDiv(kHeight, dpi_, 96));
  CreateControls();
  Layout();
  CenterOver(window, owner_);
}

HFONT RestoreWindow::Font() const {
  return font_ ? font_.get() : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
}

void RestoreWindow::CreateControls() {
  const auto child = [this](const char* className, const char* text, DWORD style, DWORD exStyle, int id) {
    const HWND control = ::CreateWindowExA(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0,
                                           window_.Get(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                           ::GetModuleHandleA(nullptr), nullptr);
    ::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(Font()), FALSE);
    return control;
  };
  const HWND list = child(WC_LISTVIEWA, "", WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS, WS_EX_CLIENTEDGE,
                          kListId);
  ::SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  for (std::size_t i = 0; i < kColumns.size(); ++i) {
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = const_cast<char*>(kColumns[i].title);
    column.cx = ::MulDiv(kColumns[i].width, dpi_, 96);
    ::SendMessageA(list, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
  }
  child("BUTTON", "&Restore", WS_TABSTOP | BS_DEFPUSHBUTTON, 0, kRestoreId);
  child("BUTTON", "&Delete", WS_TABSTOP | BS_PUSHBUTTON, 0, kDeleteId);
  child("BUTTON", "C&lose", WS_TABSTOP | BS_PUSHBUTTON, 0, kCloseId);
}

void RestoreWindow::Layout() {
  const auto scale = [this](int pixels) { return ::MulDiv(pixels, dpi_, 96); };
  const auto place = [this](int id, int left, int top, int width, int height) {
    ::MoveWindow(::GetDlgItem(window_.Get(), id), left, top, width, height, FALSE);
  };
  RECT client{};
  ::GetClientRect(window_.Get(), &client);
  const int margin = scale(kMargin);
  const int buttonTop = client.bottom - margin - scale(kButtonHeight);
  place(kListId, margin, margin, client.right - 2 * margin, buttonTop - scale(kGap) - margin);
  int left = client.right - margin;
  for (const int id : {kCloseId, kDeleteId, kRestoreId}) {
    left -= scale(kButtonWidth);
    place(id, left, buttonTop, scale(kButtonWidth), scale(kButtonHeight));
    left -= scale(kGap);
  }
}

void RestoreWindow::Reload() {
  const std::string error = restore_.Load();
  if (!error.empty()) {
    host_.ShowMessage("The quarantine index cannot be read: " + error + ".", kMessageTitle,
                      ui::MessageButtons::Ok, ui::MessageIcon::Exclamation);
  }
  FillList();
}

void RestoreWindow::FillList() {
  shown_ = restore_.Records();
  SortRecords(shown_, sortColumn_, ascending_);
  const HWND list = ::GetDlgItem(window_.Get(), kListId);
  ::SendMessageA(list, WM_SETREDRAW, FALSE, 0);
  ::SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
  for (std::size_t row = 0; row < shown_.size(); ++row) {
    const std::string first = Cell(shown_[row], 0);
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = static_cast<int>(row);
    item.pszText = const_cast<char*>(first.c_str());
    item.lParam = static_cast<LPARAM>(row);
    ::SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    for (int column = 1; column < static_cast<int>(kColumns.size()); ++column) {
      const std::string text = Cell(shown_[row], column);
      LVITEMA cell{};
      cell.iSubItem = column;
      cell.pszText = const_cast<char*>(text.c_str());
      ::SendMessageA(list, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&cell));
    }
  }
  if (!shown_.empty()) {
    LVITEMA first{};
    first.stateMask = LVIS_FOCUSED | LVIS_SELECTED;
    first.state = first.stateMask;
    ::SendMessageA(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&first));
  }
  ::SendMessageA(list, WM_SETREDRAW, TRUE, 0);
  ::InvalidateRect(list, nullptr, TRUE);
}

std::vector<std::uint64_t> RestoreWindow::SelectedIds() const {
  std::vector<std::uint64_t> ids;
  const HWND list = ::GetDlgItem(window_.Get(), kListId);
  for (int row = -1; (row = static_cast<int>(::SendMessageA(list, LVM_GETNEXTITEM, row, LVNI_SELECTED))) >= 0;) {
    if (static_cast<std::size_t>(row) < shown_.size()) ids.push_back(shown_[static_cast<std::size_t>(row)].id);
  }
  return ids;
}

void RestoreWindow::Report(const std::vector<std::string>& failures, const char* done, const char* notDone) {
  if (failures.empty()) {
    host_.ShowMessage(done, kMessageTitle, ui::MessageButtons::Ok, ui::MessageIcon::Information);
    return;
  }
  std::string text = notDone;
  text += "\r\n";
  for (const std::string& failure : failures) text += "\r\n" + failure;
  host_.ShowMessage(text, kMessageTitle, ui::MessageButtons::Ok, ui::MessageIcon::Exclamation);
}

void RestoreWindow::RestoreSelected() {
  const auto ids = SelectedIds();
  if (ids.empty()) {
    host_.ShowMessage("Select the items to restore first.", kMessageTitle, ui::MessageButtons::Ok,
                      ui::MessageIcon::Information);
    return;
  }
  std::vector<std::string> failures;
  for (const std::uint64_t id : ids) {
    const std::string location = restore_.Find(id)->location;
    const auto outcome = restore_.Restore(id);
    if (outcome.result != removal::RestoreResult::Done) failures.push_back(location + ": " + outcome.reason);
  }
  FillList();
  Report(failures, "The selected items were restored and added to the exclusion list.",
         "These items were not restored:");
}

void RestoreWindow::DeleteSelected() {
  const auto ids = SelectedIds();
  if (ids.empty()) {
    host_.ShowMessage("Select the items to delete first.", kMessageTitle, ui::MessageButtons::Ok,
                      ui::MessageIcon::Information);
    return;
  }
  const std::string question = "Delete the " + std::to_string(ids.size()) +
                               " selected backups from the quarantine?\r\n\r\n"
                               "They cannot be restored afterwards.";
  if (host_.ShowMessage(question, kMessageTitle, ui::MessageButtons::YesNo, ui::MessageIcon::Question) !=
      ui::MessageAnswer::Yes) {
    return;
  }
  std::vector<std::string> failures;
  for (const std::uint64_t id : ids) {
    const std::string location = restore_.Find(id)->location;
    const auto outcome = restore_.Delete(id);
    if (outcome.result != removal::RestoreResult::Done) failures.push_back(location + ": " + outcome.reason);
  }
  FillList();
  Report(failures, "The selected backups were deleted.", "These backups were not deleted:");
}

INT_PTR RestoreWindow::OnNotify(const NMHDR& header) {
  if (header.idFrom != kListId) return FALSE;
  if (header.code == LVN_COLUMNCLICK) {
    const int column = reinterpret_cast<const NMLISTVIEW&>(header).iSubItem;
    ascending_ = column == sortColumn_ ? !ascending_ : true;
    sortColumn_ = column;
    FillList();
    return TRUE;
  }
  if (header.code == LVN_KEYDOWN && reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey == 'A' &&
      ::GetKeyState(VK_CONTROL) < 0) {
    LVITEMA all{};
    all.stateMask = LVIS_SELECTED;
    all.state = LVIS_SELECTED;
    ::SendMessageA(header.hwndFrom, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&all));
    return TRUE;
  }
  return FALSE;
}

INT_PTR RestoreWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (HIWORD(wParam) != BN_CLICKED) return FALSE;
      switch (LOWORD(wParam)) {
        case kRestoreId: RestoreSelected(); return TRUE;
        case kDeleteId: DeleteSelected(); return TRUE;
        case kCloseId: ::ShowWindow(window_.Get(), SW_HIDE); return TRUE;
        default: return FALSE;
      }
    case WM_NOTIFY:
      return OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
    case WM_CLOSE:
      ::ShowWindow(window_.Get(), SW_HIDE);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace kestrian::app
