#include "setup/packaged_definitions.h"

#include "core/data_files.h"
#include "core/definition_generations.h"
#include "core/file_tests.h"
#include "core/settings_keys.h"
#include "core/text.h"
#include "update/definition_kind.h"

namespace kestrian::setup {

namespace {

bool Present(platform::FileSystem& files, const std::string& path) {
  return core::FindNormalFile(files, path).has_value();
}

// Copies `from` over `to` through a file beside `to`, so `to` is never left half written.
platform::Status CopyInPlace(platform::FileSystem& files, const std::string& from, const std::string& to) {
  const std::string part = to + ".setup";
  platform::Status status = files.Copy(from, part, false);
  if (status == platform::kOk) status = files.MoveReplacing(part, to);
  if (status != platform::kOk) files.Delete(part);
  return status;
}

platform::Status Save(core::SettingsStore& settings, const std::string& key, std::int64_t version) {
  return settings.Save(core::settings::kOptions, key, std::to_string(version));
}

PlacedDefinition Place(platform::FileSystem& files, core::SettingsStore& settings,
                       const core::ApplicationFolder& folder, const update::DefinitionKind& kind,
                       std::int64_t packaged) {
  const std::string file(kind.localFile);
  const std::string installed = folder.FilePath(file);
  const std::string waiting = folder.FilePath(std::string(core::data_files::kDownloadPrefix) + file);
  const auto stored = [&](const std::string& key) {
    return core::ParseNumber(settings.Get(core::settings::kOptions, key, ""));
  };
  // The kind's version names the newest file: the waiting copy when there is one.
  const std::string key(kind.versionKey);
  const std::string installedKey = core::InstalledVersionKey(key);
  const bool waits = Present(files, waiting);
  const auto installedVersion = waits ? stored(installedKey) : stored(key);
  const bool waitingNewer = waits && stored(key).value_or(0) > packaged;
  const bool installedNewer = Present(files, installed) && installedVersion.value_or(0) > packaged;
  PlacedDefinition placed{kind.localFile, Placement::Failed, platform::kOk};
  if (!installedNewer) {
    const std::string from = folder.FilePath(std::string(kPackagedDefinitionsFolder) + "\\" + file);
    placed.status = CopyInPlace(files, from, installed);
    if (placed.status == platform::kOk) placed.status = Save(settings, installedKey, packaged);
  }
  // An older waiting copy would replace the packaged file at the next start.
  if (placed.status == platform::kOk && waits && !waitingNewer) placed.status = files.Delete(waiting);
  if (placed.status == platform::kOk && !waitingNewer) {
    placed.status = Save(settings, key, installedNewer ? *installedVersion : packaged);
  }
  if (placed.status == platform::kOk) {
    placed.placement = installedNewer || waitingNewer ? Placement::KeptNewer : Placement::Packaged;
  }
  return placed;
}

}  // namespace

std::vector<PlacedDefinition> PlacePackagedDefinitions(platform::FileSystem& files,
                                                       core::SettingsStore& settings,
                                                       const core::ApplicationFolder& folder,
                                                       const PackagedVersions& versions) {
  std::vector<PlacedDefinition> placed;
  for (std::size_t i = 0; i < update::kDefinitionKinds.size(); ++i) {
    placed.push_back(Place(files, settings, folder, update::kDefinitionKinds[i], versions[i]));
  }
  return placed;
}

}  // namespace kestrian::setup
