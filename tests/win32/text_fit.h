#pragma once
// Whether the texts of a window fit their controls: each control's text is measured with the
// control's own font (GetTextExtentPoint32A), broken into lines at spaces where the control
// breaks lines, and compared with the room the control draws it in. Also whether each
// control lies inside its window, and (for the screenshots) a window saved as a bitmap.
#include <windows.h>

#include <string>
#include <vector>

namespace kestrian::testing {

// What does not fit in `window` and its visible descendants, one line each, named by `name`.
std::vector<std::string> TextFitProblems(HWND window, const std::string& name);

// The window as it is on screen (its frame included), as a 24-bit BMP file; false when it
// could not be read or written.
bool SaveWindowBitmap(HWND window, const std::string& path);

}  // namespace kestrian::testing
