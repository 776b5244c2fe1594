#include "core/startup_entry.h"

#include "core/registry_access.h"

namespace kestrian::core {

namespace {
// The machine's first: there the entry starts the program for every user.
constexpr platform::RootKey kRunKeyRoots[] = {platform::roots::kLocalMachine,
                                              platform::roots::kCurrentUser};
}  // namespace

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

bool StartupEntry::Write() {
  for (const platform::RootKey root : kRunKeyRoots) {
    if (SetValue(registry_, root, kRunKey, name_, command_) == platform::kOk) return true;
  }
  return false;
}

bool StartupEntry::Remove() {
  bool removed = true;
  for (const platform::RootKey root : kRunKeyRoots) {
    if (registry_.DeleteValue(root, kRunKey, name_) == platform::kOk) continue;
    // A refused delete matters only where the value is there to start the program.
    platform::RegistryValue value;
    if (registry_.QueryValue(root, kRunKey, platform::key_access::kQueryValue, name_, value) ==
        platform::kOk) {
      removed = false;
    }
  }
  return removed;
}

}  // namespace kestrian::core
