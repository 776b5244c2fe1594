#pragma once
// The native build's cryptography: OpenSSL's EVP interface.
#include "platform/crypto.h"

namespace kestrian::platform::openssl {

class OpenSslCrypto final : public Crypto {
 public:
  std::optional<Sha256Digest> Sha256(std::string_view bytes) override;
  bool VerifyP256(std::string_view message, const P256PublicKey& key,
                  const P256Signature& signature) override;
};

class OpenSslSigner final : public Signer {
 public:
  std::optional<P256KeyPair> GenerateP256KeyPair() override;
  std::optional<P256Signature> SignP256(std::string_view message, const P256KeyPair& key) override;
};

}  // namespace kestrian::platform::openssl
