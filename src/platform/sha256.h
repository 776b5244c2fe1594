#pragma once
// SHA-256 from the system's cryptography (CNG in the Windows build, OpenSSL in the native
// one); nothing hand-written. A digest is written as 64 lower-case hex digits.
#include <optional>
#include <string>
#include <string_view>

namespace kestrian::platform {

// The digest of `bytes` as hex, or nothing when the provider fails.
std::optional<std::string> Sha256Hex(std::string_view bytes);

}  // namespace kestrian::platform
