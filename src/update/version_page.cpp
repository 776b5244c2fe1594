#include "update/version_page.h"

#include <algorithm>
#include <array>

#include "core/text.h"

namespace kestrian::update {

namespace {
constexpr std::array<std::string_view, 4> kErrorMarkers = {
    "425 HTTP Error", "PPPshar Message", "The page cannot be displayed",
    "Authenticating your login. Please wait "};

// From "&" to ";" of the longest reference read, "&#x10FFFF;" with room to spare.
constexpr std::size_t kLongestReference = 10;

struct NamedReference {
  std::string_view name;
  char character;
};
constexpr std::array<NamedReference, 6> kNamedReferences = {
    {{"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}, {"nbsp", ' '}}};

// The character a reference such as "amp", "#65" or "#x41" stands for.
std::optional<char> Referenced(std::string_view name) {
  for (const auto& reference : kNamedReferences) {
    if (name == reference.name) return reference.character;
  }
  if (name.size() < 2 || name[0] != '#') return std::nullopt;
  const bool hex = name[1] == 'x' || name[1] == 'X';
  unsigned long code = 0;
  for (const char c : name.substr(hex ? 2 : 1)) {
    int digit = -1;
    if (c >= '0' && c <= '9') digit = c - '0';
    if (hex && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    if (hex && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    if (digit < 0 || code > 0x10FFFF) return std::nullopt;
    code = code * (hex ? 16 : 10) + static_cast<unsigned long>(digit);
  }
  if (code == 0xA0) return ' ';
  if (code == 0 || code > 0xFF) return std::nullopt;  // the page's text is single-byte
  return static_cast<char>(code);
}

// Skips an element whose content is not shown (script, style) or a comment.
std::size_t SkipHidden(std::string_view html, std::size_t at) {
  if (html.substr(at, 4) == "<!--") {
    const std::size_t end = html.find("-->", at + 4);
    return end == std::string_view::npos ? html.size() : end + 3;
  }
  for (const std::string_view element : {"script", "style"}) {
    if (!core::StartsWithIgnoringCase(html.substr(at + 1), element)) continue;
    const std::size_t close = core::FindIgnoringCase(html, "</" + std::string(element), at);
    if (close == std::string_view::npos) return html.size();
    const std::size_t end = html.find('>', close);
    return end == std::string_view::npos ? html.size() : end + 1;
  }
  return at;
}
}  // namespace

std::string PageText(std::string_view html) {
  std::string text;
  text.reserve(html.size());
  std::size_t at = 0;
  std::size_t semicolon = html.find(';');  // the first ";" at or after `at`, or none
  while (at < html.size()) {
    // Plain text up to the next tag or reference goes over as it is.
    const std::size_t special = std::min(html.find_first_of("<&", at), html.size());
    text.append(html.substr(at, special - at));
    at = special;
    if (at == html.size()) break;
    if (html[at] == '<') {
      if (const std::size_t skipped = SkipHidden(html, at); skipped != at) {
        at = skipped;
        continue;
      }
      const std::size_t end = html.find('>', at);
      at = end == std::string_view::npos ? html.size() : end + 1;
      continue;
    }
    if (html[at] == '&') {
      // The next ";" is looked for again only once it is passed, so that a page of "&"
      // without ";" is read in one pass.
      if (semicolon < at) semicolon = html.find(';', at);
      if (semicolon != std::string_view::npos && semicolon - at <= kLongestReference) {
        if (const auto character = Referenced(html.substr(at + 1, semicolon - at - 1))) {
          text.push_back(*character);
          at = semicolon + 1;
          continue;
        }
      }
    }
    text.push_back(html[at++]);
  }
  return text;
}

bool IsErrorPage(std::string_view text) {
  for (const std::string_view marker : kErrorMarkers) {
    if (core::FindIgnoringCase(text, marker) != std::string_view::npos) return true;
  }
  return false;
}

std::optional<std::int32_t> VersionOfPage(std::string_view text) {
  const std::size_t marker = core::FindIgnoringCase(text, kVersionMarker);
  if (marker == std::string_view::npos) return std::nullopt;
  // Line breaks and tabs a browser shows as blanks count as blanks here too.
  std::string rest(text.substr(marker + kVersionMarker.size()));
  for (char& c : rest) {
    if (c == '\r' || c == '\n' || c == '\t') c = ' ';
  }
  const auto number = core::ParseNumber(rest);
  if (!number || *number < INT32_MIN || *number > INT32_MAX) return std::nullopt;
  return static_cast<std::int32_t>(*number);
}

}  // namespace kestrian::update
