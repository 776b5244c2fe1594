#pragma once
// The stored versions of the four definition files, as Live Update compares them with the
// update host's pages. Written by name here, not through the program's table of kinds, so
// that a wrong key in that table shows in the tests.
#include <string_view>

#include "core/settings_store.h"

namespace kestrian::testing {

inline void StoreDefinitionVersions(core::SettingsStore& settings, std::string_view registry,
                                    std::string_view file, std::string_view exe,
                                    std::string_view cookie) {
  settings.Save("OptionAndSettings", "RegistryDefinition", registry);
  settings.Save("OptionAndSettings", "FileDefinition", file);
  settings.Save("OptionAndSettings", "EXEDefinition", exe);
  settings.Save("OptionAndSettings", "CookieDefinition", cookie);
}

}  // namespace kestrian::testing
