#pragma once
// The key files of "kdefs keygen": text, one field a line, lines starting with "#" being
// remarks. A private key file holds both halves:
//   private-key: <d, 64 hexadecimal digits>
//   public-key: <X and Y, 128 hexadecimal digits>
// and a public key file the second line only.
#include <optional>
#include <string>
#include <string_view>

#include "platform/crypto.h"

namespace kestrian::kdefs {

std::string FormatPrivateKeyFile(const platform::P256KeyPair& key, std::string_view remark);
std::string FormatPublicKeyFile(const platform::P256PublicKey& key, std::string_view remark);

// Nothing unless the text holds both fields, each once and well formed.
std::optional<platform::P256KeyPair> ParsePrivateKeyFile(std::string_view text);
// The public half of a public or a private key file.
std::optional<platform::P256PublicKey> ParsePublicKeyFile(std::string_view text);

}  // namespace kestrian::kdefs
