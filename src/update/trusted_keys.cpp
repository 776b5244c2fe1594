#include "update/trusted_keys.h"

#include <array>

#include "core/hex.h"

namespace kestrian::update {

namespace {
// A key's X and Y as "kdefs keygen" prints them; a typing error stops the build.
consteval platform::P256PublicKey PublicKey(std::string_view hex) { return core::FromHex<64>(hex).value(); }

constexpr TrustedKey kPublisherKey{
    "Kestrian publisher key 1",
    PublicKey("dd8ab4750bde7c4b5edb8590202a2130ebcb24ccf0978da71c13ae38be3ea908"
              "635379eb0de2cb93cc28474e0c199d111a11391dbdec1889f0d7033f48bf51b1")};

#ifdef KESTRIAN_TRUST_TEST_KEY
// Its private half is tests/signing_key/test_private_key.txt: anyone can sign with it.
constexpr TrustedKey kTestKey{
    "test key (development builds only)",
    PublicKey("689be4484a7e05690af0c94126e17fbedd64626779a5719a7ab26e478f5f7154"
              "545df906125d27de7bf9275f1b2b5ad3d9a0c09282a08dd6c6b659741b09a30f")};
constexpr std::array<TrustedKey, 2> kTrustedKeys = {kPublisherKey, kTestKey};
#else
constexpr std::array<TrustedKey, 1> kTrustedKeys = {kPublisherKey};
#endif
}  // namespace

std::span<const TrustedKey> TrustedKeys() { return kTrustedKeys; }

std::string TrustedKeysDescription() {
  std::string text;
  for (const TrustedKey& key : kTrustedKeys) {
    text += std::string(key.name) + " (" + core::ToHex(std::span(key.key).first(8)) + ")\n";
  }
  return text;
}

}  // namespace kestrian::update
