#pragma once
// The Win32 build's cryptography: CNG (bcrypt), present since Windows Vista.
#include "platform/crypto.h"

namespace kestrian::platform::win32 {

class CngCrypto final : public Crypto {
 public:
  std::optional<Sha256Digest> Sha256(std::string_view bytes) override;
  bool VerifyP256(std::string_view message, const P256PublicKey& key,
                  const P256Signature& signature) override;
};

class CngSigner final : public Signer {
 public:
  std::optional<P256KeyPair> GenerateP256KeyPair() override;
  std::optional<P256Signature> SignP256(std::string_view message, const P256KeyPair& key) override;
};

}  // namespace kestrian::platform::win32
