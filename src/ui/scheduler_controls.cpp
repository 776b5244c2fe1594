#include "ui/scheduler_controls.h"

namespace kestrian::ui {

bool ComboBox::SetListIndex(int index) {
  if (index < -1 || index >= static_cast<int>(items_.size())) return false;
  if (index_ == index) return true;
  index_ = index;
  Changed();
  return true;
}

void DateTimePicker::SetValue(std::optional<platform::DateTime> value) {
  if (value_ == value) return;
  value_ = value;
  Changed();
}

}  // namespace kestrian::ui
