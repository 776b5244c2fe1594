#pragma once
// The four phases a scan session runs, each implemented by its scanner.
#include <cstdint>

namespace kestrian::scan {

class CookieScan {
 public:
  virtual ~CookieScan() = default;
  // Raises `cookieFileCount` by one per cookie file looked at.
  virtual void ScanCookies(std::int32_t& cookieFileCount) = 0;
};

class ProcessScan {
 public:
  virtual ~ProcessScan() = default;
  virtual void ScanRunningProcesses() = 0;
};

class RegistryScan {
 public:
  virtual ~RegistryScan() = default;
  virtual void ScanRegistryDefinitions() = 0;
};

class FileScan {
 public:
  virtual ~FileScan() = default;
  virtual void ScanFileDefinitions() = 0;
};

struct ScanPhases {
  CookieScan& cookies;
  ProcessScan& processes;
  RegistryScan& registry;
  FileScan& files;
};

}  // namespace kestrian::scan
