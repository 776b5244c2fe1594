#include "scan/cookie_pattern_set.h"

#include <algorithm>

#include "scan/cookie_pattern.h"

namespace kestrian::scan {

std::string_view LongestLiteral(std::string_view pattern) {
  std::string_view longest;
  std::size_t runStart = 0;
  std::size_t at = 0;
  auto closeRun = [&](std::size_t end) {
    if (end - runStart > longest.size()) longest = pattern.substr(runStart, end - runStart);
  };
  while (at < pattern.size()) {
    const char c = pattern[at];
    if (c == '*' || c == '?' || c == '#' || c == '[') {
      closeRun(at);
      if (c == '[') {
        const std::size_t close = pattern.find(']', at + 1);
        if (close == std::string_view::npos) return {};  // such a pattern fits nothing
        at = close;
      }
      runStart = at + 1;
    }
    ++at;
  }
  closeRun(pattern.size());
  return longest;
}

CookiePatternSet::CookiePatternSet(std::vector<std::string> patterns) : patterns_(std::move(patterns)) {
  for (std::uint32_t index = 0; index < patterns_.size(); ++index) {
    const std::string_view literal = LongestLiteral(patterns_[index]);
    if (literal.empty()) {
      withoutLiteral_.push_back(index);
      continue;
    }
    auto& filed = byLiteral_[literal];
    filed.push_back(index);
    if (std::find(literalLengths_.begin(), literalLengths_.end(), literal.size()) ==
        literalLengths_.end()) {
      literalLengths_.push_back(literal.size());
    }
  }
}

std::optional<std::size_t> CookiePatternSet::FirstMatch(std::string_view site) const {
  std::vector<std::uint32_t> candidates = withoutLiteral_;
  for (const std::size_t length : literalLengths_) {
    for (std::size_t start = 0; start + length <= site.size(); ++start) {
      const auto filed = byLiteral_.find(site.substr(start, length));
      if (filed != byLiteral_.end()) {
        candidates.insert(candidates.end(), filed->second.begin(), filed->second.end());
      }
    }
  }
  std::sort(candidates.begin(), candidates.end());
  candidates.erase(std::unique(candidates.begin(), candidates.end()), candidates.end());
  for (const std::uint32_t index : candidates) {
    if (MatchesCookiePattern(site, patterns_[index])) return index;
  }
  return std::nullopt;
}

}  // namespace kestrian::scan
