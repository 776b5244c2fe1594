#pragma once
// Manifests as "kdefs publish" signs them, with the tests' own key (tests/signing_key), which
// development and test builds trust.
#include <fstream>
#include <sstream>
#include <string>

#include "platform/crypto.h"
#include "tools/kdefs/signing_key.h"
#include "update/manifest.h"

namespace kestrian::testing {

inline platform::P256KeyPair TestSigningKey() {
  std::ifstream in(KESTRIAN_TEST_SIGNING_KEY);
  std::ostringstream text;
  text << in.rdbuf();
  return kdefs::ParsePrivateKeyFile(text.str()).value();
}

inline update::ManifestEntry EntryFor(std::string file, std::int32_t version, std::string_view bytes) {
  return {std::move(file), version, bytes.size(), platform::MakeSystemCrypto()->Sha256(bytes).value()};
}

// The signature's 64 bytes, as MANIFEST.SIG holds them.
inline std::string Sign(std::string_view text, const platform::P256KeyPair& key = TestSigningKey()) {
  const platform::P256Signature signature = platform::MakeSystemSigner()->SignP256(text, key).value();
  return std::string(signature.begin(), signature.end());
}

}  // namespace kestrian::testing
