// What a cookie file tells: the key of its name and the site in its content. Input: the
// path, a line break, then the content. Oracles: the key is the name's text after the
// first "@"; a site is "False" or starts with the key (up to a "/" in it), holds no "/" and
// stands in the content before a "/".
#include "fuzz_support.h"
#include "scan/cookie_file.h"

using namespace kestrian;

KESTRIAN_FUZZ_TARGET {
  const std::string_view input = fuzz::AsText(data, size);
  const auto [path, content] = fuzz::SplitOnce(input, '\n');
  const std::string key = scan::CookieKeyFromPath(path);
  const std::size_t at = path.find('@');
  if (at == std::string_view::npos) FUZZ_CHECK(key.empty());
  if (!key.empty()) FUZZ_CHECK(path.substr(at + 1).starts_with(key));
  const std::string site = scan::CookieSiteFromContent(content, key);
  if (site != "False") {
    // The key may hold a "/" of its own (taken from a folder's name), and then ends there.
    FUZZ_CHECK(site.starts_with(key) || key.starts_with(site + "/"));
    FUZZ_CHECK(site.find('/') == std::string::npos);
    FUZZ_CHECK(content.find(site + "/") != std::string_view::npos);
  }
  // A key comes from a file name, at most a path's length.
  const std::string shortKey = key.substr(0, 32);
  fuzz::LinearOnLargeInput(content, "cookie file", [&](std::string_view large) {
    scan::CookieSiteFromContent(large, shortKey);
    scan::CookieKeyFromPath(large);
  });
  return 0;
}
