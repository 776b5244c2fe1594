#pragma once
// The scheme and host of the update host, made from the web-site entry of the program's
// version resource.
#include <string>
#include <string_view>

namespace kestrian::update {

// The entry without any path, with "www." in front of the host when it has none and
// "http://" in front of that. An entry that names "https://" keeps it.
std::string BuildUpdateBase(std::string_view webSiteEntry);

}  // namespace kestrian::update
