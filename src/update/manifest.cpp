#include "update/manifest.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "core/hex.h"

namespace kestrian::update {

namespace {
constexpr std::string_view kLineEnd = "\r\n";

template <class Number>
std::optional<Number> WholeNumber(std::string_view text) {
  Number value{};
  if (text.empty() || text.front() < '0' || text.front() > '9') return std::nullopt;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// The fields of a line, separated by single blanks.
std::vector<std::string_view> Fields(std::string_view line) {
  std::vector<std::string_view> fields;
  for (std::size_t blank = line.find(' '); blank != std::string_view::npos; blank = line.find(' ')) {
    fields.push_back(line.substr(0, blank));
    line.remove_prefix(blank + 1);
  }
  fields.push_back(line);
  return fields;
}

std::optional<ManifestEntry> ParseEntry(std::string_view line) {
  const std::vector<std::string_view> fields = Fields(line);
  if (fields.size() != 4 || fields[0].empty()) return std::nullopt;
  const auto version = WholeNumber<std::int32_t>(fields[1]);
  const auto size = WholeNumber<std::uint64_t>(fields[2]);
  const auto sha256 = core::FromHex<32>(fields[3]);
  if (!version || !size || !sha256) return std::nullopt;
  return ManifestEntry{std::string(fields[0]), *version, *size, *sha256};
}
}  // namespace

const ManifestEntry* Manifest::Find(std::string_view file) const {
  const auto found = std::find_if(entries.begin(), entries.end(),
                                  [file](const ManifestEntry& entry) { return entry.file == file; });
  return found == entries.end() ? nullptr : &*found;
}

std::string FormatManifest(const Manifest& manifest) {
  std::string text(kManifestHeader);
  text += kLineEnd;
  for (const ManifestEntry& entry : manifest.entries) {
    text += entry.file + ' ' + std::to_string(entry.version) + ' ' + std::to_string(entry.size) + ' ' +
            core::ToHex(entry.sha256) + std::string(kLineEnd);
  }
  return text;
}

std::optional<Manifest> ParseManifest(std::string_view text) {
  const std::string header = std::string(kManifestHeader) + std::string(kLineEnd);
  if (!text.starts_with(header)) return std::nullopt;
  text.remove_prefix(header.size());
  Manifest manifest;
  while (!text.empty()) {
    const std::size_t end = text.find(kLineEnd);
    if (end == std::string_view::npos) return std::nullopt;  // every line ends in CR LF
    auto entry = ParseEntry(text.substr(0, end));
    if (!entry || manifest.Find(entry->file) != nullptr) return std::nullopt;
    manifest.entries.push_back(std::move(*entry));
    text.remove_prefix(end + kLineEnd.size());
  }
  return manifest;
}

std::optional<Manifest> VerifiedManifest(platform::Crypto& crypto, std::string_view text,
                                         std::string_view signature, std::span<const TrustedKey> keys) {
  platform::P256Signature plain{};
  if (signature.size() != plain.size()) return std::nullopt;
  std::memcpy(plain.data(), signature.data(), plain.size());
  const bool signedByTrustedKey = std::any_of(keys.begin(), keys.end(), [&](const TrustedKey& key) {
    return crypto.VerifyP256(text, key.key, plain);
  });
  if (!signedByTrustedKey) return std::nullopt;
  return ParseManifest(text);
}

}  // namespace kestrian::update
