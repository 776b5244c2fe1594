#include "tools/kdefs/update_tree.h"

#include <set>

#include "tools/kdefs/definition_encoder.h"

namespace kestrian::kdefs {

namespace {
struct KindPaths {
  std::string_view versionPage;
  std::string_view dataFile;
};

KindPaths PathsOf(DefinitionKind kind) {
  switch (kind) {
    case DefinitionKind::kRegistry: return {"definitions/version/R.HTM", "definitions/data/RegistryDefinition.dat"};
    case DefinitionKind::kFile: return {"definitions/version/F.HTM", "definitions/data/FileDefinition.dat"};
    case DefinitionKind::kExe: return {"definitions/version/E.HTM", "definitions/data/ExeDefinition.dat"};
    case DefinitionKind::kCookie: return {"definitions/version/C.HTM", "definitions/data/BlockedCookies.dat"};
  }
  return {};
}

void AddProblems(UpdateTree& tree, std::string_view dataFile, const std::vector<Problem>& problems) {
  for (const Problem& problem : problems) {
    tree.problems.push_back({problem.line, std::string(dataFile) + ": " + problem.message});
  }
}
}  // namespace

std::string VersionPageHtml(std::int32_t version) {
  return "<html><head><meta http-equiv=\"Cache-Control\" content=\"no-cache\"></head>"
         "<body>Defination version : " +
         std::to_string(version) + "</body></html>\r\n";
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
