#pragma once
// The update host's content: a static tree of one version page and one data file per kind,
// which any web server can serve as it stands.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tools/kdefs/definition_validator.h"
#include "tools/kdefs/problem.h"

namespace kestrian::kdefs {

struct PublishedKind {
  DefinitionKind kind;
  std::string source;  // the readable source
  std::int32_t version;
};

struct TreeFile {
  std::string path;  // relative to the tree's root, with forward slashes
  std::string content;
};

struct UpdateTree {
  std::vector<TreeFile> files;  // each data file comes before its version page
  std::vector<Problem> problems;
  bool ok() const { return problems.empty(); }
};

// The page a version is announced with: its visible text is the marker and the number.
std::string VersionPageHtml(std::int32_t version);

// Every kind's source encoded and checked. A kind given twice, a negative version or a
// malformed line is a problem, and then no file is made at all.
UpdateTree MakeUpdateTree(const std::vector<PublishedKind>& kinds);

}  // namespace kestrian::kdefs
