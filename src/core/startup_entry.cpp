#include "core/startup_entry.h"

#include "core/registry_access.h"

namespace kestrian::core {

std::string ExecutableTitle(std::string_view executablePath) {
  const auto slash = executablePath.find_last_of('\\');
  std::string_view name =
      slash == std::string_view::npos ? executablePath : executablePath.substr(slash + 1);
  if (const auto dot = name.find_last_of('.'); dot != std::string_view::npos) {
    name = name.substr(0, dot);
  }
  return std::string(name);
}

// The whole path in quotes: unquoted, a path with spaces ("C:\Program Files\...") would be
// tried from its first space on ("C:\Program.exe"), and without ".exe" a file of the bare
// name would be found first.
StartupEntry::StartupEntry(platform::Registry& registry, platform::Environment& environment)
    : registry_(registry), name_(ExecutableTitle(environment.ExecutablePath())) {
  command_ = '"';
  command_ += environment.ExecutablePath();
  command_ += '"';
}

void StartupEntry::Write() {
  SetValue(registry_, platform::roots::kLocalMachine, kRunKey, name_, command_);
}

void StartupEntry::Remove() {
  registry_.DeleteValue(platform::roots::kLocalMachine, kRunKey, name_);
}

}  // namespace kestrian::core
