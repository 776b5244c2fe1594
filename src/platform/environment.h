#pragma once
// Facts about the running program and the machine: where the executable lies, its version
// resource, the Windows folders and the drives.
#include <cstdint>
#include <string>
#include <vector>

namespace kestrian::platform {

enum class DriveType { Unknown, NoRootDirectory, Removable, Fixed, Remote, CdRom, RamDisk };

struct DriveInfo {
  char letter = 'C';
  DriveType type = DriveType::Unknown;
  bool ready = false;
};

// Fields of the executable's version resource.
struct VersionResource {
  std::string productName;
  std::string companyName;
  std::string comments;
  int major = 0;
  int minor = 0;
};

class Environment {
 public:
  virtual ~Environment() = default;

  // Full path of the running executable.
  virtual std::string ExecutablePath() = 0;
  virtual VersionResource Version() = 0;
  // The Windows folder and the system folder, without a trailing backslash.
  virtual std::string WindowsFolder() = 0;
  virtual std::string SystemFolder() = 0;
  // The drives the system reports, in its order.
  virtual std::vector<DriveInfo> Drives() = 0;
};

}  // namespace kestrian::platform
