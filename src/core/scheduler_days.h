#pragma once
// The rows of the day list `cmbDays`: seven weekdays, then "Daily", "Date & Time", "Never".
#include <array>
#include <string_view>

namespace kestrian::core::schedule {

inline constexpr int kDaily = 7;
inline constexpr int kDateAndTime = 8;
inline constexpr int kNever = 9;

// The weekday of rows 0 to 6, in the English upper case the timer compares with. A system
// that names its weekdays in another language never matches.
inline constexpr std::array<std::string_view, 7> kWeekdayNames{
    "MONDAY", "TUESDAY", "WEDNESDAY", "THURSDAY", "FRIDAY", "SATURDAY", "SUNDAY"};

// Rows 0 to 7 schedule a time of day only; the date picker has nothing to say for them.
inline constexpr bool IsTimeOnlyDay(int index) { return index >= 0 && index <= kDaily; }

}  // namespace kestrian::core::schedule
