#pragma once
// Start-up work on the four definition files.
#include <cstdint>
#include <string>

#include "core/application_folder.h"
#include "core/program_state.h"
#include "platform/file_system.h"
#include "ui/host.h"

namespace kestrian::core {

// Puts every downloaded ("DL") copy in place of its definition file, then reloads the
// exclusion text. The replacement is one replacing move: at every moment one complete file
// of each kind exists, and a copy that cannot be moved stays for the next start.
void InstallDownloadedDefinitions(platform::FileSystem& files, const ApplicationFolder& folder,
                                  ui::Host& host, std::string& exclusionText);

// Fills the four counts and returns the total (which the caller stores as the total).
std::int32_t CountDefinitionLines(platform::FileSystem& files, const ApplicationFolder& folder,
                                  DefinitionCounts& counts);

// True when all four definition files are present as normal files.
bool DefinitionFilesPresent(platform::FileSystem& files, const ApplicationFolder& folder);

}  // namespace kestrian::core
