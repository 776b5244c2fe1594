#pragma once
// The blocked-cookie patterns in their order, with an index that finds the first pattern a
// site fits without trying them all: each pattern is filed under its longest run of plain
// characters, which any site it fits must contain.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kestrian::scan {

class CookiePatternSet {
 public:
  CookiePatternSet() = default;
  explicit CookiePatternSet(std::vector<std::string> patterns);
  CookiePatternSet(const CookiePatternSet&) = delete;  // the index points into the patterns
  CookiePatternSet& operator=(const CookiePatternSet&) = delete;

  std::size_t Size() const { return patterns_.size(); }
  const std::string& Pattern(std::size_t index) const { return patterns_[index]; }
  // The index of the first pattern (in order) that `site` fits.
  std::optional<std::size_t> FirstMatch(std::string_view site) const;

 private:
  std::vector<std::string> patterns_;
  std::unordered_map<std::string_view, std::vector<std::uint32_t>> byLiteral_;
  std::vector<std::size_t> literalLengths_;
  std::vector<std::uint32_t> withoutLiteral_;  // tried for every site
};

// The longest run of characters of `pattern` that stand for themselves.
std::string_view LongestLiteral(std::string_view pattern);

}  // namespace kestrian::scan
