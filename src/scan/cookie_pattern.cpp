#include "scan/cookie_pattern.h"

#include <optional>

namespace kestrian::scan {

namespace {
// A bracket list starting at pattern[start] == '['. Returns the position after its "]".
std::optional<std::size_t> ListEnd(std::string_view pattern, std::size_t start) {
  const auto close = pattern.find(']', start + 1);
  if (close == std::string_view::npos) return std::nullopt;
  return close + 1;
}

bool InList(char c, std::string_view list) {
  for (std::size_t i = 0; i < list.size(); ++i) {
    // "-" between two characters is a range; at either end it stands for itself.
    if (i + 2 < list.size() && list[i + 1] == '-') {
      if (list[i] <= c && c <= list[i + 2]) return true;
      i += 2;
    } else if (list[i] == c) {
      return true;
    }
  }
  return false;
}

bool Match(std::string_view site, std::string_view pattern);

// Whether one non-star token at the front of `pattern` accepts `site`'s rest.
bool MatchToken(std::string_view site, std::string_view pattern) {
  const char token = pattern[0];
  if (token == '[') {
    const auto end = ListEnd(pattern, 0);
    if (!end) return false;
    std::string_view list = pattern.substr(1, *end - 2);
    if (list.empty()) return Match(site, pattern.substr(*end));  // "[]": no character
    const bool negated = list[0] == '!';
    if (negated) list.remove_prefix(1);
    if (site.empty() || InList(site[0], list) == negated) return false;
    return Match(site.substr(1), pattern.substr(*end));
  }
  if (site.empty()) return false;
  const char c = site[0];
  const bool accepted = token == '?' || (token == '#' ? (c >= '0' && c <= '9') : token == c);
  return accepted && Match(site.substr(1), pattern.substr(1));
}

bool Match(std::string_view site, std::string_view pattern) {
  if (pattern.empty()) return site.empty();
  if (pattern[0] != '*') return MatchToken(site, pattern);
  while (!pattern.empty() && pattern[0] == '*') pattern.remove_prefix(1);
  for (std::size_t skip = 0; skip <= site.size(); ++skip) {
    if (Match(site.substr(skip), pattern)) return true;
  }
  return false;
}
}  // namespace

bool MatchesCookiePattern(std::string_view site, std::string_view pattern) {
  // An unclosed "[" anywhere makes the pattern unusable, wherever the match would stop.
  for (std::size_t i = pattern.find('['); i != std::string_view::npos; i = pattern.find('[', i + 1)) {
    const auto end = ListEnd(pattern, i);
    if (!end) return false;
    i = *end - 1;
  }
  return Match(site, pattern);
}

}  // namespace kestrian::scan
