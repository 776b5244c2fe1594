#pragma once
// The per-user settings store: string values under an application name, a section and a
// key, kept where such programs have always kept them,
// HKEY_CURRENT_USER\Software\VB and VBA Program Settings\<application>\<section>, one REG_SZ
// value per key. Nothing is cached: every read goes to the registry.
#include <string>
#include <string_view>

#include "core/settings_keys.h"
#include "platform/registry.h"

namespace kestrian::core {

class SettingsStore {
 public:
  SettingsStore(platform::Registry& registry, std::string applicationName)
      : registry_(registry), application_(std::move(applicationName)) {}

  const std::string& ApplicationName() const { return application_; }

  // The stored value, or `fallback` when there is none (or it cannot be read as text).
  std::string GetSetting(std::string_view application, std::string_view section,
                         std::string_view key, std::string_view fallback) const;
  // Stores the value, creating the section when needed. Errors are ignored by every caller.
  platform::Status SaveSetting(std::string_view application, std::string_view section,
                               std::string_view key, std::string_view value);

  // The same under this program's application name.
  std::string Get(const settings::Key& key) const;
  platform::Status Save(const settings::Key& key, std::string_view value);
  std::string Get(std::string_view section, std::string_view key, std::string_view fallback) const;
  platform::Status Save(std::string_view section, std::string_view key, std::string_view value);

  static std::string SectionPath(std::string_view application, std::string_view section);

 private:
  platform::Registry& registry_;
  std::string application_;
};

}  // namespace kestrian::core
