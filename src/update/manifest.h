#pragma once
// The signed list of the update host's data files: MANIFEST.TXT beside the version pages,
// and its detached signature MANIFEST.SIG, an ECDSA P-256 signature of SHA-256 of the list's
// bytes (r and s, 32 bytes each). The list, each line ended by CR LF:
//   Kestrian definitions manifest 1
//   RegistryDefinition.dat 12 2048 <SHA-256 of the file's bytes, 64 hexadecimal digits>
//   ... one line per data file: its name, version, size in bytes and hash.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/crypto.h"
#include "update/trusted_keys.h"

namespace kestrian::update {

inline constexpr std::string_view kManifestPath = "/definitions/version/MANIFEST.TXT";
inline constexpr std::string_view kManifestSignaturePath = "/definitions/version/MANIFEST.SIG";
inline constexpr std::string_view kManifestHeader = "Kestrian definitions manifest 1";

struct ManifestEntry {
  std::string file;  // the data file's name, as the holding file is named after it
  std::int32_t version = 0;
  std::uint64_t size = 0;
  platform::Sha256Digest sha256{};
  bool operator==(const ManifestEntry&) const = default;
};

struct Manifest {
  std::vector<ManifestEntry> entries;
  // The entry of `file` (exact name), or null.
  const ManifestEntry* Find(std::string_view file) const;
};

std::string FormatManifest(const Manifest& manifest);

// Nothing unless `text` is a manifest to the letter: the header, then lines of four fields
// (a name, a version from 0 to INT32_MAX, a size, 64 hexadecimal digits), no name twice.
std::optional<Manifest> ParseManifest(std::string_view text);

// The manifest, when `signature` is a signature of exactly `text` by one of `keys` and the
// text is a manifest; nothing otherwise.
std::optional<Manifest> VerifiedManifest(platform::Crypto& crypto, std::string_view text,
                                         std::string_view signature, std::span<const TrustedKey> keys);

}  // namespace kestrian::update
