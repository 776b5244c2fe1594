#pragma once
// The registry items no definition can delete: keys and values Windows needs to start, let
// the user log on and reach the network. Definitions arrive over the network and may be
// applied without a question, so these hold whatever a definition says.
#include <string_view>

#include "platform/registry.h"

namespace kestrian::removal {

// A key is refused when it is a root key or a direct child of one; on the protected list;
// an ancestor of a listed key; or below a listed key that guards its whole subtree (the
// boot and network services among them). Every ControlSetNNN is read as CurrentControlSet,
// a Wow6432Node as its parent, HKEY_USERS\<sid> as HKEY_CURRENT_USER and <sid>_Classes and
// HKEY_CLASSES_ROOT as Software\Classes. A key of an unknown root is refused.
bool IsProtectedKey(platform::RootKey root, std::string_view subKey);

// A value is refused when it lies in a guarded subtree (the shell folders, Session Manager
// with BootExecute, the boot and network services) or is on the list of values Windows
// reads at logon (Winlogon Shell, Userinit, System, ...) in the machine's hive.
bool IsProtectedValue(platform::RootKey root, std::string_view subKey, std::string_view valueName);

}  // namespace kestrian::removal
