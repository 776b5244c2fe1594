#include "scan/cookie_pattern.h"

#include <optional>
#include <vector>

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

// One element of a pattern: a run of stars, or a test of exactly one character.
struct Token {
  enum class Kind { Star, Any, Digit, Literal, List };
  explicit Token(Kind k, char c = 0, std::string_view l = {}, bool n = false)
      : kind(k), literal(c), list(l), negated(n) {}
  Kind kind;
  char literal;
  std::string_view list;  // without its brackets and its "!"
  bool negated;

  bool Accepts(char c) const {
    switch (kind) {
      case Kind::Any: return true;
      case Kind::Digit: return c >= '0' && c <= '9';
      case Kind::Literal: return c == literal;
      case Kind::List: return InList(c, list) != negated;
      case Kind::Star: return false;
    }
    return false;
  }
};

// The tokens of a usable pattern; "[]" stands for no character and leaves no token, and
// a run of stars is one star.
std::vector<Token> Tokens(std::string_view pattern) {
  std::vector<Token> tokens;
  for (std::size_t at = 0; at < pattern.size();) {
    const char c = pattern[at];
    if (c == '[') {
      const std::size_t end = *ListEnd(pattern, at);
      std::string_view list = pattern.substr(at + 1, end - at - 2);
      at = end;
      if (list.empty()) continue;
      const bool negated = list[0] == '!';
      if (negated) list.remove_prefix(1);
      tokens.push_back(Token{Token::Kind::List, 0, list, negated});
      continue;
    }
    ++at;
    if (c == '*') {
      if (tokens.empty() || tokens.back().kind != Token::Kind::Star) tokens.push_back(Token{Token::Kind::Star});
    } else if (c == '?') {
      tokens.push_back(Token{Token::Kind::Any});
    } else if (c == '#') {
      tokens.push_back(Token{Token::Kind::Digit});
    } else {
      tokens.push_back(Token{Token::Kind::Literal, c});
    }
  }
  return tokens;
}
}  // namespace

bool IsUsableCookiePattern(std::string_view pattern) {
  for (std::size_t i = pattern.find('['); i != std::string_view::npos; i = pattern.find('[', i + 1)) {
    const auto end = ListEnd(pattern, i);
    if (!end) return false;
    i = *end - 1;
  }
  return true;
}

// Every other token tests one character, so a mismatch after a star only ever needs that
// star to take one more character: the last star's place is all there is to go back to.
bool MatchesCookiePattern(std::string_view site, std::string_view pattern) {
  if (!IsUsableCookiePattern(pattern)) return false;
  const std::vector<Token> tokens = Tokens(pattern);
  std::size_t token = 0;
  std::size_t at = 0;
  std::optional<std::size_t> star;  // the token after the last star passed
  std::size_t starAt = 0;           // where that star's run of characters ends
  while (at < site.size()) {
    if (token < tokens.size() && tokens[token].kind == Token::Kind::Star) {
      star = ++token;
      starAt = at;
    } else if (token < tokens.size() && tokens[token].Accepts(site[at])) {
      ++token;
      ++at;
    } else if (star) {
      token = *star;
      at = ++starAt;
    } else {
      return false;
    }
  }
  while (token < tokens.size() && tokens[token].kind == Token::Kind::Star) ++token;
  return token == tokens.size();
}

}  // namespace kestrian::scan
