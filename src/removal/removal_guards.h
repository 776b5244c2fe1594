#pragma once
// What removal never deletes, whatever the definitions say: the program's own files, the
// Windows folder's Microsoft files, folders, and the registry items Windows needs.
#include <optional>
#include <string_view>

#include "core/application_folder.h"
#include "platform/machine.h"

namespace kestrian::removal {

// Why the file at `path` must stay, or nothing. Paths are compared as Windows resolves
// them (8.3 names, "\\?\" and "\\.\" prefixes, junctions, substituted drives); a path that
// cannot be resolved stays.
std::optional<std::string_view> WhyFileStays(platform::Machine& machine,
                                             const core::ApplicationFolder& folder,
                                             std::string_view path);

// Whether `path` lies in the program's own folder, compared as Windows resolves both; a
// path that cannot be resolved counts as inside.
bool InsideProgramFolder(platform::FileSystem& files, const core::ApplicationFolder& folder,
                         std::string_view path);

// Why the registry key (an empty `valueName`) or value must stay, or nothing.
std::optional<std::string_view> WhyRegistryItemStays(platform::RootKey root, std::string_view subKey,
                                                     std::string_view valueName);

}  // namespace kestrian::removal
