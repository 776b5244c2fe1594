#pragma once
// The public keys whose signature Live Update accepts on the update host's manifest. They
// are built into the program here and nowhere else.
#include <span>
#include <string>
#include <string_view>

#include "platform/crypto.h"

namespace kestrian::update {

struct TrustedKey {
  std::string_view name;
  platform::P256PublicKey key;
};

// The publisher's key and, in development and test builds only, the key the tests sign with.
std::span<const TrustedKey> TrustedKeys();

// One line per trusted key: its name and the first 16 hexadecimal digits of its X.
std::string TrustedKeysDescription();

}  // namespace kestrian::update
