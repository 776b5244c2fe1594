#pragma once
// Hashing and signature checks for what the program receives over the network. The program
// writes no cryptography of its own: the Win32 build uses CNG (bcrypt), the native build
// OpenSSL, and the contract tests run both on the same vectors.
//
// Keys and signatures are kept in their plain forms, so that they mean the same to both:
// a P-256 public key is the point's X and Y, 32 big-endian bytes each; a signature is r and
// s, 32 big-endian bytes each (the IEEE P1363 form); a private key is the scalar d.
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

namespace kestrian::platform {

using Sha256Digest = std::array<std::uint8_t, 32>;
using P256PublicKey = std::array<std::uint8_t, 64>;
using P256PrivateKey = std::array<std::uint8_t, 32>;
using P256Signature = std::array<std::uint8_t, 64>;

class Crypto {
 public:
  virtual ~Crypto() = default;

  // Nothing only when the system's provider fails.
  virtual std::optional<Sha256Digest> Sha256(std::string_view bytes) = 0;
  // True when `signature` is an ECDSA P-256 signature of SHA-256(`message`) by `key`. A key
  // that is no point of the curve, or any failure of the provider, gives false.
  virtual bool VerifyP256(std::string_view message, const P256PublicKey& key,
                          const P256Signature& signature) = 0;
};

struct P256KeyPair {
  P256PrivateKey privateKey{};
  P256PublicKey publicKey{};
};

// Making keys and signatures: only the publisher's tool does this.
class Signer {
 public:
  virtual ~Signer() = default;

  virtual std::optional<P256KeyPair> GenerateP256KeyPair() = 0;
  // An ECDSA P-256 signature of SHA-256(`message`); nothing when the key is unusable.
  virtual std::optional<P256Signature> SignP256(std::string_view message, const P256KeyPair& key) = 0;
};

// The system's own provider: CNG on Windows, OpenSSL elsewhere (whichever is linked).
std::unique_ptr<Crypto> MakeSystemCrypto();
std::unique_ptr<Signer> MakeSystemSigner();

}  // namespace kestrian::platform
