#include "ui/controls.h"

namespace kestrian::ui {

void Control::SetEnabled(bool enabled) {
  if (enabled_ == enabled) return;
  enabled_ = enabled;
  Changed();
}

void Control::SetVisible(bool visible) {
  if (visible_ == visible) return;
  visible_ = visible;
  Changed();
}

void Control::Place(Bounds bounds) {
  bounds_ = bounds;
  Changed();
}

void LayOut(Control& control, Bounds bounds, std::string_view caption, Control* container) {
  control.SetContainer(container);
  control.Place(bounds);
  if (caption.empty()) return;
  if (auto* captioned = dynamic_cast<CaptionedControl*>(&control)) captioned->SetCaption(caption);
}

void Control::Move(int left, int top) {
  if (bounds_.left == left && bounds_.top == top) return;
  bounds_.left = left;
  bounds_.top = top;
  Changed();
}

bool Control::ShownOnWindow() const {
  for (const Control* c = this; c != nullptr; c = c->container_) {
    if (!c->visible_) return false;
  }
  return true;
}

void Control::Changed() const {
  if (peer_ != nullptr) peer_->OnModelChanged();
}

void CaptionedControl::SetCaption(std::string_view caption) {
  if (caption_ == caption) return;
  caption_ = caption;
  Changed();
}

void CheckBox::SetValue(int value) {
  if (value_ == value) return;
  value_ = value;
  Changed();
}

void OptionButton::SetValue(bool value) {
  if (value) {
    for (OptionButton* other : group_) {
      if (other != this) other->SetValue(false);
    }
  }
  if (value_ == value) return;
  value_ = value;
  Changed();
}

void OptionButton::Group(std::vector<OptionButton*> members) {
  for (OptionButton* member : members) member->group_ = members;
}

void ProgressBar::SetMax(double max) {
  if (max <= min_ || max_ == max) return;
  max_ = max;
  if (value_ > max_) value_ = max_;
  Changed();
}

bool ProgressBar::SetValue(double value) {
  if (value < min_ || value > max_) return false;
  if (value_ != value) {
    value_ = value;
    Changed();
  }
  return true;
}

Timer::Timer(std::string name, int intervalMs, bool enabled)
    : Control(std::move(name)), interval_(intervalMs) {
  SetEnabled(enabled);
}

TabStrip::TabStrip(std::string name, std::vector<std::string> tabs)
    : Control(std::move(name)), tabs_(std::move(tabs)) {}

void TabStrip::Select(int index) {
  if (index < 1 || index > static_cast<int>(tabs_.size()) || index == selected_) return;
  selected_ = index;
  Changed();
}

}  // namespace kestrian::ui
