#include "removal/quarantine_log.h"

#include "core/data_files.h"

namespace kestrian::removal {

std::string QuarantineFolder(const core::ApplicationFolder& folder) {
  return folder.FilePath(core::data_files::kQuarantineFolder);
}

std::string QuarantinePath(const core::ApplicationFolder& folder, std::string_view fileName) {
  return QuarantineFolder(folder) + "\\" + std::string(fileName);
}

void QuarantineLog::LogBackup(std::string_view location, std::string_view backupName) {
  Append(" - File: " + std::string(backupName), "Location: " + std::string(location));
}

void QuarantineLog::LogRemovedRegistryItem(std::string_view key, std::string_view value) {
  if (!firstRemovalPass_) return;
  Append(" - Key: " + std::string(key), "Value: " + std::string(value));
}

void QuarantineLog::Append(std::string_view header, std::string_view detail) {
  const std::string entry = machine_.clock.NowText() + std::string(header) + "\r\n" +
                            std::string(detail) + "\r\n\r\n\r\n";
  // An entry that cannot be written is lost; the removal goes on.
  machine_.files.Append(QuarantinePath(folder_, core::data_files::kQuarantineLog), entry);
}

}  // namespace kestrian::removal
