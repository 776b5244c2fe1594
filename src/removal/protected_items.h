#pragma once
// What removal never deletes, whatever the definitions say: keys Windows cannot run without
// and anything in the program's own folder.
#include <string_view>

#include "platform/registry.h"

namespace kestrian::removal {

// A root key, a direct child of one, or a key on the fixed list (under any root; under
// HKEY_USERS below the user's own key).
bool IsProtectedKey(platform::RootKey root, std::string_view subKey);

// The folder itself or anything inside it (compared without regard to case, after
// resolving "." and ".." parts).
bool IsInsideFolder(std::string_view path, std::string_view folder);

}  // namespace kestrian::removal
