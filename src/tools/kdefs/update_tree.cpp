#include "tools/kdefs/update_tree.h"

#include <set>

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

}  // namespace kestrian::kdefs
