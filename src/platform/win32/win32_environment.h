#pragma once
#include "platform/environment.h"

namespace kestrian::platform::win32 {

class Win32Environment final : public Environment {
 public:
  std::string ExecutablePath() override;
  VersionResource Version() override;
  std::string WindowsFolder() override;
  std::string SystemFolder() override;
  std::vector<DriveInfo> Drives() override;
  std::string SpecialFolderPath(int folderId) override;
  std::optional<std::uint32_t> PlatformId() override;
  std::optional<OsVersion> OperatingSystemVersion() override;
};

}  // namespace kestrian::platform::win32
