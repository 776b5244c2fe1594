#include "platform/win32/win32_environment.h"

#include <windows.h>

#include <shlobj.h>
#include <winver.h>

#include <cstdio>
#include <string>

namespace kestrian::platform::win32 {

namespace {
// A version-resource string of the first translation, or empty.
std::string VersionString(const std::string& block, const char* name) {
  struct Translation {
    WORD language;
    WORD codePage;
  };
  Translation* translations = nullptr;
  UINT size = 0;
  void* data = const_cast<char*>(block.data());
  if (!::VerQueryValueA(data, "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations),
                        &size) ||
      size < sizeof(Translation)) {
    return {};
  }
  char query[96];
  std::snprintf(query, sizeof query, "\\StringFileInfo\\%04x%04x\\%s",
                translations[0].language, translations[0].codePage, name);
  char* value = nullptr;
  if (!::VerQueryValueA(data, query, reinterpret_cast<void**>(&value), &size) || size == 0) {
    return {};
  }
  return std::string(value, size - 1);  // size counts the terminator
}

std::string FolderFrom(UINT (*getter)(LPSTR, UINT)) {
  char buffer[MAX_PATH + 1] = {};
  const UINT length = getter(buffer, MAX_PATH);
  return (length == 0 || length > MAX_PATH) ? std::string() : std::string(buffer, length);
}

DriveType TypeOf(UINT type) {
  switch (type) {
    case DRIVE_NO_ROOT_DIR: return DriveType::NoRootDirectory;
    case DRIVE_REMOVABLE: return DriveType::Removable;
    case DRIVE_FIXED: return DriveType::Fixed;
    case DRIVE_REMOTE: return DriveType::Remote;
    case DRIVE_CDROM: return DriveType::CdRom;
    case DRIVE_RAMDISK: return DriveType::RamDisk;
    default: return DriveType::Unknown;
  }
}
}  // namespace

std::string Win32Environment::ExecutablePath() {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    const DWORD length = ::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

VersionResource Win32Environment::Version() {
  VersionResource version;
  const std::string exe = ExecutablePath();
  DWORD ignored = 0;
  const DWORD size = ::GetFileVersionInfoSizeA(exe.c_str(), &ignored);
  if (size == 0) return version;
  std::string block(size, '\0');
  if (!::GetFileVersionInfoA(exe.c_str(), 0, size, block.data())) return version;
  version.productName = VersionString(block, "ProductName");
  version.companyName = VersionString(block, "CompanyName");
  version.comments = VersionString(block, "Comments");
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT fixedSize = 0;
  if (::VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &fixedSize) &&
      fixedSize >= sizeof(VS_FIXEDFILEINFO)) {
    version.major = HIWORD(fixed->dwFileVersionMS);
    version.minor = LOWORD(fixed->dwFileVersionMS);
  }
  return version;
}

std::string Win32Environment::WindowsFolder() { return FolderFrom(&::GetWindowsDirectoryA); }

std::string Win32Environment::SystemFolder() { return FolderFrom(&::GetSystemDirectoryA); }

std::vector<DriveInfo> Win32Environment::Drives() {
  std::vector<DriveInfo> drives;
  const DWORD mask = ::GetLogicalDrives();
  for (int i = 0; i < 26; ++i) {
    if ((mask & (1u << i)) == 0) continue;
    const char letter = static_cast<char>('A' + i);
    const char root[] = {letter, ':', '\\', '\0'};
    DriveInfo drive{letter, TypeOf(::GetDriveTypeA(root)), false};
    if (drive.type == DriveType::Fixed) {
      // A fixed disk is ready when its volume can be queried (no error box for empty drives).
      const UINT oldMode = ::SetErrorMode(SEM_FAILCRITICALERRORS);
      drive.ready = ::GetVolumeInformationA(root, nullptr, 0, nullptr, nullptr, nullptr, nullptr, 0);
      ::SetErrorMode(oldMode);
    }
    drives.push_back(drive);
  }
  return drives;
}

std::string Win32Environment::SpecialFolderPath(int folderId) {
  char buffer[1024] = {};
  if (!::SHGetSpecialFolderPathA(nullptr, buffer, folderId, FALSE)) return {};
  return std::string(buffer);  // up to the first zero character
}

std::optional<std::uint32_t> Win32Environment::PlatformId() {
  const auto version = OperatingSystemVersion();
  if (!version) return std::nullopt;
  return version->platformId;
}

std::optional<OsVersion> Win32Environment::OperatingSystemVersion() {
  OSVERSIONINFOEXA info{};
  info.dwOSVersionInfoSize = sizeof info;
  if (!::GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info))) return std::nullopt;
  return OsVersion{info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion};
}

}  // namespace kestrian::platform::win32
