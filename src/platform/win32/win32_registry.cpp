#include "platform/win32/win32_registry.h"

#include <algorithm>
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

Status Win32Registry::CreateKey(RootKey root, std::string_view path) {
  if (root == roots::kNone) return kInvalidHandle;
  UniqueHkey key;
  const std::string subKey(path);
  return ::RegCreateKeyExA(RootHandle(root), subKey.c_str(), 0, nullptr, 0, KEY_QUERY_VALUE, nullptr,
                           key.put(), nullptr);
}

namespace {
// A key name is at most 255 UTF-16 units, a value name 16383; in the process code page each
// may take up to three bytes.
constexpr DWORD kKeyNameBytes = 255 * 3 + 1;
constexpr DWORD kValueNameBytes = 16383 * 3 + 1;
constexpr DWORD kEnumerateRights = KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS;
}  // namespace

Result<std::vector<std::string>> Win32Registry::SubKeyNames(RootKey root, std::string_view path) {
  using R = Result<std::vector<std::string>>;
  UniqueHkey key;
  if (const Status status = Open(root, path, kEnumerateRights, key); status != kOk) {
    return R::Failure(status);
  }
  std::vector<std::string> names;
  std::string name(kKeyNameBytes, '\0');
  for (DWORD index = 0;; ++index) {
    DWORD length = kKeyNameBytes;
    const Status status =
        ::RegEnumKeyExA(key.get(), index, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_NO_MORE_ITEMS) return names;
    if (status != kOk) return R::Failure(status);
    names.emplace_back(name.data(), length);
  }
}

Result<std::vector<NamedValue>> Win32Registry::Values(RootKey root, std::string_view path) {
  using R = Result<std::vector<NamedValue>>;
  UniqueHkey key;
  if (const Status status = Open(root, path, kEnumerateRights, key); status != kOk) {
    return R::Failure(status);
  }
  std::vector<NamedValue> values;
  std::string name(kValueNameBytes, '\0');
  std::string data(4096, '\0');
  for (DWORD index = 0;;) {
    DWORD nameLength = kValueNameBytes;
    DWORD type = 0;
    auto size = static_cast<DWORD>(data.size());
    const Status status = ::RegEnumValueA(key.get(), index, name.data(), &nameLength, nullptr, &type,
                                          reinterpret_cast<BYTE*>(data.data()), &size);
    if (status == ERROR_NO_MORE_ITEMS) return values;
    if (status == kMoreData) {
      // The data did not fit (a string grows in the code page): ask again with room.
      if (data.size() >= (1u << 30)) return R::Failure(status);
      data.resize(std::max<std::size_t>(data.size() * 2, size + 2));
      continue;
    }
    if (status != kOk) return R::Failure(status);
    values.push_back({std::string(name.data(), nameLength), {type, data.substr(0, size)}});
    ++index;
  }
}

}  // namespace kestrian::platform::win32
