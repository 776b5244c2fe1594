#include "tools/kdefs/update_tree.h"

#include <algorithm>
#include <set>

#include "core/data_files.h"
#include "tools/kdefs/definition_encoder.h"
#include "update/definition_kind.h"
#include "update/version_page.h"

namespace kestrian::kdefs {

namespace {
struct KindPaths {
  std::string_view versionPage;
  std::string_view dataFile;
};

// The kinds are numbered in the order Live Update checks them.
static_assert(update::kDefinitionKinds[static_cast<std::size_t>(DefinitionKind::kRegistry)].localFile ==
              core::data_files::kRegistryDefinitions);
static_assert(update::kDefinitionKinds[static_cast<std::size_t>(DefinitionKind::kFile)].localFile ==
              core::data_files::kFileDefinitions);
static_assert(update::kDefinitionKinds[static_cast<std::size_t>(DefinitionKind::kExe)].localFile ==
              core::data_files::kExeDefinitions);
static_assert(update::kDefinitionKinds[static_cast<std::size_t>(DefinitionKind::kCookie)].localFile ==
              core::data_files::kBlockedCookies);

// Where Live Update looks for the kind, relative to the tree's root.
KindPaths PathsOf(DefinitionKind kind) {
  const auto& paths = update::kDefinitionKinds[static_cast<std::size_t>(kind)];
  return {paths.versionPagePath.substr(1), paths.dataPath.substr(1)};
}

void AddProblems(UpdateTree& tree, std::string_view dataFile, const std::vector<Problem>& problems) {
  for (const Problem& problem : problems) {
    tree.problems.push_back({problem.line, std::string(dataFile) + ": " + problem.message});
  }
}
}  // namespace

std::string VersionPageHtml(std::int32_t version) {
  std::string page = "<html><head><meta http-equiv=\"Cache-Control\" content=\"no-cache\"></head><body>";
  page += update::kVersionMarker;
  page += ' ';
  page += std::to_string(version);
  page += "</body></html>\r\n";
  return page;
}

UpdateTree MakeUpdateTree(const std::vector<PublishedKind>& kinds) {
  UpdateTree tree;
  std::set<DefinitionKind> seen;
  for (const PublishedKind& published : kinds) {
    const KindPaths paths = PathsOf(published.kind);
    if (!seen.insert(published.kind).second) {
      tree.problems.push_back({0, std::string(paths.dataFile) + ": given more than once"});
      continue;
    }
    if (published.version < 0) {
      tree.problems.push_back({0, std::string(paths.dataFile) + ": the version must not be negative"});
      continue;
    }
    EncodedFile encoded = EncodeSource(published.source);
    if (!encoded.ok()) {
      AddProblems(tree, paths.dataFile, encoded.problems);
      continue;
    }
    if (encoded.content.size() > core::data_files::kMaxDefinitionFileBytes) {
      tree.problems.push_back({0, std::string(paths.dataFile) + ": larger than the 64 MiB the program accepts"});
      continue;
    }
    const std::vector<Problem> malformed = ValidateDefinitionFile(published.kind, encoded.content);
    if (!malformed.empty()) {
      AddProblems(tree, paths.dataFile, malformed);
      continue;
    }
    tree.files.push_back({std::string(paths.dataFile), std::move(encoded.content)});
    tree.files.push_back({std::string(paths.versionPage), VersionPageHtml(published.version)});
  }
  if (!tree.ok()) tree.files.clear();
  return tree;
}

namespace {
std::string_view FileName(std::string_view path) { return path.substr(path.rfind('/') + 1); }

// In the order Live Update checks the kinds.
std::size_t KindOrder(std::string_view file) {
  std::size_t order = 0;
  while (order < update::kDefinitionKinds.size() && update::kDefinitionKinds[order].localFile != file) ++order;
  return order;
}

std::optional<update::ManifestEntry> EntryOf(const PublishedKind& published, const UpdateTree& tree,
                                             platform::Crypto& crypto) {
  const std::string_view dataPath = PathsOf(published.kind).dataFile;
  for (const TreeFile& file : tree.files) {
    if (file.path != dataPath) continue;
    const auto sha256 = crypto.Sha256(file.content);
    if (!sha256) return std::nullopt;
    return update::ManifestEntry{std::string(FileName(dataPath)), published.version, file.content.size(), *sha256};
  }
  return std::nullopt;
}
}  // namespace

UpdateTree MakeSignedUpdateTree(const std::vector<PublishedKind>& kinds,
                                const std::vector<update::ManifestEntry>& carried, const SigningTools& tools) {
  UpdateTree tree = MakeUpdateTree(kinds);
  if (!tree.ok()) return tree;
  update::Manifest manifest;
  for (const PublishedKind& published : kinds) {
    auto entry = EntryOf(published, tree, tools.crypto);
    if (!entry) tree.problems.push_back({0, "the data files could not be hashed"});
    if (entry) manifest.entries.push_back(std::move(*entry));
  }
  for (const update::ManifestEntry& entry : carried) {
    if (manifest.Find(entry.file) == nullptr) manifest.entries.push_back(entry);
  }
  std::stable_sort(manifest.entries.begin(), manifest.entries.end(), [](const auto& a, const auto& b) {
    return KindOrder(a.file) < KindOrder(b.file);
  });
  const std::string text = update::FormatManifest(manifest);
  const auto signature = tools.signer.SignP256(text, tools.key);
  // A key file whose halves do not belong together makes signatures nobody can check.
  if (!signature || !tools.crypto.VerifyP256(text, tools.key.publicKey, *signature)) {
    tree.problems.push_back({0, "the manifest could not be signed with this key"});
  }
  if (!tree.ok()) {
    tree.files.clear();
    return tree;
  }
  std::stable_partition(tree.files.begin(), tree.files.end(),
                        [](const TreeFile& file) { return file.path.starts_with("definitions/data/"); });
  const auto pages = std::find_if(tree.files.begin(), tree.files.end(),
                                  [](const TreeFile& file) { return !file.path.starts_with("definitions/data/"); });
  tree.files.insert(pages, {{std::string(update::kManifestPath.substr(1)), text},
                            {std::string(update::kManifestSignaturePath.substr(1)),
                             std::string(signature->begin(), signature->end())}});
  return tree;
}

std::vector<update::ManifestEntry> CarriedEntries(
    std::string_view manifest, std::string_view signature,
    const std::function<std::optional<std::string>(std::string_view file)>& readDataFile,
    platform::Crypto& crypto, const platform::P256PublicKey& key) {
  const update::TrustedKey signer{"publisher", key};
  const auto verified = update::VerifiedManifest(crypto, manifest, signature, {&signer, 1});
  std::vector<update::ManifestEntry> carried;
  if (!verified) return carried;
  for (const update::ManifestEntry& entry : verified->entries) {
    const auto content = readDataFile(entry.file);
    if (!content || content->size() != entry.size || crypto.Sha256(*content) != entry.sha256) continue;
    carried.push_back(entry);
  }
  return carried;
}

}  // namespace kestrian::kdefs
