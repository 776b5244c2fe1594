#include "win32/text_fit.h"

#include <commctrl.h>

#include <fstream>
#include <optional>
#include <sstream>
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

// What a control draws of its text: a mnemonic's "&" is not drawn, "&&" is one "&"; a link
// draws no markup.
std::string Shown(std::string_view text, bool mnemonics, bool markup = false) {
  std::string shown;
  bool inTag = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (markup && (text[i] == '<' || text[i] == '>')) {
      inTag = text[i] == '<';
      continue;
    }
    if (mnemonics && text[i] == '&' && i + 1 < text.size()) ++i;
    if (!inTag) shown += text[i];
  }
  return shown;
}

enum class Wrap { None, AtSpaces, AlsoInWords };

// A text and the room, in pixels, a control draws it in.
struct Caption {
  std::string text;
  int width;
  int height;
  Wrap wrap;
};

// Measures in the font `control` draws with.
class Measure {
 public:
  explicit Measure(HWND control) {
    const auto font = reinterpret_cast<HGDIOBJ>(::SendMessageA(control, WM_GETFONT, 0, 0));
    previous_ = ::SelectObject(screen_.Get(), font != nullptr ? font : ::GetStockObject(SYSTEM_FONT));
    TEXTMETRICA metrics{};
    ::GetTextMetricsA(screen_.Get(), &metrics);
    lineHeight_ = metrics.tmHeight;
  }
  ~Measure() { ::SelectObject(screen_.Get(), previous_); }
  Measure(const Measure&) = delete;
  Measure& operator=(const Measure&) = delete;

  int Width(std::string_view text) const {
    SIZE size{};
    ::GetTextExtentPoint32A(screen_.Get(), text.data(), static_cast<int>(text.size()), &size);
    return size.cx;
  }
  int LineHeight() const { return lineHeight_; }

  // The lines the text takes in `width` pixels; 0 when a line cannot be made to fit.
  int Lines(std::string_view text, int width, Wrap wrap) const {
    int lines = 0;
    std::istringstream paragraphs{std::string(text)};
    for (std::string paragraph; std::getline(paragraphs, paragraph);) {
      if (!paragraph.empty() && paragraph.back() == '\r') paragraph.pop_back();
      const int taken = wrap == Wrap::None ? (Width(paragraph) <= width ? 1 : 0)
                                           : Wrapped(paragraph, width, wrap == Wrap::AlsoInWords);
      if (taken == 0) return 0;
      lines += taken;
    }
    return lines;
  }

 private:
  // Greedy breaking at spaces, as DrawText's word break does; a word wider than a line is
  // broken only where the control breaks words too.
  int Wrapped(const std::string& paragraph, int width, bool breakWords) const {
    int lines = 1;
    std::string line;
    std::istringstream words(paragraph);
    for (std::string word; std::getline(words, word, ' ');) {
      const std::string joined = line.empty() ? word : line + ' ' + word;
      if (Width(joined) <= width) {
        line = joined;
        continue;
      }
      if (!line.empty()) ++lines;
      while (Width(word) > width) {
        if (!breakWords) return 0;
        std::size_t fit = 1;
        while (fit < word.size() && Width(std::string_view(word).substr(0, fit + 1)) <= width) ++fit;
        word.erase(0, fit);
        ++lines;
      }
      line = word;
    }
    return lines;
  }

  app::ScreenDc screen_;
  HGDIOBJ previous_;
  int lineHeight_ = 0;
};

// The caption of a button, label or link and its room; none for other controls.
std::optional<Caption> CaptionOf(HWND control, const std::string& className) {
  const std::string text = TextOf(control);
  const LONG style = ::GetWindowLongA(control, GWL_STYLE);
  const RECT client = [&] { RECT r{}; ::GetClientRect(control, &r); return r; }();
  if (text.empty()) return std::nullopt;
  if (className == "SysLink") return Caption{Shown(text, false, true), client.right, client.bottom, Wrap::AtSpaces};
  if (className == "Static") {
    const LONG type = style & SS_TYPEMASK;
    const bool wraps = type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT;
    if (!wraps && type != SS_SIMPLE && type != SS_LEFTNOWORDWRAP) return std::nullopt;  // pictures
    const Wrap wrap = !wraps ? Wrap::None : (style & SS_EDITCONTROL) != 0 ? Wrap::AlsoInWords : Wrap::AtSpaces;
    return Caption{Shown(text, (style & SS_NOPREFIX) == 0), client.right, client.bottom, wrap};
  }
  if (className != "Button") return std::nullopt;
  const LONG type = style & BS_TYPEMASK;
  const Wrap wrap = (style & BS_MULTILINE) != 0 ? Wrap::AtSpaces : Wrap::None;
  if (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON) {
    const int box = ::GetSystemMetrics(SM_CXMENUCHECK) + Scaled(4);
    return Caption{Shown(text, true), client.right - box, client.bottom, wrap};
  }
  if (type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON) return std::nullopt;
  const int inset = Scaled(3);  // the edge and the focus rectangle
  return Caption{Shown(text, true), client.right - 2 * inset, client.bottom - 2 * inset, wrap};
}

std::string CaptionProblem(HWND control, const Caption& caption) {
  const Measure measure(control);
  const int lines = measure.Lines(caption.text, caption.width, caption.wrap);
  if (lines > 0 && lines * measure.LineHeight() <= caption.height) return {};
  std::ostringstream problem;
  problem << "needs " << (lines > 0 ? lines * measure.LineHeight() : measure.Width(caption.text))
          << (lines > 0 ? " px of height" : " px of width") << ", has " << caption.width << "x"
          << caption.height;
  return problem.str();
}

// Texts of a control's items (tabs, list entries, column headers), each with the room it
// has; a tab outside the strip needs scroll arrows and counts as not fitting.
std::string ItemsProblem(HWND control, const std::string& className) {
  const Measure measure(control);
  RECT client{};
  ::GetClientRect(control, &client);
  char text[256] = {};
  if (className == WC_TABCONTROLA) {
    for (int i = 0; i < TabCtrl_GetItemCount(control); ++i) {
      TCITEMA item{TCIF_TEXT, 0, 0, text, static_cast<int>(sizeof text), 0, 0};
      RECT bounds{};
      ::SendMessageA(control, TCM_GETITEMA, i, reinterpret_cast<LPARAM>(&item));
      TabCtrl_GetItemRect(control, i, &bounds);
      if (bounds.left < 0 || bounds.right > client.right || measure.Width(Shown(text, true)) > bounds.right - bounds.left) {
        return std::string("tab \"") + text + "\" does not fit";
      }
    }
  }
  if (className == "ComboBox") {
    const int room = client.right - ::GetSystemMetrics(SM_CXVSCROLL) - Scaled(4);
    for (LRESULT i = 0; i < ::SendMessageA(control, CB_GETCOUNT, 0, 0); ++i) {
      ::SendMessageA(control, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
      if (measure.Width(text) > room) return std::string("item \"") + text + "\" does not fit";
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
    if (Measure(header).Width(text) + Scaled(12) > bounds.right - bounds.left) {
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
