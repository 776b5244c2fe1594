#pragma once
// What a cookie file of Internet Explorer tells about the site that set it. Its name is
// user "@" key, a copy counter in brackets or parentheses, and the extension; inside, the
// first field holding the key is, as a rule, the host-and-path line.
#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace kestrian::scan {

// The key of a cookie file's path: after the first "@", up to the copy counter (or the
// extension); empty when there is none.
std::string CookieKeyFromPath(std::string_view path);

// The site in a cookie file's content: the first field holding `key`, from the key on, up
// to its first "/". "False" when no field gives one.
std::string CookieSiteFromContent(std::string_view content, std::string_view key);

// The site of the cookie file at `path`, or "False".
std::string GetCookieSite(platform::FileSystem& files, std::string_view path);

// The same for a file the caller has just found by listing its folder: the directory
// search that would confirm it is left out (a file gone since cannot be read, and so has
// the site "False" all the same).
std::string GetListedCookieSite(platform::FileSystem& files, std::string_view path);

}  // namespace kestrian::scan
