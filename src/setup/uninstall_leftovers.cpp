#include "setup/uninstall_leftovers.h"

#include <utility>

#include "core/data_files.h"
#include "core/registry_access.h"
#include "core/restart_helper.h"
#include "core/startup_entry.h"
#include "core/text.h"

namespace kestrian::setup {

namespace {

// The command of a Run value without its quotes: `"C:\App\Kestrian.exe" /x` gives
// `C:\App\Kestrian.exe" /x` cut at the closing quote.
std::string_view CommandPath(std::string_view command) {
  command = core::Trim(command);
  if (!command.empty() && command.front() == '"') {
    command.remove_prefix(1);
    command = command.substr(0, command.find('"'));
  }
  return command;
}

}  // namespace

std::vector<LeftoverFailure> RemoveDefinitionFiles(platform::FileSystem& files,
                                                   const core::ApplicationFolder& folder) {
  using namespace core::data_files;
  std::vector<LeftoverFailure> failures;
  for (std::string_view name :
       {kRegistryDefinitions, kFileDefinitions, kExeDefinitions, kBlockedCookies}) {
    std::string pattern = "*";
    pattern.append(name).append("*");
    for (const auto& entry : files.Find(folder.FilePath(pattern))) {
      if ((entry.attributes & platform::attributes::kDirectory) != 0) continue;
      const std::string path = folder.FilePath(entry.name);
      if (const auto status = files.Delete(path); status != platform::kOk) {
        failures.push_back({path, status});
      }
    }
  }
  return failures;
}

std::vector<LeftoverFailure> RemoveStartupValues(platform::Registry& registry,
                                                 const core::ApplicationFolder& folder) {
  const std::string name = core::ExecutableTitle(core::kDefaultProgramFile);
  const std::string inFolder = folder.Path() + "\\";
  std::vector<LeftoverFailure> failures;
  const std::pair<platform::RootKey, std::string_view> runKeys[] = {
      {platform::roots::kLocalMachine, "HKEY_LOCAL_MACHINE"},
      {platform::roots::kCurrentUser, "HKEY_CURRENT_USER"}};
  for (const auto& [root, rootName] : runKeys) {
    // Read with the query right alone: a user who may not change the key still learns of
    // the value, and a refused delete is reported.
    platform::RegistryValue value;
    std::string command;
    if (registry.QueryValue(root, core::kRunKey, platform::key_access::kQueryValue, name, value) !=
            platform::kOk ||
        core::RegistryValueText(value, command) != platform::kOk) {
      continue;
    }
    if (!core::StartsWithIgnoringCase(CommandPath(command), inFolder)) continue;
    if (const auto status = registry.DeleteValue(root, core::kRunKey, name); status != platform::kOk) {
      failures.push_back({std::string(rootName) + "\\" + std::string(core::kRunKey) + "\\" + name, status});
    }
  }
  return failures;
}

}  // namespace kestrian::setup
