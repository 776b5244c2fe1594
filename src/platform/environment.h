#pragma once
// Facts about the running program and the machine: where the executable lies, its version
// resource, the Windows folders and the drives.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kestrian::platform {

// Shell special folders by their CSIDL numbers.
namespace special_folders {
inline constexpr int kPrograms = 2;    // the user's Start-menu Programs folder
inline constexpr int kDesktop = 16;    // the user's desktop folder
inline constexpr int kCookies = 33;    // the user's Internet Explorer cookies
}  // namespace special_folders

// Operating system families by the platform id of the version record.
namespace platform_ids {
inline constexpr std::uint32_t kWindows9x = 1;
inline constexpr std::uint32_t kWindowsNt = 2;
}  // namespace platform_ids

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

// The operating system's version record.
struct OsVersion {
  std::uint32_t platformId = 0;
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
  bool operator==(const OsVersion&) const = default;
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
  // A shell special folder as the shell gives it (no trailing backslash added), or empty.
  virtual std::string SpecialFolderPath(int folderId) = 0;
  // The platform id of the operating system's version record, or nothing when it cannot
  // be read.
  virtual std::optional<std::uint32_t> PlatformId() = 0;
  // The whole version record, or nothing when it cannot be read.
  virtual std::optional<OsVersion> OperatingSystemVersion() = 0;
};

}  // namespace kestrian::platform
