#pragma once
// The four kinds of definition file Live Update checks and downloads, in the order it
// handles them.
#include <array>
#include <string_view>

#include "core/data_files.h"
#include "core/settings_keys.h"

namespace kestrian::update {

struct DefinitionKind {
  std::string_view versionPagePath;  // appended to the update base
  std::string_view localFile;        // in the application folder
  std::string_view versionKey;       // section "OptionAndSettings", default "0"
  std::string_view checkingText;     // the progress window's status while checking
  std::string_view dataPath;         // appended to the update base
  std::string_view downloadingText;  // the progress window's status while downloading
  std::string_view failureText;      // the message when the download fails
};

inline constexpr std::array<DefinitionKind, 4> kDefinitionKinds = {{
    {"/definitions/version/R.HTM", core::data_files::kRegistryDefinitions, core::settings::kRegistryDefinitionVersion.name,
     "Checking Registry Definition Version...", "/definitions/data/RegistryDefinition.dat",
     "Getting Registry Definitions... please wait...",
     "Definitions could not be downloaded. Please check your internet connection."},
    {"/definitions/version/F.HTM", core::data_files::kFileDefinitions, core::settings::kFileDefinitionVersion.name,
     "Checking File Definition Version...", "/definitions/data/FileDefinition.dat",
     "Getting File Definitions... please wait...",
     "Definitions could not be downloaded.  Please check your internet connection."},
    {"/definitions/version/E.HTM", core::data_files::kExeDefinitions, core::settings::kExeDefinitionVersion.name,
     "Checking Executable Definition Version...", "/definitions/data/ExeDefinition.dat",
     "Getting Executable Definitions... please wait...",
     "Definitions could not be downloaded.  Please check your internet connection."},
    {"/definitions/version/C.HTM", core::data_files::kBlockedCookies, core::settings::kCookieDefinitionVersion.name,
     "Checking Cookie Definition Version...", "/definitions/data/BlockedCookies.dat",
     "Getting Cookie Definitions... please wait...",
     "Definitions could not be downloaded.  Please check your internet connection."},
}};

}  // namespace kestrian::update
