#pragma once
// Models of the controls on screen. The behaviour reads and writes these; a Win32 view (or
// nothing, in tests) mirrors them. Geometry is in twips of the window's coordinate system.
#include <string>
#include <string_view>
#include <vector>

namespace kestrian::ui {

// The view's side of one control: told after every change of the model.
class ControlPeer {
 public:
  virtual ~ControlPeer() = default;
  virtual void OnModelChanged() = 0;
};

struct Bounds {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

class Control {
 public:
  explicit Control(std::string name) : name_(std::move(name)) {}
  virtual ~Control() = default;
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  const std::string& Name() const { return name_; }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  const Bounds& Geometry() const { return bounds_; }
  void Place(Bounds bounds);
  int Left() const { return bounds_.left; }
  int Top() const { return bounds_.top; }
  void Move(int left, int top);

  // The frame (or other control) this control stands in; its geometry is relative to it.
  Control* Container() const { return container_; }
  void SetContainer(Control* container) { container_ = container; }
  // Visible itself and in every container up to the window.
  bool ShownOnWindow() const;
  // The tip shown while the mouse rests on the control; empty for none. Set with the layout.
  const std::string& ToolTip() const { return toolTip_; }
  void SetToolTip(std::string_view tip) { toolTip_ = tip; }

  void AttachPeer(ControlPeer* peer) { peer_ = peer; }

 protected:
  void Changed() const;
  ControlPeer* Peer() const { return peer_; }

 private:
  std::string name_;
  bool enabled_ = true;
  bool visible_ = true;
  Bounds bounds_;
  Control* container_ = nullptr;
  ControlPeer* peer_ = nullptr;
  std::string toolTip_;
};

// A control with a caption: labels, buttons, frames, check boxes, option buttons.
class CaptionedControl : public Control {
 public:
  using Control::Control;
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string_view caption);

 private:
  std::string caption_;
};

// What a form's layout does for each of its controls: the control goes into `container` (none:
// the window itself) at `bounds`, and takes `caption` when one is given and it shows one.
void LayOut(Control& control, Bounds bounds, std::string_view caption = {}, Control* container = nullptr);

class Label : public CaptionedControl {
 public:
  using CaptionedControl::CaptionedControl;
};

// A label the user clicks to run a command, shown as a link.
class LinkLabel : public Label {
 public:
  using Label::Label;
};

class Button : public CaptionedControl {
 public:
  using CaptionedControl::CaptionedControl;
};

class Frame : public CaptionedControl {
 public:
  using CaptionedControl::CaptionedControl;
};

class CheckBox : public CaptionedControl {
 public:
  using CaptionedControl::CaptionedControl;
  // 0 clear, 1 checked.
  int Value() const { return value_; }
  void SetValue(int value);

 private:
  int value_ = 0;
};

class OptionButton : public CaptionedControl {
 public:
  using CaptionedControl::CaptionedControl;
  bool Value() const { return value_; }
  // Selecting one button clears the others of its group, as option buttons in one frame do.
  void SetValue(bool value);
  static void Group(std::vector<OptionButton*> members);

 private:
  bool value_ = false;
  std::vector<OptionButton*> group_;
};

class ProgressBar : public Control {
 public:
  using Control::Control;
  double Min() const { return min_; }
  double Max() const { return max_; }
  double Value() const { return value_; }
  void SetMax(double max);
  // Values outside Min..Max are refused and leave the bar as it was.
  bool SetValue(double value);

 private:
  double min_ = 0;
  double max_ = 100;
  double value_ = 0;
};

class Shape : public Control {
 public:
  using Control::Control;
};

// An image; the view decides what it shows.
class Picture : public Control {
 public:
  using Control::Control;
};

class Timer : public Control {
 public:
  Timer(std::string name, int intervalMs, bool enabled);
  int Interval() const { return interval_; }

 private:
  int interval_;
};

class TabStrip : public Control {
 public:
  TabStrip(std::string name, std::vector<std::string> tabs);
  const std::vector<std::string>& Tabs() const { return tabs_; }
  // 1-based index of the selected tab.
  int SelectedIndex() const { return selected_; }
  void Select(int index);

 private:
  std::vector<std::string> tabs_;
  int selected_ = 1;
};

}  // namespace kestrian::ui
