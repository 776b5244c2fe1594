#pragma once
// The scheme and host of the update host, made from the web-site entry of the program's
// version resource.
#include <string>
#include <string_view>

namespace kestrian::update {

// What a build that was never given a web site carries in its version resource, and the
// host such a build asks instead.
inline constexpr std::string_view kWebSitePlaceholder = "<web site>";
inline constexpr std::string_view kDefaultUpdateBase = "http://www.kestrian.example";

// The placeholder gives the default base. Otherwise: the entry without any path, with "www." in front of the host when it has none and
// "http://" in front of that. An entry that names "https://" keeps it.
std::string BuildUpdateBase(std::string_view webSiteEntry);

}  // namespace kestrian::update
