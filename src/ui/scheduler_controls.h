#pragma once
// The two kinds of control only the "Scheduled Scans" tab has: a drop-down list and a date
// or time picker.
#include <optional>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "ui/controls.h"

namespace kestrian::ui {

// A drop-down list of fixed rows; ListIndex is the chosen row, -1 when none is.
class ComboBox : public Control {
 public:
  ComboBox(std::string name, std::vector<std::string> items)
      : Control(std::move(name)), items_(std::move(items)) {}
  const std::vector<std::string>& Items() const { return items_; }
  int ListIndex() const { return index_; }
  // An index outside the rows (other than -1) is refused and leaves the choice as it was.
  bool SetListIndex(int index);

 private:
  std::vector<std::string> items_;
  int index_ = -1;
};

// A picker with a check box: it holds a date and time, or no value while its box is clear.
class DateTimePicker : public Control {
 public:
  enum class Format { ShortDate, Time };
  DateTimePicker(std::string name, Format format) : Control(std::move(name)), format_(format) {}
  Format DisplayFormat() const { return format_; }
  const std::optional<platform::DateTime>& Value() const { return value_; }
  void SetValue(std::optional<platform::DateTime> value);

 private:
  Format format_;
  std::optional<platform::DateTime> value_;
};

}  // namespace kestrian::ui
