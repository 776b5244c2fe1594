#pragma once
#include "platform/system_restore.h"

namespace kestrian::platform::win32 {

class Win32SystemRestore final : public SystemRestore {
 public:
  std::optional<std::int64_t> SetRestorePoint(const RestorePointRequest& request) override;
};

class Win32Libraries final : public Libraries {
 public:
  bool CallEntryPoint(std::string_view path, const char* entryPoint) override;
};

}  // namespace kestrian::platform::win32
