#pragma once
// Writing a registry backup back through the registry calls, all or nothing: every step is
// noted with what it replaced, and when one fails, what was written is undone in reverse.
#include <string>
#include <vector>

#include "platform/registry.h"
#include "removal/reg_file.h"

namespace kestrian::removal {

struct RegistryWrite {
  bool written = false;
  std::string error;  // why not, when not
};

RegistryWrite WriteKeysAllOrNothing(platform::Registry& registry, const std::vector<RegKey>& keys);

// The values of the backup that exist now with other data ("HKEY_...\key" and the name).
std::vector<std::string> ConflictingValues(platform::Registry& registry, const std::vector<RegKey>& keys);

}  // namespace kestrian::removal
