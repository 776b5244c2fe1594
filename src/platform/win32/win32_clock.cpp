#include "platform/win32/win32_clock.h"

#include <windows.h>

namespace kestrian::platform::win32 {

std::string Win32Clock::NowText() {
  SYSTEMTIME now{};
  ::GetLocalTime(&now);
  char date[128] = {};
  char time[128] = {};
  // The general date format: the user's short date, a space, the user's long time.
  ::GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &now, nullptr, date, sizeof date);
  ::GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &now, nullptr, time, sizeof time);
  return std::string(date) + " " + time;
}

}  // namespace kestrian::platform::win32
