#include "removal/registry_removal.h"

#include "scan/registry_definition.h"

namespace kestrian::removal {

platform::Status DeleteRegistryKey(platform::Registry& registry, QuarantineLog& log,
                                   platform::RootKey hive, std::string_view subKey) {
  const platform::Status status = registry.DeleteTree(hive, subKey);
  if (status == platform::kOk) {
    log.LogRemovedRegistryItem(scan::RootKeyAsSignedDecimal(hive) + "\\" + std::string(subKey),
                               "All Values");
  }
  return status;
}

platform::Status DeleteRegistryValue(platform::Registry& registry, QuarantineLog& log,
                                     platform::RootKey hive, std::string_view subKey,
                                     std::string_view valueName) {
  const platform::Status status = registry.DeleteValue(hive, subKey, valueName);
  // A value still there was not removed, and the log must not say it was.
  if (Gone(status)) {
    log.LogRemovedRegistryItem(std::string(scan::RootKeyName(hive)) + "\\" + std::string(subKey),
                               valueName);
  }
  return status;
}

bool Gone(platform::Status status) {
  return status == platform::kOk || status == platform::kFileNotFound ||
         status == platform::kPathNotFound;
}

platform::Status ChangeRefusal(platform::Registry& registry, platform::RootKey hive,
                               std::string_view subKey) {
  const platform::Status status = registry.OpenKey(hive, subKey, platform::key_access::kSetValue);
  return Gone(status) ? platform::kOk : status;
}

std::string RefusalReason(platform::Status status) {
  if (status == platform::kAccessDenied) return "access denied";
  return "registry error " + std::to_string(status);
}

}  // namespace kestrian::removal
