// The blocked-cookie wildcard patterns. Input: a pattern, a line break, then a site.
// Oracles: the matcher against a reference that follows every placement of the stars at
// once; a pattern the definitions tool accepts can be used, and each range it holds takes
// both its ends.
#include <optional>
#include <vector>

#include "fuzz_support.h"
#include "scan/cookie_pattern.h"
#include "tools/kdefs/definition_validator.h"

using namespace kestrian;

namespace {
// One step of a pattern read on its own terms: a star, or a test of one byte.
struct Step {
  bool star = false;
  bool any = false;    // "?"
  bool digit = false;  // "#"
  bool list = false;   // "[...]"
  bool negated = false;
  std::string_view body;  // the list's inside, without its "!"
  unsigned char literal = 0;

  bool Takes(unsigned char c) const {
    if (any) return true;
    if (digit) return c >= '0' && c <= '9';
    if (!list) return c == literal;
    bool in = false;
    for (std::size_t i = 0; i < body.size(); ++i) {
      const auto first = static_cast<unsigned char>(body[i]);
      if (i + 2 < body.size() && body[i + 1] == '-') {
        const auto last = static_cast<unsigned char>(body[i + 2]);
        in = in || (first <= c && c <= last);
        i += 2;
      } else {
        in = in || first == c;
      }
    }
    return in != negated;
  }
};

// The steps, or nothing for a pattern with a "[" never closed.
std::optional<std::vector<Step>> Steps(std::string_view pattern) {
  std::vector<Step> steps;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    Step step;
    const char c = pattern[i];
    if (c == '[') {
      const std::size_t close = pattern.find(']', i + 1);
      if (close == std::string_view::npos) return std::nullopt;
      std::string_view body = pattern.substr(i + 1, close - i - 1);
      i = close;
      if (body.empty()) continue;  // "[]" stands for no character
      step.list = true;
      step.negated = body[0] == '!';
      step.body = step.negated ? body.substr(1) : body;
    } else {
      step.star = c == '*';
      step.any = c == '?';
      step.digit = c == '#';
      step.literal = static_cast<unsigned char>(c);
    }
    steps.push_back(step);
  }
  return steps;
}

// Which site positions the pattern read so far can end at, carried step by step.
bool ReferenceMatch(std::string_view site, std::string_view pattern) {
  const auto steps = Steps(pattern);
  if (!steps) return false;
  std::vector<char> reach(site.size() + 1, 0);
  reach[0] = 1;
  for (const Step& step : *steps) {
    std::vector<char> next(site.size() + 1, 0);
    if (step.star) {
      for (std::size_t j = 0; j <= site.size(); ++j) next[j] = reach[j] || (j > 0 && next[j - 1]);
    } else {
      for (std::size_t j = 0; j < site.size(); ++j) {
        next[j + 1] = reach[j] && step.Takes(static_cast<unsigned char>(site[j]));
      }
    }
    reach.swap(next);
  }
  return reach[site.size()] != 0;
}

// Every "x-y" of a list the tool accepted must take x and y.
void CheckAcceptedRanges(std::string_view pattern) {
  for (std::size_t open = pattern.find('['); open != std::string_view::npos; open = pattern.find('[', open + 1)) {
    const std::size_t close = pattern.find(']', open + 1);
    std::string_view body = pattern.substr(open + 1, close - open - 1);
    open = close;
    if (body.starts_with('!')) continue;
    for (std::size_t i = 0; i + 2 < body.size(); ++i) {
      if (body[i + 1] != '-') continue;
      // A range from "!" cannot stand first in a list of its own: it would make it "[!...]".
      const std::string range = std::string(body[i] == '!' ? "[\x01" : "[") + std::string(body.substr(i, 3)) + "]";
      FUZZ_CHECK(scan::MatchesCookiePattern(body.substr(i, 1), range));
      FUZZ_CHECK(scan::MatchesCookiePattern(body.substr(i + 2, 1), range));
      i += 2;
    }
  }
}
}  // namespace

KESTRIAN_FUZZ_TARGET {
  const std::string_view input = fuzz::AsText(data, size);
  const auto [pattern, site] = fuzz::SplitOnce(input, '\n');
  FUZZ_CHECK(scan::MatchesCookiePattern(site, pattern) == ReferenceMatch(site, pattern));
  FUZZ_CHECK(scan::IsUsableCookiePattern(pattern) == Steps(pattern).has_value());
  if (!kdefs::ValidateCookieLine(pattern)) {
    FUZZ_CHECK(scan::IsUsableCookiePattern(pattern));
    CheckAcceptedRanges(pattern);
  }
  // The matcher's work is the pattern's length times the site's, never more.
  const std::string_view shortPattern = pattern.substr(0, 64);
  fuzz::LinearOnLargeInput(site.empty() ? input : site, "cookie pattern", [&](std::string_view largeSite) {
    scan::MatchesCookiePattern(largeSite, shortPattern);
  }, 1 + shortPattern.size() / 4, fuzz::kLargeInput / 16);
  return 0;
}
