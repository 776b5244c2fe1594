#pragma once
// Up to three generations of each definition file lie in the application folder: the
// holding file a download left ("DL" + name), the installed file, and the file it replaced
// (name + ".previous"). Their versions are kept in section "OptionAndSettings": the kind's
// version key names the newest download (or the installed file), "<key>.installed" the
// installed file and "<key>.previous" the one before it.
#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/application_folder.h"
#include "core/data_files.h"
#include "core/settings_keys.h"
#include "core/settings_store.h"
#include "platform/file_system.h"

namespace kestrian::core {

struct DefinitionFileKind {
  std::string_view file;         // in the application folder
  std::string_view versionKey;   // section "OptionAndSettings"
  std::string_view description;  // in messages: "the new registry definitions"
};

// In the order the start-up installs them.
inline constexpr std::array<DefinitionFileKind, 4> kDefinitionFileKinds = {{
    {data_files::kBlockedCookies, settings::kCookieDefinitionVersion.name, "cookie"},
    {data_files::kRegistryDefinitions, settings::kRegistryDefinitionVersion.name, "registry"},
    {data_files::kFileDefinitions, settings::kFileDefinitionVersion.name, "file"},
    {data_files::kExeDefinitions, settings::kExeDefinitionVersion.name, "executable"},
}};

// "registry", "file", "executable" or "cookie" for a definition file's name.
std::string_view DescriptionOf(std::string_view file);

std::string InstalledVersionKey(std::string_view versionKey);
std::string PreviousVersionKey(std::string_view versionKey);

// Whether a downloaded definition file may replace the installed one.
using DefinitionCheck = std::function<bool(std::string_view fileName, std::string_view content)>;

// A download is about to become the kind's holding file: while no holding file waits, the
// kind's version key still names the installed file, and that is remembered.
void RememberInstalledVersion(platform::FileSystem& files, const ApplicationFolder& folder,
                              SettingsStore& settings, std::string_view file, std::string_view versionKey);

// Each holding file that `check` accepts replaces its definition file, which is kept as the
// previous generation (one replacing move each: at every moment one complete file of each
// kind exists). One that fails, or is too large to read, is renamed with ".rejected", the
// installed file stays and the kind's version key names the installed file again; the kind
// is returned. A holding file that cannot be read or moved now stays for the next start.
std::vector<DefinitionFileKind> InstallHoldingFiles(platform::FileSystem& files, const ApplicationFolder& folder,
                                                    SettingsStore& settings, const DefinitionCheck& check);

// True when some kind has a previous generation.
bool HasPreviousDefinitions(platform::FileSystem& files, const ApplicationFolder& folder);

// Puts the previous generation of every kind that has one back in place, with its version,
// and drops a holding file of that kind that waits for the next start (it would undo the
// rollback). Returns the kinds put back.
std::vector<DefinitionFileKind> RollBackDefinitions(platform::FileSystem& files, const ApplicationFolder& folder,
                                                    SettingsStore& settings);

// "registry", "registry and cookie", "registry, file and cookie".
std::string DescribeKinds(const std::vector<DefinitionFileKind>& kinds);

}  // namespace kestrian::core
