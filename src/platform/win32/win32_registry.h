#pragma once
#include "platform/registry.h"

namespace kestrian::platform::win32 {

class Win32Registry final : public Registry {
 public:
  Status OpenKey(RootKey root, std::string_view path, std::uint32_t access) override;
  Status QueryValue(RootKey root, std::string_view path, std::uint32_t access,
                    std::string_view name, RegistryValue& out) override;
  Status SetValue(RootKey root, std::string_view path, std::string_view name,
                  const RegistryValue& value) override;
  Status DeleteValue(RootKey root, std::string_view path, std::string_view name) override;
  Status DeleteTree(RootKey root, std::string_view path) override;
  Status CreateKey(RootKey root, std::string_view path) override;
  Result<std::vector<std::string>> SubKeyNames(RootKey root, std::string_view path) override;
  Result<std::vector<NamedValue>> Values(RootKey root, std::string_view path) override;
};

}  // namespace kestrian::platform::win32
