#pragma once
// The splash window: the product's name, version and company while the program starts.
#include <windows.h>

#include "app/dialog_support.h"
#include "platform/environment.h"

namespace kestrian::app {

class SplashWindow {
 public:
  SplashWindow(HINSTANCE instance, const platform::VersionResource& version);
  SplashWindow(const SplashWindow&) = delete;
  SplashWindow& operator=(const SplashWindow&) = delete;

  // Shows the window and lets its timer run out: 75 ticks of a 2 ms timer, counted in
  // steps of 2 up to 150, with the message loop running meanwhile.
  void RunTimer();
  // The main window has taken over.
  void Hide();
  HWND Handle() const { return window_.get(); }

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Paint();

  const platform::VersionResource& version_;
  UniqueFont titleFont_;
  UniqueFont textFont_;
  UniqueWindow window_;
  int ticks_ = 0;
};

}  // namespace kestrian::app
