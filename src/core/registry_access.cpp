#include "core/registry_access.h"

#include <cstdint>
#include <utility>

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

bool ValueExistsIn(platform::RegistryKey& key, std::string_view name) {
  platform::RegistryValue value;
  if (key.QueryValue(name, value) != platform::kOk) return false;
  std::string data;
  return RegistryValueText(value, data) == platform::kOk;
}

platform::Status SetValue(platform::Registry& registry, platform::RootKey root,
                          std::string_view path, std::string_view name, std::string_view data) {
  const auto number = ParseNumber(data);
  if (number && *number >= 0 && *number <= 0xFFFFFFFFll) {
    return registry.SetValue(root, path, name,
                             platform::RegistryValue::Dword(static_cast<std::uint32_t>(*number)));
  }
  return registry.SetValue(root, path, name, platform::RegistryValue::String(Trim(data)));
}

bool ReadRegistryString(platform::Registry& registry, platform::RootKey root, std::string_view path,
                        std::string_view name, std::string& value) {
  value.clear();
  platform::RegistryValue stored;
  if (registry.QueryValue(root, path, kKeyTestAccess, name, stored) != platform::kOk ||
      stored.data.size() > kRegistryStringBytes) {
    return false;
  }
  if (stored.type != platform::value_types::kString) return true;
  std::string& text = stored.data;
  if (!text.empty() && text.back() == '\0') text.pop_back();
  value = std::move(text);
  return true;
}

void WriteUserRegistryValue(platform::Registry& registry, std::string_view path,
                            std::string_view name, std::string_view data, std::uint32_t type) {
  if (!KeyExists(registry, platform::roots::kCurrentUser, path)) return;
  platform::RegistryValue value;
  switch (type) {
    case platform::value_types::kString:
      value = platform::RegistryValue::String(data);
      break;
    case platform::value_types::kDword: {
      const auto number = ParseNumber(data);
      if (!number || *number < INT32_MIN || *number > UINT32_MAX) return;
      value = platform::RegistryValue::Dword(static_cast<std::uint32_t>(*number));
      break;
    }
    default:
      return;
  }
  registry.SetValue(platform::roots::kCurrentUser, path, name, value);
}

}  // namespace kestrian::core
