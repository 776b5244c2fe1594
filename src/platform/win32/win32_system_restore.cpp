#include "platform/win32/win32_system_restore.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "platform/win32/unique_handle.h"

namespace kestrian::platform::win32 {

namespace {
// The published System Restore records are byte-packed.
#pragma pack(push, 1)
struct RestorePointInfo {
  DWORD eventType;
  DWORD restorePointType;
  INT64 sequenceNumber;
  CHAR description[64];
};
struct StateManagerStatus {
  DWORD status;
  INT64 sequenceNumber;
};
#pragma pack(pop)

using SetRestorePointFunction = BOOL(WINAPI*)(RestorePointInfo*, StateManagerStatus*);
using EntryPointFunction = HRESULT(WINAPI*)();
}  // namespace

std::optional<std::int64_t> Win32SystemRestore::SetRestorePoint(const RestorePointRequest& request) {
  // Loaded only when needed: Windows versions without System Restore lack the library.
  UniqueLibrary library(::LoadLibraryA("srclient.dll"));
  if (!library) return std::nullopt;
  const auto setRestorePoint = reinterpret_cast<SetRestorePointFunction>(
      reinterpret_cast<void*>(::GetProcAddress(library.get(), "SRSetRestorePointA")));
  if (setRestorePoint == nullptr) return std::nullopt;
  RestorePointInfo info{};
  info.eventType = request.eventType;
  info.restorePointType = request.restorePointType;
  info.sequenceNumber = request.sequenceNumber;
  const std::size_t length = std::min(request.description.size(), sizeof info.description - 1);
  std::memcpy(info.description, request.description.data(), length);
  StateManagerStatus status{};
  if (!setRestorePoint(&info, &status)) return std::nullopt;
  return status.sequenceNumber;
}

bool Win32Libraries::CallEntryPoint(std::string_view path, const char* entryPoint) {
  UniqueLibrary library(::LoadLibraryA(std::string(path).c_str()));
  if (!library) return false;
  const auto function = reinterpret_cast<EntryPointFunction>(
      reinterpret_cast<void*>(::GetProcAddress(library.get(), entryPoint)));
  if (function == nullptr) return false;
  function();  // its result tells nothing the caller acts on
  return true;
}

}  // namespace kestrian::platform::win32
