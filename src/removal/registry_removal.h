#pragma once
// Deleting the registry items of a removal, each logged as the quarantine log wants it.
#include <string_view>

#include "platform/registry.h"
#include "removal/quarantine_log.h"

namespace kestrian::removal {

// Deletes the key with its sub-keys and values; logged as "<handle>\<key>" / "All Values"
// when it was deleted.
bool DeleteRegistryKey(platform::Registry& registry, QuarantineLog& log, platform::RootKey hive,
                       std::string_view subKey);

// Deletes one value (an empty name is the key's default value), whatever the outcome logged
// as "<hive name>\<key>" / "<value name>".
void DeleteRegistryValue(platform::Registry& registry, QuarantineLog& log, platform::RootKey hive,
                         std::string_view subKey, std::string_view valueName);

}  // namespace kestrian::removal
