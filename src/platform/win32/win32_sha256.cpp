#include "platform/sha256.h"

#include <windows.h>

#include <bcrypt.h>

#include <algorithm>
#include <array>

#include "platform/win32/unique_handle.h"

namespace kestrian::platform {

namespace {
struct AlgorithmTraits {
  using Handle = BCRYPT_ALG_HANDLE;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle algorithm) { ::BCryptCloseAlgorithmProvider(algorithm, 0); }
};
struct HashTraits {
  using Handle = BCRYPT_HASH_HANDLE;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle hash) { ::BCryptDestroyHash(hash); }
};

bool Succeeded(NTSTATUS status) { return status >= 0; }

std::string Hex(const std::array<unsigned char, 32>& digest) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  for (unsigned char byte : digest) {
    text += kDigits[byte >> 4];
    text += kDigits[byte & 0x0F];
  }
  return text;
}
}  // namespace

std::optional<std::string> Sha256Hex(std::string_view bytes) {
  win32::UniqueAny<AlgorithmTraits> algorithm;
  if (!Succeeded(::BCryptOpenAlgorithmProvider(algorithm.put(), BCRYPT_SHA256_ALGORITHM, nullptr, 0))) {
    return std::nullopt;
  }
  win32::UniqueAny<HashTraits> hash;
  if (!Succeeded(::BCryptCreateHash(algorithm.get(), hash.put(), nullptr, 0, nullptr, 0, 0))) {
    return std::nullopt;
  }
  // BCryptHashData takes at most 4 GiB at a time.
  constexpr std::size_t kChunk = 1u << 30;
  while (!bytes.empty()) {
    const std::size_t size = std::min(bytes.size(), kChunk);
    auto* data = reinterpret_cast<PUCHAR>(const_cast<char*>(bytes.data()));
    if (!Succeeded(::BCryptHashData(hash.get(), data, static_cast<ULONG>(size), 0))) return std::nullopt;
    bytes.remove_prefix(size);
  }
  std::array<unsigned char, 32> digest{};
  if (!Succeeded(::BCryptFinishHash(hash.get(), digest.data(), static_cast<ULONG>(digest.size()), 0))) {
    return std::nullopt;
  }
  return Hex(digest);
}

}  // namespace kestrian::platform
