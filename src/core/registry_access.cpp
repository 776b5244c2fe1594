#include "core/registry_access.h"

#include "core/text.h"

namespace kestrian::core {

platform::Status RegistryValueText(const platform::RegistryValue& value, std::string& text) {
  text.clear();
  switch (value.type) {
    case platform::value_types::kString:
    case platform::value_types::kExpandString:
      text = value.data;
      if (!text.empty() && text.back() == '\0') text.pop_back();
      return platform::kOk;
    case platform::value_types::kDword: {
      if (value.data.size() < 4) return kValueNotShown;
      std::uint32_t number = 0;
      for (int i = 3; i >= 0; --i) {
        number = (number << 8) | static_cast<unsigned char>(value.data[static_cast<std::size_t>(i)]);
      }
      text = std::to_string(number);
      return platform::kOk;
    }
    default:
      return kValueNotShown;
  }
}

bool KeyExists(platform::Registry& registry, platform::RootKey root, std::string_view path) {
  return registry.OpenKey(root, path, kKeyTestAccess) == platform::kOk;
}

bool ValueExists(platform::Registry& registry, platform::RootKey root, std::string_view path,
                 std::string_view name, std::string& data) {
  platform::RegistryValue value;
  if (registry.QueryValue(root, path, kKeyTestAccess, name, value) != platform::kOk) return false;
  return RegistryValueText(value, data) == platform::kOk;
}

void SetValue(platform::Registry& registry, platform::RootKey root, std::string_view path,
              std::string_view name, std::string_view data) {
  const auto number = ParseNumber(data);
  if (number && *number >= 0 && *number <= 0xFFFFFFFFll) {
    registry.SetValue(root, path, name,
                      platform::RegistryValue::Dword(static_cast<std::uint32_t>(*number)));
    return;
  }
  registry.SetValue(root, path, name, platform::RegistryValue::String(Trim(data)));
}

}  // namespace kestrian::core
