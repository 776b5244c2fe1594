#include "core/definition_generations.h"

#include "core/definition_files.h"
#include "core/file_tests.h"
#include "core/settings_keys.h"

namespace kestrian::core {

namespace {
struct Paths {
  std::string installed;
  std::string holding;
  std::string previous;
};

Paths PathsOf(const ApplicationFolder& folder, const DefinitionFileKind& kind) {
  const std::string name(kind.file);
  return {folder.FilePath(name), folder.FilePath(std::string(data_files::kDownloadPrefix) + name),
          folder.FilePath(name + std::string(data_files::kPreviousSuffix))};
}

std::string Stored(const SettingsStore& settings, std::string_view key) {
  return settings.Get(settings::kOptions, key, "0");
}

// Copies the installed file to the previous generation, through a name of its own so that a
// half-made copy never passes for one. True when there was a file and it was kept.
bool KeepAsPrevious(platform::FileSystem& files, const Paths& paths) {
  if (!FindNormalFile(files, paths.installed)) return false;
  const std::string part = paths.previous + ".part";
  if (files.Copy(paths.installed, part, false) == platform::kOk &&
      files.MoveReplacing(part, paths.previous) == platform::kOk) {
    return true;
  }
  files.Delete(part);
  return false;
}

// The holding file goes aside, and the kind's version names the installed file again, so
// that the next update fetches the kind anew.
void SetAside(platform::FileSystem& files, SettingsStore& settings, const Paths& paths,
              const DefinitionFileKind& kind) {
  if (files.MoveReplacing(paths.holding, paths.holding + std::string(data_files::kRejectedSuffix)) != platform::kOk) {
    files.Delete(paths.holding);
  }
  const std::string installedKey = InstalledVersionKey(kind.versionKey);
  const std::string installed = settings.Get(settings::kOptions, installedKey, "");
  if (!installed.empty()) settings.Save(settings::kOptions, kind.versionKey, installed);
}

// True when the holding file was set aside.
bool InstallOne(platform::FileSystem& files, SettingsStore& settings, const Paths& paths,
                const DefinitionFileKind& kind, const DefinitionCheck& check) {
  if (!FindNormalFile(files, paths.holding)) return false;
  const auto content = ReadDefinitionFile(files, paths.holding);
  if (!content.ok() && content.status() != platform::kFileTooLarge) return false;  // next start
  if (!content.ok() || !check(kind.file, content.value())) {
    SetAside(files, settings, paths, kind);
    return true;
  }
  const std::string installedKey = InstalledVersionKey(kind.versionKey);
  if (KeepAsPrevious(files, paths)) {
    settings.Save(settings::kOptions, PreviousVersionKey(kind.versionKey), Stored(settings, installedKey));
  }
  // A failed move leaves both files as they were; the copy is tried again next start.
  if (files.MoveReplacing(paths.holding, paths.installed) == platform::kOk) {
    settings.Save(settings::kOptions, installedKey, Stored(settings, kind.versionKey));
  }
  return false;
}
}  // namespace

std::string_view DescriptionOf(std::string_view file) {
  for (const DefinitionFileKind& kind : kDefinitionFileKinds) {
    if (kind.file == file) return kind.description;
  }
  return file;
}

std::string InstalledVersionKey(std::string_view versionKey) { return std::string(versionKey) + ".installed"; }
std::string PreviousVersionKey(std::string_view versionKey) { return std::string(versionKey) + ".previous"; }

void RememberInstalledVersion(platform::FileSystem& files, const ApplicationFolder& folder,
                              SettingsStore& settings, std::string_view file, std::string_view versionKey) {
  if (FindNormalFile(files, folder.FilePath(std::string(data_files::kDownloadPrefix) + std::string(file)))) return;
  settings.Save(settings::kOptions, InstalledVersionKey(versionKey), Stored(settings, versionKey));
}

std::vector<DefinitionFileKind> InstallHoldingFiles(platform::FileSystem& files, const ApplicationFolder& folder,
                                                    SettingsStore& settings, const DefinitionCheck& check) {
  std::vector<DefinitionFileKind> rejected;
  for (const DefinitionFileKind& kind : kDefinitionFileKinds) {
    if (InstallOne(files, settings, PathsOf(folder, kind), kind, check)) rejected.push_back(kind);
  }
  return rejected;
}

bool HasPreviousDefinitions(platform::FileSystem& files, const ApplicationFolder& folder) {
  for (const DefinitionFileKind& kind : kDefinitionFileKinds) {
    if (FindNormalFile(files, PathsOf(folder, kind).previous)) return true;
  }
  return false;
}

std::vector<DefinitionFileKind> RollBackDefinitions(platform::FileSystem& files, const ApplicationFolder& folder,
                                                    SettingsStore& settings) {
  std::vector<DefinitionFileKind> restored;
  for (const DefinitionFileKind& kind : kDefinitionFileKinds) {
    const Paths paths = PathsOf(folder, kind);
    if (!FindNormalFile(files, paths.previous)) continue;
    if (files.MoveReplacing(paths.previous, paths.installed) != platform::kOk) continue;
    const std::string version = Stored(settings, PreviousVersionKey(kind.versionKey));
    settings.Save(settings::kOptions, kind.versionKey, version);
    settings.Save(settings::kOptions, InstalledVersionKey(kind.versionKey), version);
    files.Delete(paths.holding);
    restored.push_back(kind);
  }
  return restored;
}

std::string DescribeKinds(const std::vector<DefinitionFileKind>& kinds) {
  std::string text;
  for (std::size_t i = 0; i < kinds.size(); ++i) {
    if (i > 0) text += i + 1 == kinds.size() ? " and " : ", ";
    text += kinds[i].description;
  }
  return text;
}

}  // namespace kestrian::core
