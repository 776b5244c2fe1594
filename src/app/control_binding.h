#pragma once
// The link between one model control and its native window: the model's changes are pushed
// to the window; nothing else happens here.
#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui/controls.h"
#include "ui/list_view.h"
#include "ui/scheduler_controls.h"

namespace kestrian::app {

class NativeControl final : public ui::ListViewPeer {
 public:
  NativeControl(ui::Control& model, HWND window, int dpi);
  ~NativeControl() override;
  NativeControl(const NativeControl&) = delete;
  NativeControl& operator=(const NativeControl&) = delete;

  ui::Control& Model() const { return model_; }
  HWND Window() const { return window_; }
  // Pushes every property of the model to the window.
  void Refresh();
  // True while a push is in progress: notifications it causes are not user input.
  bool Pushing() const { return pushing_; }

  void OnModelChanged() override { Refresh(); }
  void OnRowInserted(std::size_t row) override;
  void OnRowRemoved(std::size_t row) override;
  void OnRowChanged(std::size_t row) override;
  void OnCleared() override;

 private:
  void PushValue();
  void PushDate();
  void PushRow(std::size_t row, bool insert);
  RECT PixelBounds() const;

  ui::Control& model_;
  HWND window_;
  int dpi_;
  bool pushing_ = false;
  // What the window shows now, so that a refresh sends only the differences.
  struct Shown {
    RECT bounds{-1, -1, -1, -1};
    bool enabled = true;  // a new child window is enabled
    bool visible = false;  // and hidden (no WS_VISIBLE)
    std::string caption;
    double maximum = -1;
    int value = -1;
    std::optional<std::optional<platform::DateTime>> date;  // unset until first pushed
  } shown_;
};

// The native controls of a small window: each is made hidden, in the given font, and then
// follows its model.
class MirroredControls {
 public:
  // When a model's change shows: with the window's next paint, or at once, for a window that
  // must show each step while its program is busy between messages.
  enum class Repaint { WithNextPaint, AtOnce };

  explicit MirroredControls(Repaint repaint = Repaint::WithNextPaint) : repaint_(repaint) {}

  // The native control made for `model` in `parent`, or null when it could not be made.
  HWND Add(HWND parent, ui::Control& model, const char* className, DWORD style, int id,
           HFONT font, int dpi);
  void Clear() { controls_.clear(); }

 private:
  class RepaintedAtOnce;

  Repaint repaint_;
  std::vector<std::unique_ptr<ui::ControlPeer>> controls_;
};

// Twips to pixels at the window's DPI.
int TwipsToPixels(int twips, int dpi);

}  // namespace kestrian::app
