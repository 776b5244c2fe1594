#pragma once
#include "platform/clock.h"

namespace kestrian::platform::win32 {

class Win32Clock final : public Clock {
 public:
  std::string NowText() override;
  DateTime Now() override;
  DateTime UtcNow() override;
  std::string WeekdayName(const DateTime& date) override;
  std::string GeneralDateText(const DateTime& value) override;
  std::optional<DateTime> ParseDateText(std::string_view text) override;
};

}  // namespace kestrian::platform::win32
