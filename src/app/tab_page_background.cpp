#include "app/tab_page_background.h"

namespace kestrian::app {

HBRUSH TabPageBackground::For(HWND tabs, HWND control, HDC dc) {
  RECT client{};
  if (tabs == nullptr || !::GetClientRect(tabs, &client)) return nullptr;
  const SIZE size{client.right, client.bottom};
  if ((!brush_ || size.cx != size_.cx || size.cy != size_.cy) && !Draw(tabs, size)) return nullptr;
  POINT origin{0, 0};
  ::MapWindowPoints(control, tabs, &origin, 1);
  ::SetBrushOrgEx(dc, -origin.x, -origin.y, nullptr);
  ::SetBkMode(dc, TRANSPARENT);
  return static_cast<HBRUSH>(brush_.get());
}

void TabPageBackground::Reset() {
  brush_.reset();
  bitmap_.reset();
}

// The tab control paints itself, page and all, into a bitmap of its size.
bool TabPageBackground::Draw(HWND tabs, SIZE size) {
  Reset();
  if (size.cx <= 0 || size.cy <= 0) return false;
  const ScreenDc screen;
  const UniqueMemoryDc memory(::CreateCompatibleDC(screen.Get()));
  bitmap_ = UniqueGdiObject(::CreateCompatibleBitmap(screen.Get(), size.cx, size.cy));
  if (!memory || !bitmap_) return false;
  const HGDIOBJ previous = ::SelectObject(memory.get(), bitmap_.get());
  ::SendMessageA(tabs, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory.get()),
                 PRF_CLIENT | PRF_ERASEBKGND);
  ::SelectObject(memory.get(), previous);
  brush_ = UniqueGdiObject(::CreatePatternBrush(static_cast<HBITMAP>(bitmap_.get())));
  size_ = size;
  return static_cast<bool>(brush_);
}

}  // namespace kestrian::app
