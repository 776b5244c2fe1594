#include "removal/registry_removal.h"

#include <string>

#include "scan/registry_definition.h"

namespace kestrian::removal {

bool DeleteRegistryKey(platform::Registry& registry, QuarantineLog& log, platform::RootKey hive,
                       std::string_view subKey) {
  if (registry.DeleteTree(hive, subKey) != platform::kOk) return false;
  log.LogRemovedRegistryItem(scan::RootKeyAsSignedDecimal(hive) + "\\" + std::string(subKey),
                             "All Values");
  return true;
}

void DeleteRegistryValue(platform::Registry& registry, QuarantineLog& log, platform::RootKey hive,
                         std::string_view subKey, std::string_view valueName) {
  registry.DeleteValue(hive, subKey, valueName);
  log.LogRemovedRegistryItem(std::string(scan::RootKeyName(hive)) + "\\" + std::string(subKey),
                             valueName);
}

}  // namespace kestrian::removal
