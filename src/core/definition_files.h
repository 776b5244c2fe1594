#pragma once
// Start-up work on the four definition files.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/application_folder.h"
#include "core/definition_generations.h"
#include "core/program_state.h"
#include "core/settings_store.h"
#include "platform/file_system.h"
#include "ui/host.h"

namespace kestrian::core {

// A definition file's content; a file over kMaxDefinitionFileBytes fails with
// platform::kFileTooLarge without being read.
platform::Result<std::string> ReadDefinitionFile(platform::FileSystem& files, std::string_view path);

// Puts every downloaded ("DL") copy that passes `check` in place of its definition file
// (see InstallHoldingFiles), then reloads the exclusion text. Returns the kinds whose
// copy was set aside.
std::vector<DefinitionFileKind> InstallDownloadedDefinitions(platform::FileSystem& files,
                                                             const ApplicationFolder& folder,
                                                             SettingsStore& settings, ui::Host& host,
                                                             const DefinitionCheck& check,
                                                             std::string& exclusionText);

// Fills the four counts and returns the total (which the caller stores as the total). A
// file that is present but cannot be read, or is too large, counts no line and is added to
// `unreadable` when given.
std::int32_t CountDefinitionLines(platform::FileSystem& files, const ApplicationFolder& folder,
                                  DefinitionCounts& counts,
                                  std::vector<std::string_view>* unreadable = nullptr);

// True when all four definition files are present as normal files.
bool DefinitionFilesPresent(platform::FileSystem& files, const ApplicationFolder& folder);

}  // namespace kestrian::core
