#include "setup/packaged_definitions.h"

#include "core/data_files.h"
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

PlacedDefinition Place(platform::FileSystem& files, core::SettingsStore& settings,
                       const core::ApplicationFolder& folder, const update::DefinitionKind& kind,
                       std::int64_t packagedVersion) {
  const std::string file(kind.localFile);
  const std::string installed = folder.FilePath(file);
  const std::string waiting = folder.FilePath(std::string(core::data_files::kDownloadPrefix) + file);
  const auto stored = core::ParseNumber(settings.Get(core::settings::kOptions, kind.versionKey, "0"));
  const bool newer = stored && *stored > packagedVersion;
  const bool keepInstalled = newer && Present(files, installed);
  const bool keepWaiting = newer && Present(files, waiting);
  PlacedDefinition placed{kind.localFile, Placement::Failed, platform::kOk};
  if (!keepInstalled) {
    const std::string packaged =
        folder.FilePath(std::string(kPackagedDefinitionsFolder) + "\\" + file);
    placed.status = CopyInPlace(files, packaged, installed);
    if (placed.status != platform::kOk) return placed;
  }
  if (keepInstalled || keepWaiting) {
    placed.placement = Placement::KeptNewer;
    return placed;
  }
  // An older waiting copy would replace the packaged file at the next start.
  if (Present(files, waiting)) placed.status = files.Delete(waiting);
  if (placed.status == platform::kOk) {
    placed.status = settings.Save(core::settings::kOptions, kind.versionKey, std::to_string(packagedVersion));
  }
  if (placed.status == platform::kOk) placed.placement = Placement::Packaged;
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
