#pragma once
// What the program's small dialogs share: owners of window and font handles, the screen's
// DPI and message font, a dialog template without controls, and centring over the owner.
#include <windows.h>

#include <memory>
#include <type_traits>

#include "platform/win32/unique_handle.h"

namespace kestrian::app {

struct WindowDestroyer {
  void operator()(HWND window) const { ::DestroyWindow(window); }
};
using UniqueWindow = std::unique_ptr<std::remove_pointer_t<HWND>, WindowDestroyer>;

struct FontTraits {
  using Handle = HFONT;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle font) { ::DeleteObject(font); }
};
using UniqueFont = platform::win32::UniqueAny<FontTraits>;

struct GdiObjectTraits {
  using Handle = HGDIOBJ;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle object) { ::DeleteObject(object); }
};
using UniqueGdiObject = platform::win32::UniqueAny<GdiObjectTraits>;

struct MemoryDcTraits {
  using Handle = HDC;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle dc) { ::DeleteDC(dc); }
};
using UniqueMemoryDc = platform::win32::UniqueAny<MemoryDcTraits>;

// The screen's device context for measuring.
class ScreenDc {
 public:
  ScreenDc() : dc_(::GetDC(nullptr)) {}
  ~ScreenDc() {
    if (dc_ != nullptr) ::ReleaseDC(nullptr, dc_);
  }
  ScreenDc(const ScreenDc&) = delete;
  ScreenDc& operator=(const ScreenDc&) = delete;
  HDC Get() const { return dc_; }

 private:
  HDC dc_;
};

int ScreenDpi();
// The font Windows uses in message boxes, or null.
HFONT CreateMessageFont();

// The same font in bold, or null.
HFONT CreateBoldFont(HFONT font);

// Gives the window a client area of the size in pixels; it stays where it is.
void SetClientSize(HWND window, int width, int height);

// A child control made hidden (its model's visibility shows it), in `font`.
HWND CreateHiddenChild(HWND parent, const char* className, DWORD style, int id, HFONT font);

// Creates a modeless dialog with `style` and no controls: they are made in pixels once the
// DPI and the font are known, and the dialog manager still gives the window its keyboard
// (Tab, Enter, Escape). WM_INITDIALOG receives `parameter`.
HWND CreateEmptyDialog(DWORD style, HWND owner, DLGPROC procedure, LPARAM parameter);

// Over the owner when it is on screen, else in the middle of the work area; never off it.
void CenterOver(HWND window, HWND owner);

// The owner of a modal window, disabled for as long as this object lives. Enabled again
// before the modal window goes, it gets the activation back (not some other program's window)
// and its focused control. An owner that was disabled already (by an outer modal window) is
// left to that window.
class DisabledOwner {
 public:
  explicit DisabledOwner(HWND owner);
  ~DisabledOwner();
  DisabledOwner(const DisabledOwner&) = delete;
  DisabledOwner& operator=(const DisabledOwner&) = delete;

 private:
  HWND owner_;
  HWND focus_;
  bool disabled_ = false;
};

}  // namespace kestrian::app
