#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace kestrian::platform {

// A local date and time of day, to the second.
struct DateTime {
  int year = 0;
  int month = 0;  // 1 to 12
  int day = 0;    // 1 to 31
  int hour = 0;   // 0 to 23
  int minute = 0;
  int second = 0;
  bool operator==(const DateTime&) const = default;
};

class Clock {
 public:
  virtual ~Clock() = default;
  // The current date and time in the system's general date format (short date, then time).
  virtual std::string NowText() = 0;
  // The current local date and time.
  virtual DateTime Now() = 0;
  // The current date and time in UTC.
  virtual DateTime UtcNow() = 0;
  // The full weekday name of the date, in the system's language (the pattern "dddd").
  virtual std::string WeekdayName(const DateTime& date) = 0;
  // A date and time in the general date format, as NowText writes the current one.
  virtual std::string GeneralDateText(const DateTime& value) = 0;
  // A text read back as a date and time by the system's rules (its date order, month names,
  // AM/PM); nullopt when it is not one. A text without a time is midnight.
  virtual std::optional<DateTime> ParseDateText(std::string_view text) = 0;
};

}  // namespace kestrian::platform
