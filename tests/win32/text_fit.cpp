#include "win32/text_fit.h"

#include <commctrl.h>

#include <fstream>
#include <optional>
#include <string_view>

#include "app/dialog_support.h"
#include "win32/window_test_support.h"

namespace kestrian::testing {
namespace {

std::string ClassOf(HWND window) {
  char name[64] = {};
  ::GetClassNameA(window, name, sizeof name);
  return name;
}

int Scaled(int pixels) { return ::MulDiv(pixels, app::ScreenDpi(), 96); }

// What a link draws of its text: no markup.
std::string WithoutMarkup(std::string_view text) {
  std::string shown;
  bool inTag = false;
  for (const char c : text) {
    if (c == '<' || c == '>') inTag = c == '<';
    else if (!inTag) shown += c;
  }
  return shown;
}

// The size DrawText gives `text` in `width` pixels with `format` (the control's own line
// breaking), in the font `control` draws with.
SIZE Drawn(HWND control, std::string_view text, int width, UINT format) {
  const app::ScreenDc screen;
  const auto font = reinterpret_cast<HGDIOBJ>(::SendMessageA(control, WM_GETFONT, 0, 0));
  const HGDIOBJ previous = ::SelectObject(screen.Get(), font != nullptr ? font : ::GetStockObject(SYSTEM_FONT));
  RECT room{0, 0, width, 0};
  ::DrawTextA(screen.Get(), text.data(), static_cast<int>(text.size()), &room, format | DT_CALCRECT);
  ::SelectObject(screen.Get(), previous);
  return {room.right, room.bottom};
}

int Width(HWND control, std::string_view text, UINT format = 0) {
  return Drawn(control, text, 0, format | DT_SINGLELINE).cx;
}

// A text, the room in pixels a control draws it in, and how it draws it.
struct Caption {
  std::string text;
  int width;
  int height;
  UINT format;
};

// The caption of a button, label or link and its room; none for other controls.
std::optional<Caption> CaptionOf(HWND control, const std::string& className) {
  const std::string text = TextOf(control);
  const LONG style = ::GetWindowLongA(control, GWL_STYLE);
  const RECT client = [&] { RECT r{}; ::GetClientRect(control, &r); return r; }();
  if (text.empty()) return std::nullopt;
  if (className == "SysLink") return Caption{WithoutMarkup(text), client.right, client.bottom, DT_WORDBREAK | DT_NOPREFIX};
  if (className == "Static") {
    const LONG type = style & SS_TYPEMASK;
    const bool wraps = type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT;
    if (!wraps && type != SS_SIMPLE && type != SS_LEFTNOWORDWRAP) return std::nullopt;  // pictures
    const UINT format = (wraps ? DT_WORDBREAK : DT_SINGLELINE) | ((style & SS_NOPREFIX) != 0 ? DT_NOPREFIX : 0) |
                        ((style & SS_EDITCONTROL) != 0 ? DT_EDITCONTROL : 0);
    return Caption{text, client.right, client.bottom, format};
  }
  if (className != "Button") return std::nullopt;
  const LONG type = style & BS_TYPEMASK;
  const UINT format = (style & BS_MULTILINE) != 0 ? DT_WORDBREAK : DT_SINGLELINE;
  if (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON) {
    const int box = ::GetSystemMetrics(SM_CXMENUCHECK) + Scaled(4);
    return Caption{text, client.right - box, client.bottom, format};
  }
  if (type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON) return std::nullopt;
  const int inset = Scaled(3);  // the edge and the focus rectangle
  return Caption{text, client.right - 2 * inset, client.bottom - 2 * inset, format};
}

std::string CaptionProblem(HWND control, const Caption& caption) {
  const SIZE needed = Drawn(control, caption.text, caption.width, caption.format);
  if (needed.cx <= caption.width && needed.cy <= caption.height) return {};
  return "needs " + std::to_string(needed.cx) + "x" + std::to_string(needed.cy) + " px, has " +
         std::to_string(caption.width) + "x" + std::to_string(caption.height);
}

// Texts of a control's items (tabs, list entries, column headers), each with the room it
// has; a tab outside the strip needs scroll arrows and counts as not fitting.
std::string ItemsProblem(HWND control, const std::string& className) {
  RECT client{};
  ::GetClientRect(control, &client);
  char text[256] = {};
  if (className == WC_TABCONTROLA) {
    for (int i = 0; i < TabCtrl_GetItemCount(control); ++i) {
      TCITEMA item{TCIF_TEXT, 0, 0, text, static_cast<int>(sizeof text), 0, 0};
      RECT bounds{};
      ::SendMessageA(control, TCM_GETITEMA, i, reinterpret_cast<LPARAM>(&item));
      TabCtrl_GetItemRect(control, i, &bounds);
      if (bounds.left < 0 || bounds.right > client.right || Width(control, text) > bounds.right - bounds.left) {
        return std::string("tab \"") + text + "\" does not fit";
      }
    }
  }
  if (className == "ComboBox") {
    const int room = client.right - ::GetSystemMetrics(SM_CXVSCROLL) - Scaled(4);
    for (LRESULT i = 0; i < ::SendMessageA(control, CB_GETCOUNT, 0, 0); ++i) {
      ::SendMessageA(control, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
      if (Width(control, text, DT_NOPREFIX) > room) return std::string("item \"") + text + "\" does not fit";
    }
  }
  const HWND header = className == WC_LISTVIEWA ? ListView_GetHeader(control) : nullptr;
  for (int i = 0; header != nullptr && ::IsWindowVisible(header) && i < Header_GetItemCount(header); ++i) {
    HDITEMA item{};
    item.mask = HDI_TEXT;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    RECT bounds{};
    ::SendMessageA(header, HDM_GETITEMA, i, reinterpret_cast<LPARAM>(&item));
    Header_GetItemRect(header, i, &bounds);
    if (Width(header, text, DT_NOPREFIX) + Scaled(12) > bounds.right - bounds.left) {
      return std::string("column \"") + text + "\" does not fit";
    }
  }
  return {};
}

bool InsideItsWindow(HWND control) {
  RECT bounds = BoundsOf(control);
  RECT room{};
  ::MapWindowPoints(nullptr, ::GetParent(control), reinterpret_cast<POINT*>(&bounds), 2);
  ::GetClientRect(::GetParent(control), &room);
  return bounds.left >= 0 && bounds.top >= 0 && bounds.right <= room.right && bounds.bottom <= room.bottom;
}

struct Walk {
  HWND window;
  const std::string& name;
  std::vector<std::string> problems;
};

BOOL CALLBACK CheckChild(HWND child, LPARAM parameter) {
  auto& walk = *reinterpret_cast<Walk*>(parameter);
  if (!::IsWindowVisible(child)) return TRUE;
  const std::string className = ClassOf(child);
  std::string problem;
  // The parts common controls make of themselves (a picker's arrows) are theirs to place.
  if (::GetParent(child) == walk.window && !InsideItsWindow(child)) problem = "lies outside its window";
  else if (const auto caption = CaptionOf(child, className)) problem = CaptionProblem(child, *caption);
  else problem = ItemsProblem(child, className);
  if (!problem.empty()) {
    walk.problems.push_back(walk.name + ": " + className + " \"" + TextOf(child) + "\" " + problem);
  }
  return TRUE;
}

}  // namespace

std::vector<std::string> TextFitProblems(HWND window, const std::string& name) {
  Walk walk{window, name, {}};
  ::EnumChildWindows(window, &CheckChild, reinterpret_cast<LPARAM>(&walk));
  return walk.problems;
}

bool SaveWindowBitmap(HWND window, const std::string& path) {
  const RECT bounds = BoundsOf(window);
  const int width = bounds.right - bounds.left;
  const int height = bounds.bottom - bounds.top;
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  const app::UniqueGdiObject image(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  const app::UniqueMemoryDc memory(::CreateCompatibleDC(nullptr));
  if (width <= 0 || height <= 0 || !image || !memory) return false;
  // The window's own picture, frame included.
  const HGDIOBJ previous = ::SelectObject(memory.get(), image.get());
  const HDC source = ::GetWindowDC(window);
  const bool copied = ::BitBlt(memory.get(), 0, 0, width, height, source, 0, 0, SRCCOPY) != FALSE;
  ::ReleaseDC(window, source);
  ::SelectObject(memory.get(), previous);
  ::GdiFlush();
  const DWORD size = static_cast<DWORD>(((width * 3 + 3) & ~3) * height);
  const DWORD headers = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
  const BITMAPFILEHEADER file{0x4D42, headers + size, 0, 0, headers};
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(&file), sizeof file);
  out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
  out.write(static_cast<const char*>(bits), size);
  return copied && out.good();
}

}  // namespace kestrian::testing
