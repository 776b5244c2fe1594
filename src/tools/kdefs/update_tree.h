#pragma once
// The update host's content: a static tree of one version page and one data file per kind,
// which any web server can serve as it stands.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/kdefs/definition_validator.h"
#include "tools/kdefs/problem.h"
#include "platform/crypto.h"
#include "update/manifest.h"

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

// Every kind's source encoded and checked. A kind given twice, a negative version, a
// malformed line or a file larger than the program accepts is a problem, and then no file
// is made at all.
UpdateTree MakeUpdateTree(const std::vector<PublishedKind>& kinds);

struct SigningTools {
  platform::Crypto& crypto;
  platform::Signer& signer;
  const platform::P256KeyPair& key;
};

// MakeUpdateTree's files with the signed manifest of their data files and of `carried`
// (kinds published earlier that stay as they are): the data files first, then MANIFEST.TXT
// and MANIFEST.SIG, then the version pages, so that no page announces what is not there.
UpdateTree MakeSignedUpdateTree(const std::vector<PublishedKind>& kinds,
                                const std::vector<update::ManifestEntry>& carried, const SigningTools& tools);

// The entries of a manifest already on the host that `key` signed and whose data files
// there still match them; `readDataFile` gives a data file's bytes by name.
std::vector<update::ManifestEntry> CarriedEntries(
    std::string_view manifest, std::string_view signature,
    const std::function<std::optional<std::string>(std::string_view file)>& readDataFile,
    platform::Crypto& crypto, const platform::P256PublicKey& key);

}  // namespace kestrian::kdefs
