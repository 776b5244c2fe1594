#pragma once
// Windows System Restore's one call, and the library entry points removal calls.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestrian::platform {

namespace restore_events {
inline constexpr std::uint32_t kBeginSystemChange = 100;
inline constexpr std::uint32_t kEndSystemChange = 101;
}  // namespace restore_events

struct RestorePointRequest {
  std::uint32_t eventType = restore_events::kBeginSystemChange;
  std::uint32_t restorePointType = 0;
  std::int64_t sequenceNumber = 0;
  std::string description;  // at most 63 characters reach the system
  bool operator==(const RestorePointRequest&) const = default;
};

class SystemRestore {
 public:
  virtual ~SystemRestore() = default;
  // SRSetRestorePointA of srclient.dll, loaded when called: the sequence number of the
  // output record when the call returned non-zero; nothing otherwise (or when the library
  // or its entry point is missing).
  virtual std::optional<std::int64_t> SetRestorePoint(const RestorePointRequest& request) = 0;
};

class Libraries {
 public:
  virtual ~Libraries() = default;
  // Loads the library, calls its exported entry point without arguments when it has one,
  // and frees it again. False when it could not be loaded or has no such entry point.
  virtual bool CallEntryPoint(std::string_view path, const char* entryPoint) = 0;
};

}  // namespace kestrian::platform
