#include "platform/win32/cng_crypto.h"

#include <windows.h>

#include <bcrypt.h>

#include <algorithm>
#include <span>
#include <vector>

#include "platform/win32/unique_handle.h"

namespace kestrian::platform {
namespace win32 {

namespace {
struct AlgorithmTraits {
  using Handle = BCRYPT_ALG_HANDLE;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) { ::BCryptCloseAlgorithmProvider(h, 0); }
};
struct KeyTraits {
  using Handle = BCRYPT_KEY_HANDLE;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) { ::BCryptDestroyKey(h); }
};
struct HashTraits {
  using Handle = BCRYPT_HASH_HANDLE;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) { ::BCryptDestroyHash(h); }
};
using UniqueAlgorithm = UniqueAny<AlgorithmTraits>;
using UniqueKey = UniqueAny<KeyTraits>;
using UniqueHash = UniqueAny<HashTraits>;

constexpr std::size_t kCoordinate = 32;
// What CNG hashes in one call.
constexpr std::size_t kHashChunk = 1u << 30;

bool Succeeded(NTSTATUS status) { return status == 0; }

UniqueAlgorithm OpenAlgorithm(const wchar_t* name) {
  UniqueAlgorithm algorithm;
  if (!Succeeded(::BCryptOpenAlgorithmProvider(algorithm.put(), name, nullptr, 0))) return {};
  return algorithm;
}

// A key blob: the header CNG expects, then the key's numbers as they stand.
std::vector<UCHAR> KeyBlob(ULONG magic, std::initializer_list<std::span<const std::uint8_t>> parts) {
  const BCRYPT_ECCKEY_BLOB header{magic, static_cast<ULONG>(kCoordinate)};
  const auto* start = reinterpret_cast<const UCHAR*>(&header);
  std::vector<UCHAR> blob(start, start + sizeof header);
  for (const auto part : parts) blob.insert(blob.end(), part.begin(), part.end());
  return blob;
}

UniqueKey ImportKey(BCRYPT_ALG_HANDLE algorithm, const wchar_t* type, std::vector<UCHAR>& blob) {
  UniqueKey key;
  if (!Succeeded(::BCryptImportKeyPair(algorithm, nullptr, type, key.put(), blob.data(),
                                       static_cast<ULONG>(blob.size()), 0))) {
    return {};
  }
  return key;
}
}  // namespace

std::optional<Sha256Digest> CngCrypto::Sha256(std::string_view bytes) {
  const UniqueAlgorithm algorithm = OpenAlgorithm(BCRYPT_SHA256_ALGORITHM);
  UniqueHash hash;
  if (!algorithm || !Succeeded(::BCryptCreateHash(algorithm.get(), hash.put(), nullptr, 0, nullptr, 0, 0))) {
    return std::nullopt;
  }
  while (!bytes.empty()) {
    const std::size_t chunk = std::min(bytes.size(), kHashChunk);
    auto* data = reinterpret_cast<PUCHAR>(const_cast<char*>(bytes.data()));
    if (!Succeeded(::BCryptHashData(hash.get(), data, static_cast<ULONG>(chunk), 0))) return std::nullopt;
    bytes.remove_prefix(chunk);
  }
  Sha256Digest digest{};
  if (!Succeeded(::BCryptFinishHash(hash.get(), digest.data(), static_cast<ULONG>(digest.size()), 0))) {
    return std::nullopt;
  }
  return digest;
}

bool CngCrypto::VerifyP256(std::string_view message, const P256PublicKey& key,
                           const P256Signature& signature) {
  const std::optional<Sha256Digest> digest = Sha256(message);
  const UniqueAlgorithm algorithm = OpenAlgorithm(BCRYPT_ECDSA_P256_ALGORITHM);
  if (!digest || !algorithm) return false;
  std::vector<UCHAR> blob =
      KeyBlob(BCRYPT_ECDSA_PUBLIC_P256_MAGIC, {key});
  const UniqueKey publicKey = ImportKey(algorithm.get(), BCRYPT_ECCPUBLIC_BLOB, blob);
  if (!publicKey) return false;
  Sha256Digest hashed = *digest;
  P256Signature copy = signature;
  return Succeeded(::BCryptVerifySignature(publicKey.get(), nullptr, hashed.data(),
                                           static_cast<ULONG>(hashed.size()), copy.data(),
                                           static_cast<ULONG>(copy.size()), 0));
}

std::optional<P256KeyPair> CngSigner::GenerateP256KeyPair() {
  const UniqueAlgorithm algorithm = OpenAlgorithm(BCRYPT_ECDSA_P256_ALGORITHM);
  UniqueKey key;
  if (!algorithm || !Succeeded(::BCryptGenerateKeyPair(algorithm.get(), key.put(), 256, 0)) ||
      !Succeeded(::BCryptFinalizeKeyPair(key.get(), 0))) {
    return std::nullopt;
  }
  std::vector<UCHAR> blob(sizeof(BCRYPT_ECCKEY_BLOB) + 3 * kCoordinate);
  ULONG written = 0;
  if (!Succeeded(::BCryptExportKey(key.get(), nullptr, BCRYPT_ECCPRIVATE_BLOB, blob.data(),
                                   static_cast<ULONG>(blob.size()), &written, 0)) ||
      written != blob.size()) {
    return std::nullopt;
  }
  // X, Y, then d.
  const UCHAR* numbers = blob.data() + sizeof(BCRYPT_ECCKEY_BLOB);
  P256KeyPair pair;
  std::copy_n(numbers, pair.publicKey.size(), pair.publicKey.begin());
  std::copy_n(numbers + pair.publicKey.size(), pair.privateKey.size(), pair.privateKey.begin());
  std::fill(blob.begin(), blob.end(), UCHAR{0});
  return pair;
}

std::optional<P256Signature> CngSigner::SignP256(std::string_view message, const P256KeyPair& key) {
  const std::optional<Sha256Digest> digest = CngCrypto().Sha256(message);
  const UniqueAlgorithm algorithm = OpenAlgorithm(BCRYPT_ECDSA_P256_ALGORITHM);
  if (!digest || !algorithm) return std::nullopt;
  std::vector<UCHAR> blob = KeyBlob(BCRYPT_ECDSA_PRIVATE_P256_MAGIC, {key.publicKey, key.privateKey});
  const UniqueKey privateKey = ImportKey(algorithm.get(), BCRYPT_ECCPRIVATE_BLOB, blob);
  std::fill(blob.begin(), blob.end(), UCHAR{0});
  if (!privateKey) return std::nullopt;
  Sha256Digest hashed = *digest;
  P256Signature signature{};
  ULONG written = 0;
  if (!Succeeded(::BCryptSignHash(privateKey.get(), nullptr, hashed.data(), static_cast<ULONG>(hashed.size()),
                                  signature.data(), static_cast<ULONG>(signature.size()), &written, 0)) ||
      written != signature.size()) {
    return std::nullopt;
  }
  return signature;
}

}  // namespace win32

std::unique_ptr<Crypto> MakeSystemCrypto() { return std::make_unique<win32::CngCrypto>(); }
std::unique_ptr<Signer> MakeSystemSigner() { return std::make_unique<win32::CngSigner>(); }

}  // namespace kestrian::platform
