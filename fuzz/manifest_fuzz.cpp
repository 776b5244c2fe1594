// The signed manifest of the update host. Oracles: a manifest read is written back to a
// text that reads as the same manifest, with no name twice and no negative version; any
// manifest with a signature that is not the key's is refused.
#include <array>
#include <set>

#include "fuzz_support.h"
#include "platform/crypto.h"
#include "update/manifest.h"

using namespace kestrian;

namespace {
struct Keys {
  std::unique_ptr<platform::Crypto> crypto = platform::MakeSystemCrypto();
  platform::P256KeyPair key = *platform::MakeSystemSigner()->GenerateP256KeyPair();
};

// Made once: a key pair costs far more than a run.
Keys& TheKeys() {
  static Keys keys;
  return keys;
}
}  // namespace

KESTRIAN_FUZZ_TARGET {
  const std::string_view input = fuzz::AsText(data, size);
  Keys& keys = TheKeys();
  const auto manifest = update::ParseManifest(input);
  if (manifest) {
    const std::string text = update::FormatManifest(*manifest);
    const auto again = update::ParseManifest(text);
    FUZZ_CHECK(again && again->entries == manifest->entries);
    std::set<std::string> names;
    for (const auto& entry : manifest->entries) {
      FUZZ_CHECK(entry.version >= 0);
      FUZZ_CHECK(names.insert(entry.file).second);
      FUZZ_CHECK(manifest->Find(entry.file) == &entry);
    }
  }
  // The text with the input's first 64 bytes as its signature: never one of the key's.
  const std::array<update::TrustedKey, 1> trusted = {update::TrustedKey{"fuzz", keys.key.publicKey}};
  FUZZ_CHECK(!update::VerifiedManifest(*keys.crypto, input, input.substr(0, 64), trusted));
  fuzz::LinearOnLargeInput(input, "manifest", [](std::string_view large) { update::ParseManifest(large); });
  return 0;
}
