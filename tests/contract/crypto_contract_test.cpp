// Hashes and signatures on both builds (OpenSSL natively, CNG under Wine) against the standard
// vectors and manifests "kdefs publish" signed on each: what one build publishes, both accept.
#include <gtest/gtest.h>

#include <string>

#include "contract/contract_world.h"
#include "core/hex.h"

namespace kestrian::testing {
namespace {

using platform::P256PublicKey;
using platform::P256Signature;

// The key of RFC 6979, A.2.5, and the tests' own key (tests/signing_key).
constexpr std::string_view kRfcKey =
    "60fed4ba255a9d31c961eb74c6356d68c049b8923b61fa6ce669622e60f29fb6"
    "7903fe1008b8bc99a41ae9e95628bc64f2f1b20c2d7e9f5177a3c294d4462299";
constexpr std::string_view kTestKey =
    "689be4484a7e05690af0c94126e17fbedd64626779a5719a7ab26e478f5f7154"
    "545df906125d27de7bf9275f1b2b5ad3d9a0c09282a08dd6c6b659741b09a30f";
constexpr std::string_view kPublishedManifest =
    "Kestrian definitions manifest 1\r\n"
    "ExeDefinition.dat 7 13 596f05c6377477e117409422c8e6ce0b803275eaf95971b187b8101ffca13e41\r\n";

struct SignatureCase {
  const char* what;
  std::string_view key;
  std::string_view message;
  std::string_view signature;  // r and s
};

const SignatureCase kSignatures[] = {
    {"RFC 6979, sample", kRfcKey, "sample",
     "efd48b2aacb6a8fd1140dd9cd45e81d69d2c877b56aaf991c34d0ea84eaf3716"
     "f7cb1c942d657c41d436c7a1b6e29f65f3e900dbb9aff4064dc4ab2f843acda8"},
    {"published by the native kdefs (OpenSSL)", kTestKey, kPublishedManifest,
     "94731e573eefe8e473572c763bf9d6817899a02c8612ff7160eafabac35aa763"
     "3176283e76348ceb131035efb5b5adfba2e11b077665173b539e76c1f44266a8"},
    {"published by the Win32 kdefs (CNG)", kTestKey, kPublishedManifest,
     "62c02dcada37035c67618d8fe856573600f99a760335c00eba08168f23ce9dde"
     "5132092f05808293333c3d3621a44c02f75e2ac2b6e41b9132bcd7e594d59ef1"},
};

// The hash of the standard vectors. Each signature vector verifies; a changed byte of the
// message, the signature or the key never does.
TEST(CryptoOnPlatform, Sha256AndEcdsaP256OfTheVectorsAndOfItsOwnSignerAndNothingElse) {
  const auto world = MakeContractWorld();
  platform::Crypto& crypto = world->Machine().crypto;
  const std::pair<std::string, std::string_view> cases[] = {
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
  };
  for (const auto& [message, digest] : cases) {
    const auto hashed = crypto.Sha256(message);
    ASSERT_TRUE(hashed) << message.size();
    EXPECT_EQ(core::ToHex(*hashed), digest) << message.size();
  }
  for (const SignatureCase& c : kSignatures) {
    SCOPED_TRACE(c.what);
    const P256PublicKey key = core::FromHex<64>(c.key).value();
    const P256Signature signature = core::FromHex<64>(c.signature).value();
    EXPECT_TRUE(crypto.VerifyP256(c.message, key, signature));
    std::string message(c.message);
    message.back() ^= 1;
    EXPECT_FALSE(crypto.VerifyP256(message, key, signature));
    for (const std::size_t at : {0u, 63u}) {
      P256Signature changed = signature;
      changed[at] ^= 1;
      EXPECT_FALSE(crypto.VerifyP256(c.message, key, changed)) << at;
      P256PublicKey moved = key;  // no longer a point of the curve
      moved[at] ^= 1;
      EXPECT_FALSE(crypto.VerifyP256(c.message, moved, signature)) << at;
    }
  }
  EXPECT_FALSE(crypto.VerifyP256("sample", core::FromHex<64>(kTestKey).value(),
                                 core::FromHex<64>(kSignatures[0].signature).value()));
  // What this build's signer makes, this build's verifier accepts under the same key only.
  const auto signer = platform::MakeSystemSigner();
  const auto pair = signer->GenerateP256KeyPair();
  const auto other = signer->GenerateP256KeyPair();
  ASSERT_TRUE(pair && other);
  const auto signature = signer->SignP256(kPublishedManifest, *pair);
  ASSERT_TRUE(signature);
  EXPECT_TRUE(crypto.VerifyP256(kPublishedManifest, pair->publicKey, *signature));
  EXPECT_FALSE(crypto.VerifyP256(kPublishedManifest, other->publicKey, *signature));
}

}  // namespace
}  // namespace kestrian::testing
