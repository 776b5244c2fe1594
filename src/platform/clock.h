#pragma once
#include <string>

namespace kestrian::platform {

class Clock {
 public:
  virtual ~Clock() = default;
  // The current date and time in the system's general date format (short date, then time).
  virtual std::string NowText() = 0;
};

}  // namespace kestrian::platform
