#pragma once
// The look of a tab control's page as a brush. Controls that stand on the page but are
// siblings of the tab control (not its children) paint their background with it, so they
// sit on the page's own colour or texture rather than in boxes of the window's grey.
#include <windows.h>

#include "app/dialog_support.h"

namespace kestrian::app {

class TabPageBackground {
 public:
  // The brush for `control`, aligned in `dc` with the page of `tabs` behind it; null when
  // the page cannot be drawn. The text of `dc` is drawn transparently.
  HBRUSH For(HWND tabs, HWND control, HDC dc);
  // The theme or the colours changed: the page is drawn anew for the next brush.
  void Reset();

 private:
  bool Draw(HWND tabs, SIZE size);

  UniqueGdiObject bitmap_;  // kept while the brush made of it lives
  UniqueGdiObject brush_;
  SIZE size_{};
};

}  // namespace kestrian::app
