// The index of the blocked-cookie patterns. Input: lines of patterns, the last line the
// site. Oracles: the index finds the pattern that trying every pattern in order finds; a
// site that fits a pattern holds the pattern's longest literal.
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "scan/cookie_pattern.h"
#include "scan/cookie_pattern_set.h"

using namespace kestrian;

namespace {
std::optional<std::size_t> FirstInOrder(const std::vector<std::string>& patterns, std::string_view site) {
  for (std::size_t i = 0; i < patterns.size(); ++i) {
    if (scan::MatchesCookiePattern(site, patterns[i])) return i;
  }
  return std::nullopt;
}

std::vector<std::string> PatternsOf(std::string_view lines) {
  std::vector<std::string> patterns;
  for (const std::string_view line : fuzz::Parts(lines, '\n')) patterns.emplace_back(line);
  return patterns;
}
}  // namespace

KESTRIAN_FUZZ_TARGET {
  const std::string_view input = fuzz::AsText(data, size);
  const std::size_t lastBreak = input.rfind('\n');
  const std::string_view site = lastBreak == std::string_view::npos ? input : input.substr(lastBreak + 1);
  const std::string_view lines = lastBreak == std::string_view::npos ? std::string_view() : input.substr(0, lastBreak);
  std::vector<std::string> patterns = PatternsOf(lines);
  const auto expected = FirstInOrder(patterns, site);
  for (const std::string& pattern : patterns) {
    if (scan::MatchesCookiePattern(site, pattern)) {
      FUZZ_CHECK(site.find(scan::LongestLiteral(pattern)) != std::string_view::npos);
    }
  }
  const scan::CookiePatternSet set(std::move(patterns));
  FUZZ_CHECK(set.FirstMatch(site) == expected);
  // Many patterns against a site of a host name's length.
  const std::string_view shortSite = site.substr(0, 16);
  fuzz::LinearOnLargeInput(lines, "cookie pattern set", [&](std::string_view large) {
    const scan::CookiePatternSet largeSet(PatternsOf(large));
    largeSet.FirstMatch(shortSite);
  }, 1 + shortSite.size() / 4);
  return 0;
}
