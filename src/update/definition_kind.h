#pragma once
// The four kinds of definition file Live Update checks, in the order it checks them.
#include <array>
#include <string_view>

#include "core/data_files.h"

namespace kestrian::update {

struct DefinitionKind {
  std::string_view versionPagePath;  // appended to the update base
  std::string_view localFile;        // in the application folder
  std::string_view versionKey;       // section "OptionAndSettings", default "0"
  std::string_view checkingText;     // the progress window's status while checking
};

inline constexpr std::array<DefinitionKind, 4> kDefinitionKinds = {{
    {"/definitions/version/R.HTM", core::data_files::kRegistryDefinitions, "RegistryDefinition",
     "Checking Registry Definition Version..."},
    {"/definitions/version/F.HTM", core::data_files::kFileDefinitions, "FileDefinition",
     "Checking File Definition Version..."},
    {"/definitions/version/E.HTM", core::data_files::kExeDefinitions, "EXEDefinition",
     "Checking Executable Definition Version..."},
    {"/definitions/version/C.HTM", core::data_files::kBlockedCookies, "CookieDefinition",
     "Checking Cookie Definition Version..."},
}};

}  // namespace kestrian::update
