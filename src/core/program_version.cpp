#include "core/program_version.h"

#include "core/settings_keys.h"

namespace kestrian::core {

platform::VersionResource ProgramVersion(platform::Environment& environment) {
  platform::VersionResource version = environment.Version();
  if (version.productName.empty()) version.productName = settings::kProductName;
  return version;
}

}  // namespace kestrian::core
