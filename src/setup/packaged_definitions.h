#pragma once
// The definition files an installer package brings, put in place without undoing Live
// Update. The package installs its four files into a folder of their own, and this step
// copies each into the application folder unless Live Update brought that kind at a higher
// version than the packaged one. The version settings tell: the kind's version names the
// newest file (a downloaded copy waiting for the next start, if any), its ".installed"
// version the installed file while a copy waits. A newer installed file and a newer waiting
// copy stay; an older waiting copy is deleted (the next start would take the kind back), and
// the versions are stored as they now are, so Live Update compares against what is there.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/application_folder.h"
#include "core/settings_store.h"
#include "platform/file_system.h"

namespace kestrian::setup {

// Inside the application folder.
inline constexpr std::string_view kPackagedDefinitionsFolder = "Packaged Definitions";

// The versions under which the packaged files were published, in the order of
// update::kDefinitionKinds: registry, file, executable, cookie.
using PackagedVersions = std::array<std::int64_t, 4>;

enum class Placement {
  Packaged,   // the packaged file is in place and its version stored
  KeptNewer,  // Live Update's newer file (or its waiting copy) stays
  Failed,     // the packaged file could not be put in place (see `status`)
};

struct PlacedDefinition {
  std::string_view file;
  Placement placement = Placement::Failed;
  platform::Status status = platform::kOk;
};

std::vector<PlacedDefinition> PlacePackagedDefinitions(platform::FileSystem& files,
                                                       core::SettingsStore& settings,
                                                       const core::ApplicationFolder& folder,
                                                       const PackagedVersions& versions);

}  // namespace kestrian::setup
