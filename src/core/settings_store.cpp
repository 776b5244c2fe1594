#include "core/settings_store.h"

namespace kestrian::core {

namespace {
constexpr std::string_view kStoreRoot = "Software\\VB and VBA Program Settings\\";
}

std::string SettingsStore::SectionPath(std::string_view application, std::string_view section) {
  std::string path(kStoreRoot);
  path.append(application).append("\\").append(section);
  return path;
}

std::string SettingsStore::GetSetting(std::string_view application, std::string_view section,
                                      std::string_view key, std::string_view fallback) const {
  platform::RegistryValue value;
  const auto status = registry_.QueryValue(platform::roots::kCurrentUser,
                                           SectionPath(application, section),
                                           platform::key_access::kQueryValue, key, value);
  const bool isText = value.type == platform::value_types::kString ||
                      value.type == platform::value_types::kExpandString;
  if (status != platform::kOk || !isText) return std::string(fallback);
  std::string text = std::move(value.data);
  if (const auto end = text.find('\0'); end != std::string::npos) text.resize(end);
  return text;
}

platform::Status SettingsStore::SaveSetting(std::string_view application, std::string_view section,
                                            std::string_view key, std::string_view value) {
  return registry_.SetValue(platform::roots::kCurrentUser, SectionPath(application, section), key,
                            platform::RegistryValue::String(value));
}

std::string SettingsStore::Get(const settings::Key& key) const {
  return GetSetting(application_, key.section, key.name, key.fallback);
}

platform::Status SettingsStore::Save(const settings::Key& key, std::string_view value) {
  return SaveSetting(application_, key.section, key.name, value);
}

std::string SettingsStore::Get(std::string_view section, std::string_view key,
                               std::string_view fallback) const {
  return GetSetting(application_, section, key, fallback);
}

platform::Status SettingsStore::Save(std::string_view section, std::string_view key,
                                     std::string_view value) {
  return SaveSetting(application_, section, key, value);
}

}  // namespace kestrian::core
