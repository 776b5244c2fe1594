#pragma once
// The program's entry in the Windows Run key, which "Run at Startup" adds and removes.
#include <string>
#include <string_view>

#include "platform/environment.h"
#include "platform/registry.h"

namespace kestrian::core {

inline constexpr std::string_view kRunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

// The executable's file name without its extension: "Kestrian" for "C:\Apps\Kestrian.exe".
std::string ExecutableTitle(std::string_view executablePath);

// The value under HKEY_LOCAL_MACHINE\<kRunKey>: named after the executable's title, holding
// the executable's full path in quotes.
class StartupEntry {
 public:
  StartupEntry(platform::Registry& registry, platform::Environment& environment);

  const std::string& Name() const { return name_; }
  const std::string& Command() const { return command_; }

  // Creates the Run key when missing and sets the value. Failures (no write access to the
  // machine's part of the registry) are ignored.
  void Write();
  // Deletes the value. Nothing is logged: this is no removal.
  void Remove();

 private:
  platform::Registry& registry_;
  std::string name_;
  std::string command_;
};

}  // namespace kestrian::core
