#include "platform/win32/win32_registry.h"

#include <string>

#include "platform/win32/unique_handle.h"

namespace kestrian::platform::win32 {

namespace {
HKEY RootHandle(RootKey root) {
  // Root keys are predefined handle values; sign-extend as Windows does on 64-bit.
  return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG_PTR>(static_cast<LONG>(root))));
}

Status Open(RootKey root, std::string_view path, std::uint32_t access, UniqueHkey& key) {
  if (root == roots::kNone) return kInvalidHandle;
  const std::string subKey(path);
  return ::RegOpenKeyExA(RootHandle(root), subKey.c_str(), 0, access, key.put());
}
}  // namespace

Status Win32Registry::OpenKey(RootKey root, std::string_view path, std::uint32_t access) {
  UniqueHkey key;
  return Open(root, path, access, key);
}

Status Win32Registry::QueryValue(RootKey root, std::string_view path, std::uint32_t access,
                                 std::string_view name, RegistryValue& out) {
  out = {};
  UniqueHkey key;
  if (const Status status = Open(root, path, access, key); status != kOk) return status;
  const std::string valueName(name);
  DWORD type = 0;
  DWORD size = 0;
  Status status = ::RegQueryValueExA(key.get(), valueName.c_str(), nullptr, &type, nullptr, &size);
  // The value may grow between the two calls; ask again until it fits.
  for (int attempt = 0; status == kOk && attempt < 4; ++attempt) {
    std::string data(size, '\0');
    DWORD read = size;
    status = ::RegQueryValueExA(key.get(), valueName.c_str(), nullptr, &type,
                                reinterpret_cast<BYTE*>(data.data()), &read);
    if (status == kOk) {
      data.resize(read);
      out = {type, std::move(data)};
      return kOk;
    }
    if (status == kMoreData) {
      size = read;
      status = kOk;
    }
  }
  return status;
}

Status Win32Registry::SetValue(RootKey root, std::string_view path, std::string_view name,
                               const RegistryValue& value) {
  if (root == roots::kNone) return kInvalidHandle;
  UniqueHkey key;
  const std::string subKey(path);
  Status status = ::RegCreateKeyExA(RootHandle(root), subKey.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                    nullptr, key.put(), nullptr);
  if (status != kOk) return status;
  const std::string valueName(name);
  return ::RegSetValueExA(key.get(), valueName.c_str(), 0, value.type,
                          reinterpret_cast<const BYTE*>(value.data.data()),
                          static_cast<DWORD>(value.data.size()));
}

Status Win32Registry::DeleteValue(RootKey root, std::string_view path, std::string_view name) {
  UniqueHkey key;
  if (const Status status = Open(root, path, KEY_SET_VALUE, key); status != kOk) return status;
  const std::string valueName(name);
  return ::RegDeleteValueA(key.get(), valueName.c_str());
}

Status Win32Registry::DeleteTree(RootKey root, std::string_view path) {
  if (root == roots::kNone) return kInvalidHandle;
  const std::string subKey(path);
  if (subKey.empty()) return kAccessDenied;  // never the root itself
  // With a sub-key name, RegDeleteTree removes that key itself as well.
  return ::RegDeleteTreeA(RootHandle(root), subKey.c_str());
}

}  // namespace kestrian::platform::win32
