#include "app/about_box.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <utility>

#include "update/trusted_keys.h"

namespace kestrian::app {

namespace {
constexpr int kIconId = 1001;
constexpr int kProductId = 1002;
constexpr int kVersionId = 1003;
constexpr int kCompanyId = 1004;
constexpr int kAddressId = 1005;
constexpr int kKeysId = 1006;
constexpr int kOkId = IDOK;
constexpr int kProgramIconResource = 1;
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_3DLOOK;

// Layout in pixels at 96 DPI.
constexpr int kMargin = 11;
constexpr int kIconSize = 32;
constexpr int kMinWidth = 300;
constexpr int kTitleGap = 6;
constexpr int kLineGap = 2;
constexpr int kButtonGap = 14;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 23;
constexpr int kTextSlack = 2;  // so that rounding never clips a row's last letter

// The rows of text beside the icon, from the top.
constexpr int kTextRows[] = {kProductId, kVersionId, kCompanyId, kAddressId, kKeysId};

SIZE TextSize(const std::string& text, HFONT font) {
  const ScreenDc screen;
  const HGDIOBJ previous = ::SelectObject(screen.Get(), font);
  RECT bounds{};
  ::DrawTextA(screen.Get(), text.c_str(), -1, &bounds, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  ::SelectObject(screen.Get(), previous);
  return {bounds.right, bounds.bottom};
}

// The product's name in a bold font half as large again as `base`.
HFONT CreateTitleFont(HFONT base) {
  LOGFONTA font{};
  if (base == nullptr || ::GetObjectA(base, sizeof font, &font) == 0) return nullptr;
  font.lfHeight = font.lfHeight * 3 / 2;
  font.lfWeight = FW_BOLD;
  return ::CreateFontIndirectA(&font);
}

// Which signatures Live Update accepts: a development build says it trusts the test key.
std::string TrustedKeysLine() {
  std::string line = "Definitions signed by: ";
  const auto keys = update::TrustedKeys();
  for (std::size_t i = 0; i < keys.size(); ++i) line += (i > 0 ? ", " : "") + std::string(keys[i].name);
  return line;
}

std::string RowText(const platform::VersionResource& version, int id) {
  switch (id) {
    case kProductId: return version.productName;
    case kVersionId: return VersionLine(version);
    case kCompanyId: return version.companyName;
    case kKeysId: return TrustedKeysLine();
    default: return version.comments;
  }
}

}  // namespace

std::string VersionLine(const platform::VersionResource& version) {
  return "Version " + std::to_string(version.major) + "." + std::to_string(version.minor);
}

AboutBox::AboutBox(Win32Host& host, HWND owner, platform::VersionResource version,
                   std::function<void()> openWebsite)
    : host_(host), owner_(owner), version_(std::move(version)), openWebsite_(std::move(openWebsite)) {}

void AboutBox::Show() {
  if (!window_ && !window_.Create(kStyle, owner_)) return;
  if (!::IsWindowVisible(window_.Get())) {
    CenterOver(window_.Get(), owner_);
    ::ShowWindow(window_.Get(), SW_SHOW);
    const HWND ok = ::GetDlgItem(window_.Get(), kOkId);
    ::SendMessageA(window_.Get(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(ok), TRUE);
  }
  ::SetForegroundWindow(window_.Get());
}

void AboutBox::OnInitDialog(HWND window) {
  ::SetWindowTextA(window, ("About " + version_.productName).c_str());
  dpi_ = ScreenDpi();
  CreateFonts();
  CreateControls();
  Layout();
  ::SendMessageA(window, DM_SETDEFID, kOkId, 0);
}

void AboutBox::CreateFonts() {
  font_ = UniqueFont(CreateMessageFont());
  titleFont_ = UniqueFont(CreateTitleFont(Font()));
}

HFONT AboutBox::Font() const {
  return font_ ? font_.get() : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
}

HFONT AboutBox::TitleFont() const { return titleFont_ ? titleFont_.get() : Font(); }

void AboutBox::CreateControls() {
  const HINSTANCE instance = ::GetModuleHandleA(nullptr);
  icon_ = UniqueIcon(static_cast<HICON>(::LoadImageA(instance, MAKEINTRESOURCEA(kProgramIconResource),
                                                     IMAGE_ICON, Scale(kIconSize), Scale(kIconSize),
                                                     LR_DEFAULTCOLOR)));
  if (icon_) {
    const HWND icon = CreateChild("STATIC", "", SS_ICON | SS_REALSIZECONTROL, kIconId, Font());
    ::SendMessageA(icon, STM_SETICON, reinterpret_cast<WPARAM>(icon_.get()), 0);
  }
  for (const int id : {kProductId, kVersionId, kCompanyId, kKeysId}) {
    CreateChild("STATIC", RowText(version_, id), SS_LEFT | SS_NOPREFIX, id,
                id == kProductId ? TitleFont() : Font());
  }
  HWND address = nullptr;
  if (openWebsite_) {
    const INITCOMMONCONTROLSEX classes{sizeof classes, ICC_LINK_CLASS};
    ::InitCommonControlsEx(&classes);
    address = CreateChild("SysLink", "<a>" + version_.comments + "</a>", WS_TABSTOP, kAddressId, Font());
  }
  // Without the link class (common controls before version 6) the address is plain text.
  if (address == nullptr) CreateChild("STATIC", version_.comments, SS_LEFT | SS_NOPREFIX, kAddressId, Font());
  CreateChild("BUTTON", "OK", WS_TABSTOP | BS_DEFPUSHBUTTON, kOkId, Font());
}

HWND AboutBox::CreateChild(const char* className, const std::string& text, DWORD style, int id,
                           HFONT font) {
  const HWND child = ::CreateWindowExA(0, className, text.c_str(), WS_CHILD | WS_VISIBLE | style, 0,
                                       0, 0, 0, window_.Get(),
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                       ::GetModuleHandleA(nullptr), nullptr);
  if (child != nullptr) ::SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return child;
}

// The icon at the top left, the rows of text beside it, OK at the bottom right; the window
// as large as they need.
void AboutBox::Layout() {
  const int margin = Scale(kMargin);
  int width = Scale(kMinWidth);
  const int rowsBottom = PlaceTextRows(width);
  Place(kIconId, margin, margin, Scale(kIconSize), Scale(kIconSize));
  const int buttonTop = std::max(rowsBottom, margin + Scale(kIconSize)) + Scale(kButtonGap);
  Place(kOkId, width - margin - Scale(kButtonWidth), buttonTop, Scale(kButtonWidth),
        Scale(kButtonHeight));
  SetClientSize(window_.Get(), width, buttonTop + Scale(kButtonHeight) + margin);
}

// Each row as large as its text; widens `width` to the widest row and answers the bottom of
// the last one.
int AboutBox::PlaceTextRows(int& width) {
  const int margin = Scale(kMargin);
  const int left = margin + Scale(kIconSize) + margin;
  int top = margin;
  for (const int id : kTextRows) {
    const SIZE size = TextSize(RowText(version_, id), id == kProductId ? TitleFont() : Font());
    const int rowWidth = static_cast<int>(size.cx) + Scale(kTextSlack);
    Place(id, left, top, rowWidth, size.cy);
    width = std::max(width, left + rowWidth + margin);
    top += size.cy + Scale(id == kProductId ? kTitleGap : kLineGap);
  }
  return top;
}

void AboutBox::Place(int id, int left, int top, int width, int height) {
  ::MoveWindow(::GetDlgItem(window_.Get(), id), left, top, width, height, FALSE);
}

INT_PTR AboutBox::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      // OK and Enter send IDOK; Escape sends IDCANCEL.
      if (HIWORD(wParam) != BN_CLICKED || (LOWORD(wParam) != kOkId && LOWORD(wParam) != IDCANCEL)) {
        return FALSE;
      }
      Close();
      return TRUE;
    case WM_CLOSE:
      Close();
      return TRUE;
    case WM_NOTIFY:
      return OnLinkNotify(*reinterpret_cast<const NMHDR*>(lParam)) ? TRUE : FALSE;
    default:
      return FALSE;
  }
}

bool AboutBox::OnLinkNotify(const NMHDR& header) {
  if (header.idFrom != kAddressId || (header.code != NM_CLICK && header.code != NM_RETURN)) return false;
  if (openWebsite_) openWebsite_();
  return true;
}

// Hidden, not destroyed: the next Show brings the same window back.
void AboutBox::Close() { ::ShowWindow(window_.Get(), SW_HIDE); }

}  // namespace kestrian::app
