#pragma once
// After a removal, every trace it was to delete is looked at again, so that success is told
// only when it is true: whatever is still on the machine is listed in "Delete Failed".
#include <string>
#include <string_view>
#include <vector>

#include "platform/machine.h"
#include "ui/frm_main.h"

namespace kestrian::removal {

struct RemovalTrace {
  enum class Kind { Registry, File };
  Kind kind = Kind::File;
  platform::RootKey root = 0;
  std::string path;   // the file, or the registry key
  std::string value;  // a registry value's name; empty for a whole key
};

// Every row of the hidden trace lists (registry, files, cookies), taken before a removal
// changes them.
std::vector<RemovalTrace> TracesOf(const ui::FrmMain& form);

// How "Delete Failed" names a registry key ("HKEY_CURRENT_USER\Software\Acme") or a value
// in it ("HKEY_CURRENT_USER\Software\Acme\Value").
std::string RegistryItemLocation(platform::RootKey root, std::string_view key, std::string_view value);

// Lists each of `traces` still on the machine that "Delete Failed" does not name yet, as
// "still there after the removal". A trace that cannot be looked at counts as still there.
void ListRemainingTraces(platform::Machine& machine, const std::vector<RemovalTrace>& traces,
                         ui::FrmDelete& deleteFailed);

}  // namespace kestrian::removal
