#pragma once
// The About box: a modeless dialog, owned by the main window, with the product's name,
// version, company and web address from the version resource, and an OK button.
#include <windows.h>

#include <functional>
#include <string>

#include "app/dialog_support.h"
#include "app/dialog_window.h"
#include "app/win32_host.h"
#include "platform/environment.h"

namespace kestrian::app {

// "Version 1.6": the major and minor numbers of the version resource.
std::string VersionLine(const platform::VersionResource& version);

struct IconTraits {
  using Handle = HICON;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle icon) { ::DestroyIcon(icon); }
};
using UniqueIcon = platform::win32::UniqueAny<IconTraits>;

class AboutBox {
 public:
  // `owner` (may be null) owns the window; `host` gives it its dialog keys. The web address
  // is a link that runs `openWebsite`, or plain text when that is empty.
  AboutBox(Win32Host& host, HWND owner, platform::VersionResource version,
           std::function<void()> openWebsite = {});
  AboutBox(const AboutBox&) = delete;
  AboutBox& operator=(const AboutBox&) = delete;

  // Shows the box over its owner, or only activates it when it is up already.
  void Show();
  // The window, or null until it is first shown (and after its owner has destroyed it).
  HWND Handle() const { return window_.Get(); }

 private:
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void OnInitDialog(HWND window);
  void CreateFonts();
  void CreateControls();
  HWND CreateChild(const char* className, const std::string& text, DWORD style, int id, HFONT font);
  HFONT Font() const;
  HFONT TitleFont() const;
  int Scale(int pixels) const { return ::MulDiv(pixels, dpi_, 96); }
  void Layout();
  int PlaceTextRows(int& width);
  void Place(int id, int left, int top, int width, int height);
  bool OnLinkNotify(const NMHDR& header);
  void Close();

  Win32Host& host_;
  HWND owner_;
  platform::VersionResource version_;
  std::function<void()> openWebsite_;
  int dpi_ = 96;
  UniqueFont font_;
  UniqueFont titleFont_;
  UniqueIcon icon_;
  // Last: destroyed before the fonts and the icon its controls use.
  DialogWindow window_{host_, this, &AboutBox::OnInitDialog, &AboutBox::OnMessage};
};

}  // namespace kestrian::app
