#include "tools/kdefs/tree_check.h"

#include "tools/kdefs/definition_validator.h"
#include "update/definition_kind.h"
#include "update/manifest.h"
#include "update/version_page.h"

namespace kestrian::kdefs {

namespace {
using ReadFile = std::function<std::optional<std::string>(std::string_view path)>;

void CheckKind(std::size_t index, const update::Manifest& manifest, const ReadFile& readFile,
               platform::Crypto& crypto, std::vector<std::string>& problems) {
  const update::DefinitionKind& kind = update::kDefinitionKinds[index];
  const std::string_view pagePath = kind.versionPagePath.substr(1);
  const update::ManifestEntry* entry = manifest.Find(kind.localFile);
  const auto page = readFile(pagePath);
  if (!page) {
    if (entry != nullptr) problems.push_back(std::string(pagePath) + ": missing");
    return;
  }
  const auto version = update::VersionOfPage(update::PageText(*page));
  if (entry == nullptr) {
    problems.push_back(std::string(kind.localFile) + ": not in the manifest");
    return;
  }
  if (version != entry->version) {
    problems.push_back(std::string(pagePath) + ": announces another version than the manifest's " +
                       std::to_string(entry->version));
  }
  const auto data = readFile(kind.dataPath.substr(1));
  if (!data || data->size() != entry->size || crypto.Sha256(*data) != entry->sha256) {
    problems.push_back(std::string(kind.dataPath.substr(1)) + ": missing, or not the file the manifest names");
    return;
  }
  for (const Problem& problem : ValidateDefinitionFile(static_cast<DefinitionKind>(index), *data)) {
    problems.push_back(std::string(kind.localFile) + ":" + std::to_string(problem.line) + ": " + problem.message);
  }
}
}  // namespace

std::vector<std::string> CheckPublishedTree(const ReadFile& readFile, platform::Crypto& crypto,
                                            std::span<const update::TrustedKey> keys) {
  std::vector<std::string> problems;
  const auto text = readFile(update::kManifestPath.substr(1));
  const auto signature = readFile(update::kManifestSignaturePath.substr(1));
  if (!text || !signature) return {"no manifest with its signature"};
  const auto manifest = update::VerifiedManifest(crypto, *text, *signature, keys);
  if (!manifest) return {"the manifest is not signed by a trusted key, or is no manifest"};
  for (std::size_t index = 0; index < update::kDefinitionKinds.size(); ++index) {
    CheckKind(index, *manifest, readFile, crypto, problems);
  }
  return problems;
}

}  // namespace kestrian::kdefs
