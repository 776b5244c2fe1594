#pragma once
// A System Restore point around a removal: begun before it, ended after it.
#include <cstdint>
#include <string_view>

#include "platform/environment.h"
#include "platform/system_restore.h"

namespace kestrian::removal {

// Windows Me, XP and every NT-family version after XP have System Restore.
bool IsRestoreCapable(platform::Environment& environment);

inline constexpr std::int32_t kRestorePointTypeRestore = 6;
// What a begin while a point is open is refused with.
inline constexpr long kRestorePointStillOpen = 100001;

class RestorePoints {
 public:
  RestorePoints(platform::SystemRestore& systemRestore, std::int64_t& openSequence)
      : systemRestore_(systemRestore), openSequence_(openSequence) {}

  // Begins a point (the description cut to 63 characters). Refused with
  // kRestorePointStillOpen while one is open; false when the system refused.
  long Begin(std::string_view description, std::int32_t restorePointType, bool& begun);
  // Ends the open point (sequence 0 when none is open) and forgets it, whatever the outcome.
  bool End();

 private:
  platform::SystemRestore& systemRestore_;
  std::int64_t& openSequence_;
};

}  // namespace kestrian::removal
