#pragma once
// Deleting the registry items of a removal, each logged as the quarantine log wants it.
#include <string>
#include <string_view>

#include "platform/registry.h"
#include "removal/quarantine_log.h"

namespace kestrian::removal {

// Deletes the key with its sub-keys and values; logged as "<handle>\<key>" / "All Values"
// when it was deleted. The status of the delete.
platform::Status DeleteRegistryKey(platform::Registry& registry, QuarantineLog& log,
                                   platform::RootKey hive, std::string_view subKey);

// Deletes one value (an empty name is the key's default value), logged as
// "<hive name>\<key>" / "<value name>" when it is gone, also when it was not there; a delete
// the registry refuses is not logged. The status of the delete.
platform::Status DeleteRegistryValue(platform::Registry& registry, QuarantineLog& log,
                                     platform::RootKey hive, std::string_view subKey,
                                     std::string_view valueName);

// Whether a delete's status leaves nothing behind: done, or nothing was there.
bool Gone(platform::Status status);

// The status of opening the key for changes: a key this account may not change (one under
// HKEY_LOCAL_MACHINE for a standard user) refuses it. kOk when it may be changed or is
// not there.
platform::Status ChangeRefusal(platform::Registry& registry, platform::RootKey hive,
                               std::string_view subKey);

// Why the registry kept an item, as "Delete Failed" shows it: "access denied", or the error.
std::string RefusalReason(platform::Status status);

}  // namespace kestrian::removal
