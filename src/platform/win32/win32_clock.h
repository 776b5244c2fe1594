#pragma once
#include "platform/clock.h"

namespace kestrian::platform::win32 {

class Win32Clock final : public Clock {
 public:
  std::string NowText() override;
};

}  // namespace kestrian::platform::win32
