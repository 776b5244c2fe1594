#pragma once
// "kdefs verify": what Live Update would refuse in a published tree.
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/crypto.h"
#include "update/trusted_keys.h"

namespace kestrian::kdefs {

// One text per problem: a manifest that is missing or signed by none of `keys`, a page that
// announces another version than the manifest, a data file whose size or hash differs from
// it or that holds a malformed line. `readFile` gives a file by its path in the tree.
std::vector<std::string> CheckPublishedTree(
    const std::function<std::optional<std::string>(std::string_view path)>& readFile,
    platform::Crypto& crypto, std::span<const update::TrustedKey> keys);

}  // namespace kestrian::kdefs
