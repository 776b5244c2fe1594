#include "platform/win32/win32_clock.h"

#include <windows.h>

#include <oleauto.h>

#include <string>

namespace kestrian::platform::win32 {

namespace {
SYSTEMTIME ToSystemTime(const DateTime& value) {
  SYSTEMTIME time{};
  time.wYear = static_cast<WORD>(value.year);
  time.wMonth = static_cast<WORD>(value.month);
  time.wDay = static_cast<WORD>(value.day);
  time.wHour = static_cast<WORD>(value.hour);
  time.wMinute = static_cast<WORD>(value.minute);
  time.wSecond = static_cast<WORD>(value.second);
  // A round trip through FILETIME fills in the day of the week.
  FILETIME file{};
  if (::SystemTimeToFileTime(&time, &file)) ::FileTimeToSystemTime(&file, &time);
  return time;
}

DateTime FromSystemTime(const SYSTEMTIME& time) {
  return {time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond};
}

std::wstring Widen(std::string_view text) {
  const int size = static_cast<int>(text.size());
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  const int written = ::MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), size);
  wide.resize(static_cast<std::size_t>(written > 0 ? written : 0));
  return wide;
}
}  // namespace

std::string Win32Clock::NowText() { return GeneralDateText(Now()); }

DateTime Win32Clock::Now() {
  SYSTEMTIME now{};
  ::GetLocalTime(&now);
  return FromSystemTime(now);
}

DateTime Win32Clock::UtcNow() {
  SYSTEMTIME now{};
  ::GetSystemTime(&now);
  return FromSystemTime(now);
}

std::string Win32Clock::WeekdayName(const DateTime& date) {
  const SYSTEMTIME time = ToSystemTime(date);
  char name[128] = {};
  ::GetDateFormatA(LOCALE_USER_DEFAULT, 0, &time, "dddd", name, sizeof name);
  return name;
}

std::string Win32Clock::GeneralDateText(const DateTime& value) {
  const SYSTEMTIME time = ToSystemTime(value);
  char date[128] = {};
  char clock[128] = {};
  // The general date format: the user's short date, a space, the user's long time; exactly
  // midnight is the date alone.
  ::GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, date, sizeof date);
  if (value.hour == 0 && value.minute == 0 && value.second == 0) return date;
  ::GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &time, nullptr, clock, sizeof clock);
  return std::string(date) + " " + clock;
}

std::optional<DateTime> Win32Clock::ParseDateText(std::string_view text) {
  // The conversion a date variable makes of a text, with the user's date order and names.
  std::wstring wide = Widen(text);
  DATE value = 0;
  if (FAILED(::VarDateFromStr(wide.data(), LOCALE_USER_DEFAULT, 0, &value))) return std::nullopt;
  SYSTEMTIME time{};
  if (!::VariantTimeToSystemTime(value, &time)) return std::nullopt;
  return FromSystemTime(time);
}

}  // namespace kestrian::platform::win32
