#include "removal/restore_points.h"

#include <string>

namespace kestrian::removal {

namespace {
constexpr std::size_t kDescriptionLimit = 63;
}

bool IsRestoreCapable(platform::Environment& environment) {
  const auto version = environment.OperatingSystemVersion();
  if (!version) return false;
  if (version->platformId == platform::platform_ids::kWindows9x) return version->minor == 90;
  if (version->platformId != platform::platform_ids::kWindowsNt) return false;
  return (version->major == 5 && version->minor == 1) || version->major > 5;
}

long RestorePoints::Begin(std::string_view description, std::int32_t restorePointType, bool& begun) {
  begun = false;
  if (openSequence_ != 0) return kRestorePointStillOpen;
  platform::RestorePointRequest request;
  request.eventType = platform::restore_events::kBeginSystemChange;
  request.restorePointType = static_cast<std::uint32_t>(restorePointType);
  request.description = std::string(description.substr(0, kDescriptionLimit));
  const auto sequence = systemRestore_.SetRestorePoint(request);
  if (!sequence) return 0;
  openSequence_ = *sequence;
  begun = true;
  return 0;
}

bool RestorePoints::End() {
  platform::RestorePointRequest request;
  request.eventType = platform::restore_events::kEndSystemChange;
  request.sequenceNumber = openSequence_;
  const bool ended = systemRestore_.SetRestorePoint(request).has_value();
  openSequence_ = 0;
  return ended;
}

}  // namespace kestrian::removal
