#include "tools/kdefs/signing_key.h"

#include "core/hex.h"
#include "core/text.h"

namespace kestrian::kdefs {

namespace {
constexpr std::string_view kPrivateField = "private-key:";
constexpr std::string_view kPublicField = "public-key:";

std::string Remarks(std::string_view remark) {
  std::string text;
  while (!remark.empty()) {
    const std::size_t end = remark.find('\n');
    text += "# " + std::string(remark.substr(0, end)) + "\n";
    remark.remove_prefix(end == std::string_view::npos ? remark.size() : end + 1);
  }
  return text;
}

// The value of the one line that starts with `field`; nothing when there is none or more.
std::optional<std::string_view> Field(std::string_view text, std::string_view field) {
  std::optional<std::string_view> found;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (!line.starts_with(field)) continue;
    if (found) return std::nullopt;
    found = core::Trim(line.substr(field.size()));
  }
  return found;
}
}  // namespace

std::string FormatPrivateKeyFile(const platform::P256KeyPair& key, std::string_view remark) {
  return Remarks(remark) + std::string(kPrivateField) + ' ' + core::ToHex(key.privateKey) + '\n' +
         std::string(kPublicField) + ' ' + core::ToHex(key.publicKey) + '\n';
}

std::string FormatPublicKeyFile(const platform::P256PublicKey& key, std::string_view remark) {
  return Remarks(remark) + std::string(kPublicField) + ' ' + core::ToHex(key) + '\n';
}

std::optional<platform::P256KeyPair> ParsePrivateKeyFile(std::string_view text) {
  const auto privateHex = Field(text, kPrivateField);
  const auto publicKey = ParsePublicKeyFile(text);
  if (!privateHex || !publicKey) return std::nullopt;
  const auto privateKey = core::FromHex<32>(*privateHex);
  if (!privateKey) return std::nullopt;
  return platform::P256KeyPair{*privateKey, *publicKey};
}

std::optional<platform::P256PublicKey> ParsePublicKeyFile(std::string_view text) {
  const auto publicHex = Field(text, kPublicField);
  if (!publicHex) return std::nullopt;
  return core::FromHex<64>(*publicHex);
}

}  // namespace kestrian::kdefs
