#pragma once
// A model timer run as a window timer: running while the model is enabled, stopped when it
// is disabled or this peer goes. The window's WM_TIMER with Id() is the model timer's tick.
#include <windows.h>

#include "ui/controls.h"

namespace kestrian::app {

class WindowTimer final : public ui::ControlPeer {
 public:
  WindowTimer(ui::Timer& timer, HWND window, UINT_PTR id)
      : timer_(timer), window_(window), id_(id) {
    timer_.AttachPeer(this);
    OnModelChanged();
  }
  ~WindowTimer() override {
    timer_.AttachPeer(nullptr);
    if (running_) ::KillTimer(window_, id_);
  }
  WindowTimer(const WindowTimer&) = delete;
  WindowTimer& operator=(const WindowTimer&) = delete;

  void OnModelChanged() override {
    const bool run = timer_.Enabled() && timer_.Interval() > 0;
    if (run == running_) return;
    running_ = run;
    if (run) {
      ::SetTimer(window_, id_, static_cast<UINT>(timer_.Interval()), nullptr);
    } else {
      ::KillTimer(window_, id_);
    }
  }
  UINT_PTR Id() const { return id_; }
  ui::Timer& Model() const { return timer_; }
  bool Running() const { return running_; }

 private:
  ui::Timer& timer_;
  HWND window_;
  UINT_PTR id_;
  bool running_ = false;
};

}  // namespace kestrian::app
