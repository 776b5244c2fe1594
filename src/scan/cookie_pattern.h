#pragma once
// The wildcard patterns of blocked cookies, matched against a whole site, case-sensitively:
// "*" any run of characters, "?" any one character, "#" any one digit, "[list]" one character
// of the list (ranges such as a-z allowed), "[!list]" one character not in it. "[]" stands for
// no character. A pattern with an unclosed "[" matches nothing.
#include <string_view>

namespace kestrian::scan {

// Takes time in proportion to the pattern's length times the site's, whatever the pattern.
bool MatchesCookiePattern(std::string_view site, std::string_view pattern);

// False for a pattern that can match nothing because a "[" is never closed.
bool IsUsableCookiePattern(std::string_view pattern);

}  // namespace kestrian::scan
