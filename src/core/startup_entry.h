#pragma once
// The program's entry in the Windows Run key, which "Run at Startup" adds and removes.
#include <string>
#include <string_view>

#include "platform/environment.h"
#include "platform/registry.h"

namespace kestrian::core {

// The same path under HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER.
inline constexpr std::string_view kRunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

// The executable's file name without its extension: "Kestrian" for "C:\Apps\Kestrian.exe".
std::string ExecutableTitle(std::string_view executablePath);

// The value that starts the program at logon: named after the executable's title, holding
// the executable's full path in quotes. It goes under the machine's Run key; where this
// account may not write that key (a standard user), under the current user's, which Windows
// runs at that user's logon as well.
class StartupEntry {
 public:
  StartupEntry(platform::Registry& registry, platform::Environment& environment);

  const std::string& Name() const { return name_; }
  const std::string& Command() const { return command_; }

  // Sets the value in the machine's Run key, else in the user's (each key created when
  // missing); false when both refuse it.
  bool Write();
  // Deletes the value from both Run keys; false while one of them still holds it (a delete
  // refused). Nothing is logged: this is no removal.
  bool Remove();

 private:
  platform::Registry& registry_;
  std::string name_;
  std::string command_;
};

}  // namespace kestrian::core
