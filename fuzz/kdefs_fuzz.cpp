// The definitions tool: encoding a readable source, reading a definition file back, the line
// checks and a signed tree for the update host. Input: one byte choosing the kind (low two
// bits) and the version (the rest, less one), then the source. Oracles: decode(encode(x)) is
// x; the file check finds exactly the lines the line check refuses; a line it accepts is one
// the scanner reads; a published tree passes "kdefs verify" and announces its version.
#include <array>

#include "core/definition_line.h"
#include "core/line_reader.h"
#include "fuzz_support.h"
#include "platform/crypto.h"
#include "scan/cookie_pattern.h"
#include "scan/file_definition.h"
#include "scan/registry_definition.h"
#include "tools/kdefs/definition_encoder.h"
#include "tools/kdefs/definition_validator.h"
#include "tools/kdefs/tree_check.h"
#include "tools/kdefs/update_tree.h"
#include "update/version_page.h"

using namespace kestrian;

namespace {
struct Signing {
  std::unique_ptr<platform::Crypto> crypto = platform::MakeSystemCrypto();
  std::unique_ptr<platform::Signer> signer = platform::MakeSystemSigner();
  platform::P256KeyPair key = *signer->GenerateP256KeyPair();
};

// Made once: a key pair costs far more than a run.
Signing& TheSigning() {
  static Signing signing;
  return signing;
}

void CheckAcceptedLine(kdefs::DefinitionKind kind, std::string_view line) {
  switch (kind) {
    case kdefs::DefinitionKind::kRegistry: FUZZ_CHECK(scan::ParseRegistryDefinition(line)); break;
    case kdefs::DefinitionKind::kFile: FUZZ_CHECK(scan::ParseFileDefinition(line)); break;
    case kdefs::DefinitionKind::kCookie: FUZZ_CHECK(scan::IsUsableCookiePattern(line)); break;
    case kdefs::DefinitionKind::kExe: break;
  }
}

void CheckEncoding(kdefs::DefinitionKind kind, std::string_view source) {
  const std::vector<std::string> lines = kdefs::SplitSourceLines(source);
  const kdefs::EncodedFile encoded = kdefs::EncodeSource(source);
  if (!encoded.ok()) {
    FUZZ_CHECK(encoded.content.empty());
    for (const auto& problem : encoded.problems) {
      FUZZ_CHECK(problem.line >= 1 && static_cast<std::size_t>(problem.line) <= lines.size());
    }
    return;
  }
  FUZZ_CHECK(kdefs::DecodeDefinitionFile(encoded.content) == lines);
  const std::vector<kdefs::Problem> problems = kdefs::ValidateDefinitionFile(kind, encoded.content);
  std::size_t next = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const bool refused = kdefs::ValidateLine(kind, lines[i]).has_value();
    const bool reported = next < problems.size() && static_cast<std::size_t>(problems[next].line) == i + 1;
    FUZZ_CHECK(refused == reported);
    if (reported) ++next;
    if (!refused) CheckAcceptedLine(kind, lines[i]);
  }
  FUZZ_CHECK(next == problems.size());
}

const kdefs::TreeFile* FileAt(const kdefs::UpdateTree& tree, std::string_view path) {
  for (const auto& file : tree.files) {
    if (file.path == path) return &file;
  }
  return nullptr;
}

void CheckPublished(kdefs::DefinitionKind kind, std::string_view source, std::int32_t version) {
  Signing& signing = TheSigning();
  const kdefs::SigningTools tools{*signing.crypto, *signing.signer, signing.key};
  const kdefs::UpdateTree tree = kdefs::MakeSignedUpdateTree({{kind, std::string(source), version}}, {}, tools);
  if (!tree.ok()) {
    FUZZ_CHECK(tree.files.empty());
    return;
  }
  const std::array<update::TrustedKey, 1> keys = {update::TrustedKey{"fuzz", signing.key.publicKey}};
  const auto problems = kdefs::CheckPublishedTree(
      [&](std::string_view path) -> std::optional<std::string> {
        const auto* file = FileAt(tree, path);
        return file ? std::optional<std::string>(file->content) : std::nullopt;
      },
      *signing.crypto, keys);
  FUZZ_CHECK(problems.empty());
  bool announced = false;
  for (const auto& file : tree.files) {
    if (!file.path.ends_with(".HTM")) continue;
    FUZZ_CHECK(update::VersionOfPage(update::PageText(file.content)) == version);
    announced = true;
  }
  FUZZ_CHECK(announced);
}
}  // namespace

KESTRIAN_FUZZ_TARGET {
  if (size == 0) return 0;
  const auto kind = static_cast<kdefs::DefinitionKind>(data[0] & 3);
  const std::int32_t version = (data[0] >> 2) - 1;
  const std::string_view source = fuzz::AsText(data + 1, size - 1);
  TheSigning();  // outside the time check
  CheckEncoding(kind, source);
  CheckPublished(kind, source, version);
  kdefs::ValidateDefinitionFile(kind, source);
  fuzz::LinearOnLargeInput(source, "kdefs", [&](std::string_view large) {
    const kdefs::EncodedFile encoded = kdefs::EncodeSource(large);
    kdefs::DecodeDefinitionFile(encoded.content);
    kdefs::ValidateDefinitionFile(kind, encoded.content);
    kdefs::ValidateDefinitionFile(kind, large);
  });
  return 0;
}
