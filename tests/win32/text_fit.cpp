#include "win32/text_fit.h"

#include <commctrl.h>

#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string_view>
#include <type_traits>

namespace kestrian::testing {
namespace {

struct ScreenDcRelease {
  void operator()(HDC dc) const { ::ReleaseDC(nullptr, dc); }
};
struct WindowDcRelease {
  HWND window;
  void operator()(HDC dc) const { ::ReleaseDC(window, dc); }
};
struct DcDelete {
  void operator()(HDC dc) const { ::DeleteDC(dc); }
};
struct ObjectDelete {
  void operator()(HGDIOBJ object) const { ::DeleteObject(object); }
};
using ScreenDc = std::unique_ptr<std::remove_pointer_t<HDC>, ScreenDcRelease>;
using WindowDc = std::unique_ptr<std::remove_pointer_t<HDC>, WindowDcRelease>;
using MemoryDc = std::unique_ptr<std::remove_pointer_t<HDC>, DcDelete>;
using GdiObject = std::unique_ptr<std::remove_pointer_t<HGDIOBJ>, ObjectDelete>;

std::string ClassOf(HWND window) {
  char name[64] = {};
  ::GetClassNameA(window, name, sizeof name);
  return name;
}

std::string WindowText(HWND window) {
  std::string text(static_cast<std::size_t>(::GetWindowTextLengthA(window)) + 1, '\0');
  text.resize(static_cast<std::size_t>(::GetWindowTextA(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

// What a control draws of its text: a mnemonic's "&" is not drawn, "&&" is one "&".
std::string WithoutMnemonics(std::string_view text) {
  std::string shown;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size()) ++i;
    shown += text[i];
  }
  return shown;
}

std::string WithoutMarkup(std::string_view text) {
  std::string shown;
  bool inTag = false;
  for (const char c : text) {
    if (c == '<' || c == '>') inTag = c == '<';
    else if (!inTag) shown += c;
  }
  return shown;
}

enum class Wrap { None, AtSpaces, AlsoInWords };

// A text in the room a control draws it in, in pixels.
struct Caption {
  std::string text;
  int width;
  int height;
  Wrap wrap;
};

// Measures with the font a control draws with.
class Measure {
 public:
  explicit Measure(HWND control) : control_(control), dc_(::GetDC(control)) {
    const auto font = reinterpret_cast<HGDIOBJ>(::SendMessageA(control, WM_GETFONT, 0, 0));
    previous_ = ::SelectObject(dc_, font != nullptr ? font : ::GetStockObject(SYSTEM_FONT));
    TEXTMETRICA metrics{};
    ::GetTextMetricsA(dc_, &metrics);
    lineHeight_ = metrics.tmHeight;
  }
  ~Measure() {
    ::SelectObject(dc_, previous_);
    ::ReleaseDC(control_, dc_);
  }
  Measure(const Measure&) = delete;
  Measure& operator=(const Measure&) = delete;

  int Width(std::string_view text) const {
    SIZE size{};
    ::GetTextExtentPoint32A(dc_, text.data(), static_cast<int>(text.size()), &size);
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
  // Greedy breaking at spaces, as DrawText's word break does.
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

  HWND control_;
  HDC dc_;
  HGDIOBJ previous_;
  int lineHeight_ = 0;
};

int Scaled(int pixels) {
  const ScreenDc screen(::GetDC(nullptr));
  return ::MulDiv(pixels, ::GetDeviceCaps(screen.get(), LOGPIXELSY), 96);
}

bool IsBoxButton(LONG type) {
  return type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE ||
         type == BS_AUTO3STATE || type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
}

// The caption of a button, label or link and the room it has; none for other controls.
std::optional<Caption> CaptionOf(HWND control, const std::string& className) {
  const std::string text = WindowText(control);
  const LONG style = ::GetWindowLongA(control, GWL_STYLE);
  RECT client{};
  ::GetClientRect(control, &client);
  if (text.empty()) return std::nullopt;
  if (className == "Button") {
    const LONG type = style & BS_TYPEMASK;
    const Wrap wrap = (style & BS_MULTILINE) != 0 ? Wrap::AtSpaces : Wrap::None;
    if (IsBoxButton(type)) {
      const int box = ::GetSystemMetrics(SM_CXMENUCHECK) + Scaled(4);
      return Caption{WithoutMnemonics(text), client.right - box, client.bottom, wrap};
    }
    if (type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON) return std::nullopt;
    const int inset = Scaled(3);  // the edge and the focus rectangle
    return Caption{WithoutMnemonics(text), client.right - 2 * inset, client.bottom - 2 * inset, wrap};
  }
  if (className == "Static") {
    const LONG type = style & SS_TYPEMASK;
    const bool wraps = type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT;
    if (!wraps && type != SS_SIMPLE && type != SS_LEFTNOWORDWRAP) return std::nullopt;  // pictures
    const Wrap wrap = !wraps ? Wrap::None : (style & SS_EDITCONTROL) != 0 ? Wrap::AlsoInWords : Wrap::AtSpaces;
    const std::string shown = (style & SS_NOPREFIX) != 0 ? text : WithoutMnemonics(text);
    return Caption{shown, client.right, client.bottom, wrap};
  }
  if (className == "SysLink") return Caption{WithoutMarkup(text), client.right, client.bottom, Wrap::AtSpaces};
  return std::nullopt;
}

std::string Quoted(std::string_view text) {
  std::string quoted(1, '"');
  quoted += text;
  quoted += '"';
  return quoted;
}

std::string CaptionProblem(HWND control, const Caption& caption) {
  const Measure measure(control);
  const int lines = measure.Lines(caption.text, caption.width, caption.wrap);
  if (lines > 0 && lines * measure.LineHeight() <= caption.height) return {};
  std::ostringstream problem;
  problem << Quoted(caption.text) << " needs "
          << (lines > 0 ? std::to_string(lines * measure.LineHeight()) + " px of height"
                        : std::to_string(measure.Width(caption.text)) + " px of width")
          << ", has " << caption.width << "x" << caption.height;
  return problem.str();
}

// Every tab lies inside the strip (no scroll arrows) and is as wide as its text.
std::string TabProblem(HWND tabs) {
  const Measure measure(tabs);
  RECT client{};
  ::GetClientRect(tabs, &client);
  for (int i = 0; i < TabCtrl_GetItemCount(tabs); ++i) {
    char text[256] = {};
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    RECT bounds{};
    if (!::SendMessageA(tabs, TCM_GETITEMA, i, reinterpret_cast<LPARAM>(&item)) ||
        !TabCtrl_GetItemRect(tabs, i, &bounds)) {
      continue;
    }
    const std::string shown = WithoutMnemonics(text);
    if (bounds.left < 0 || bounds.right > client.right || measure.Width(shown) > bounds.right - bounds.left) {
      return "tab " + Quoted(shown) + " lies at " + std::to_string(bounds.left) + ".." +
             std::to_string(bounds.right) + " of " + std::to_string(client.right) + " px";
    }
  }
  return {};
}

std::string ComboProblem(HWND combo) {
  const Measure measure(combo);
  RECT client{};
  ::GetClientRect(combo, &client);
  const int room = client.right - ::GetSystemMetrics(SM_CXVSCROLL) - Scaled(4);
  const auto count = ::SendMessageA(combo, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    std::string text(static_cast<std::size_t>(::SendMessageA(combo, CB_GETLBTEXTLEN, i, 0)) + 1, '\0');
    text.resize(static_cast<std::size_t>(
        ::SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()))));
    if (measure.Width(text) > room) return "item " + Quoted(text) + " is wider than " + std::to_string(room) + " px";
  }
  return {};
}

std::string HeaderProblem(HWND list) {
  const HWND header = ListView_GetHeader(list);
  if (header == nullptr || !::IsWindowVisible(header)) return {};
  const Measure measure(header);
  for (int i = 0; i < Header_GetItemCount(header); ++i) {
    char text[256] = {};
    HDITEMA item{};
    item.mask = HDI_TEXT;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    RECT bounds{};
    if (!::SendMessageA(header, HDM_GETITEMA, i, reinterpret_cast<LPARAM>(&item)) ||
        !Header_GetItemRect(header, i, &bounds)) {
      continue;
    }
    if (measure.Width(text) + Scaled(12) > bounds.right - bounds.left) {
      return "column " + Quoted(text) + " is " + std::to_string(bounds.right - bounds.left) + " px wide";
    }
  }
  return {};
}

std::string PickerProblem(HWND picker) {
  SIZE ideal{};
  RECT bounds{};
  ::GetWindowRect(picker, &bounds);
  if (!::SendMessageA(picker, DTM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(&ideal))) return {};
  if (ideal.cx <= bounds.right - bounds.left) return {};
  return "the date or time needs " + std::to_string(ideal.cx) + " px, has " +
         std::to_string(bounds.right - bounds.left);
}

std::string OutsideProblem(HWND control) {
  const HWND parent = ::GetParent(control);
  RECT bounds{};
  RECT room{};
  ::GetWindowRect(control, &bounds);
  ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&bounds), 2);
  ::GetClientRect(parent, &room);
  if (bounds.left >= 0 && bounds.top >= 0 && bounds.right <= room.right && bounds.bottom <= room.bottom) {
    return {};
  }
  return "lies outside its window";
}

// The parts common controls make of themselves (a picker's arrows) are theirs to place.
std::string ControlProblem(HWND control, bool placedByTheProgram) {
  const std::string className = ClassOf(control);
  if (std::string outside = placedByTheProgram ? OutsideProblem(control) : ""; !outside.empty()) {
    return outside;
  }
  if (const auto caption = CaptionOf(control, className)) return CaptionProblem(control, *caption);
  if (className == WC_TABCONTROLA) return TabProblem(control);
  if (className == "ComboBox") return ComboProblem(control);
  if (className == WC_LISTVIEWA) return HeaderProblem(control);
  if (className == DATETIMEPICK_CLASSA) return PickerProblem(control);
  return {};
}

struct Walk {
  HWND window;
  const std::string& name;
  std::vector<std::string> problems;
};

BOOL CALLBACK CheckChild(HWND child, LPARAM parameter) {
  auto& walk = *reinterpret_cast<Walk*>(parameter);
  if (!::IsWindowVisible(child)) return TRUE;
  const std::string problem = ControlProblem(child, ::GetParent(child) == walk.window);
  if (!problem.empty()) {
    walk.problems.push_back(walk.name + ": " + ClassOf(child) + " " + Quoted(WindowText(child)) + ": " + problem);
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
  RECT bounds{};
  ::GetWindowRect(window, &bounds);
  const int width = bounds.right - bounds.left;
  const int height = bounds.bottom - bounds.top;
  const WindowDc source(::GetWindowDC(window), WindowDcRelease{window});
  const MemoryDc memory(::CreateCompatibleDC(source.get()));
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  const GdiObject image(::CreateDIBSection(memory.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (width <= 0 || height <= 0 || !image) return false;
  // The window's own picture, frame included, wherever it lies: a window wider or taller
  // than the screen (the main window at 144 DPI on the test's screen) is kept whole.
  const HGDIOBJ previous = ::SelectObject(memory.get(), image.get());
  const bool copied = ::BitBlt(memory.get(), 0, 0, width, height, source.get(), 0, 0, SRCCOPY) != FALSE;
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
