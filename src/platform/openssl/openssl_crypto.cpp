#include "platform/openssl/openssl_crypto.h"

#include <openssl/bn.h>
#include <openssl/core_names.h>
#include <openssl/ec.h>
#include <openssl/evp.h>
#include <openssl/param_build.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace kestrian::platform {
namespace openssl {

namespace {
template <auto Free>
struct Deleter {
  template <class T>
  void operator()(T* pointer) const { Free(pointer); }
};
using Key = std::unique_ptr<EVP_PKEY, Deleter<EVP_PKEY_free>>;
using KeyContext = std::unique_ptr<EVP_PKEY_CTX, Deleter<EVP_PKEY_CTX_free>>;
using DigestContext = std::unique_ptr<EVP_MD_CTX, Deleter<EVP_MD_CTX_free>>;
using Number = std::unique_ptr<BIGNUM, Deleter<BN_clear_free>>;
using EcdsaSignature = std::unique_ptr<ECDSA_SIG, Deleter<ECDSA_SIG_free>>;
using ParamBuilder = std::unique_ptr<OSSL_PARAM_BLD, Deleter<OSSL_PARAM_BLD_free>>;
using Params = std::unique_ptr<OSSL_PARAM, Deleter<OSSL_PARAM_free>>;

constexpr const char* kCurve = "prime256v1";
constexpr std::size_t kCoordinate = 32;

const unsigned char* Bytes(std::string_view text) {
  return reinterpret_cast<const unsigned char*>(text.data());
}

// The uncompressed point encoding: 0x04, X, Y.
std::array<unsigned char, 65> Point(const P256PublicKey& key) {
  std::array<unsigned char, 65> point{0x04};
  std::copy(key.begin(), key.end(), point.begin() + 1);
  return point;
}

Key KeyFromParts(const P256PublicKey& publicKey, const P256PrivateKey* privateKey) {
  ParamBuilder builder(OSSL_PARAM_BLD_new());
  if (!builder) return nullptr;
  const auto point = Point(publicKey);
  Number scalar;
  if (!OSSL_PARAM_BLD_push_utf8_string(builder.get(), OSSL_PKEY_PARAM_GROUP_NAME, kCurve, 0) ||
      !OSSL_PARAM_BLD_push_octet_string(builder.get(), OSSL_PKEY_PARAM_PUB_KEY, point.data(), point.size())) {
    return nullptr;
  }
  if (privateKey != nullptr) {
    scalar.reset(BN_bin2bn(privateKey->data(), static_cast<int>(privateKey->size()), nullptr));
    if (!scalar || !OSSL_PARAM_BLD_push_BN(builder.get(), OSSL_PKEY_PARAM_PRIV_KEY, scalar.get())) {
      return nullptr;
    }
  }
  Params params(OSSL_PARAM_BLD_to_param(builder.get()));
  KeyContext context(EVP_PKEY_CTX_new_from_name(nullptr, "EC", nullptr));
  if (!params || !context || EVP_PKEY_fromdata_init(context.get()) != 1) return nullptr;
  EVP_PKEY* key = nullptr;
  const int selection = privateKey != nullptr ? EVP_PKEY_KEYPAIR : EVP_PKEY_PUBLIC_KEY;
  if (EVP_PKEY_fromdata(context.get(), &key, selection, params.get()) != 1) return nullptr;
  return Key(key);
}

// r and s as OpenSSL's DER form of the signature.
std::vector<unsigned char> DerSignature(const P256Signature& signature) {
  EcdsaSignature parsed(ECDSA_SIG_new());
  BIGNUM* r = BN_bin2bn(signature.data(), kCoordinate, nullptr);
  BIGNUM* s = BN_bin2bn(signature.data() + kCoordinate, kCoordinate, nullptr);
  if (!parsed || r == nullptr || s == nullptr || ECDSA_SIG_set0(parsed.get(), r, s) != 1) {
    BN_free(r);
    BN_free(s);
    return {};
  }
  const int length = i2d_ECDSA_SIG(parsed.get(), nullptr);
  if (length <= 0) return {};
  std::vector<unsigned char> der(static_cast<std::size_t>(length));
  unsigned char* out = der.data();
  if (i2d_ECDSA_SIG(parsed.get(), &out) != length) return {};
  return der;
}

std::optional<P256Signature> PlainSignature(const std::vector<unsigned char>& der) {
  const unsigned char* in = der.data();
  EcdsaSignature parsed(d2i_ECDSA_SIG(nullptr, &in, static_cast<long>(der.size())));
  if (!parsed) return std::nullopt;
  const BIGNUM* r = nullptr;
  const BIGNUM* s = nullptr;
  ECDSA_SIG_get0(parsed.get(), &r, &s);
  P256Signature plain{};
  if (BN_bn2binpad(r, plain.data(), kCoordinate) != kCoordinate ||
      BN_bn2binpad(s, plain.data() + kCoordinate, kCoordinate) != kCoordinate) {
    return std::nullopt;
  }
  return plain;
}
}  // namespace

std::optional<Sha256Digest> OpenSslCrypto::Sha256(std::string_view bytes) {
  Sha256Digest digest{};
  unsigned int length = 0;
  if (EVP_Digest(bytes.data(), bytes.size(), digest.data(), &length, EVP_sha256(), nullptr) != 1 ||
      length != digest.size()) {
    return std::nullopt;
  }
  return digest;
}

bool OpenSslCrypto::VerifyP256(std::string_view message, const P256PublicKey& key,
                               const P256Signature& signature) {
  const Key publicKey = KeyFromParts(key, nullptr);
  const std::vector<unsigned char> der = DerSignature(signature);
  DigestContext context(EVP_MD_CTX_new());
  if (!publicKey || der.empty() || !context) return false;
  if (EVP_DigestVerifyInit(context.get(), nullptr, EVP_sha256(), nullptr, publicKey.get()) != 1) return false;
  return EVP_DigestVerify(context.get(), der.data(), der.size(), Bytes(message), message.size()) == 1;
}

std::optional<P256KeyPair> OpenSslSigner::GenerateP256KeyPair() {
  const Key key(EVP_PKEY_Q_keygen(nullptr, nullptr, "EC", "P-256"));
  if (!key) return std::nullopt;
  BIGNUM* scalar = nullptr;
  if (EVP_PKEY_get_bn_param(key.get(), OSSL_PKEY_PARAM_PRIV_KEY, &scalar) != 1) return std::nullopt;
  const Number privateScalar(scalar);
  P256KeyPair pair;
  std::array<unsigned char, 65> point{};
  std::size_t length = 0;
  if (BN_bn2binpad(privateScalar.get(), pair.privateKey.data(), kCoordinate) != kCoordinate ||
      EVP_PKEY_get_octet_string_param(key.get(), OSSL_PKEY_PARAM_PUB_KEY, point.data(), point.size(),
                                      &length) != 1 ||
      length != point.size() || point[0] != 0x04) {
    return std::nullopt;
  }
  std::copy(point.begin() + 1, point.end(), pair.publicKey.begin());
  return pair;
}

std::optional<P256Signature> OpenSslSigner::SignP256(std::string_view message, const P256KeyPair& key) {
  const Key privateKey = KeyFromParts(key.publicKey, &key.privateKey);
  DigestContext context(EVP_MD_CTX_new());
  if (!privateKey || !context) return std::nullopt;
  if (EVP_DigestSignInit(context.get(), nullptr, EVP_sha256(), nullptr, privateKey.get()) != 1) {
    return std::nullopt;
  }
  std::size_t length = 0;
  if (EVP_DigestSign(context.get(), nullptr, &length, Bytes(message), message.size()) != 1) return std::nullopt;
  std::vector<unsigned char> der(length);
  if (EVP_DigestSign(context.get(), der.data(), &length, Bytes(message), message.size()) != 1) {
    return std::nullopt;
  }
  der.resize(length);
  return PlainSignature(der);
}

}  // namespace openssl

std::unique_ptr<Crypto> MakeSystemCrypto() { return std::make_unique<openssl::OpenSslCrypto>(); }
std::unique_ptr<Signer> MakeSystemSigner() { return std::make_unique<openssl::OpenSslSigner>(); }

}  // namespace kestrian::platform
