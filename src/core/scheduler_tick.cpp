#include "core/scheduler_tick.h"

#include <optional>
#include <string>

#include "core/long_work.h"
#include "core/scheduler_days.h"
#include "core/settings_keys.h"
#include "core/text.h"

namespace kestrian::core {

namespace {
constexpr std::string_view kNullDate = "Null";

std::optional<platform::DateTime> StoredDateTime(const SettingsStore& settings,
                                                 const settings::Key& key,
                                                 platform::Clock& clock) {
  const std::string text = settings.Get(key);
  if (text == kNullDate) return std::nullopt;
  return clock.ParseDateText(text);
}

// Both sides formatted "hh:mm:ss": the same second of the day, whatever the dates.
bool SameSecond(const platform::DateTime& a, const platform::DateTime& b) {
  return a.hour == b.hour && a.minute == b.minute && a.second == b.second;
}

// Both sides formatted "dd/MM/yyyy": the same day, whatever the times.
bool SameDay(const platform::DateTime& a, const platform::DateTime& b) {
  return a.year == b.year && a.month == b.month && a.day == b.day;
}
}  // namespace

bool ScheduleDue(const SettingsStore& settings, platform::Clock& clock) {
  const auto day = ParseNumber(settings.Get(settings::kScheduleDayForTimer));
  if (!day || *day < 0 || *day > schedule::kDateAndTime) return false;
  const platform::DateTime now = clock.Now();
  const auto time = StoredDateTime(settings, settings::kScheduleTime, clock);
  if (!time || !SameSecond(*time, now)) return false;
  if (*day == schedule::kDaily) return true;
  if (*day == schedule::kDateAndTime) {
    const auto date = StoredDateTime(settings, settings::kScheduleDate, clock);
    return date && SameDay(*date, now);
  }
  return EqualsIgnoringCase(clock.WeekdayName(now),
                            schedule::kWeekdayNames[static_cast<std::size_t>(*day)]);
}

void SchedulerTimer::Tick() {
  if (LongWorkRunning(form_)) return;  // no scheduled scan starts inside a scan or a removal
  if (ScheduleDue(settings_, clock_)) {
    // A session shorter than a second re-arms the timer inside the scheduled second; the
    // scan starts once in it all the same.
    const platform::DateTime now = clock_.Now();
    if (lastStart_ != now) {
      lastStart_ = now;
      state_.session.autoDeleteAfterScan = form_.chkAutoDel.Value() == 1;
      if (startScan_) startScan_();
    }
  }
  state_.session.autoDeleteAfterScan = false;
}

}  // namespace kestrian::core
