#include "core/text.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace kestrian::core {

namespace {
char UpperChar(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
char LowerChar(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
}  // namespace

std::string ToUpper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = UpperChar(c);
  return out;
}

std::string ToLower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = LowerChar(c);
  return out;
}

std::string_view Trim(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (UpperChar(a[i]) != UpperChar(b[i])) return false;
  }
  return true;
}

int CompareIgnoringCase(std::string_view a, std::string_view b) {
  const std::size_t common = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < common; ++i) {
    const auto x = static_cast<unsigned char>(UpperChar(a[i]));
    const auto y = static_cast<unsigned char>(UpperChar(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsIgnoringCase(text.substr(0, prefix.size()), prefix);
}

std::size_t FindIgnoringCase(std::string_view text, std::string_view needle, std::size_t from) {
  if (needle.empty()) return from <= text.size() ? from : std::string_view::npos;
  if (needle.size() > text.size()) return std::string_view::npos;
  const char first = UpperChar(needle[0]);
  for (std::size_t i = from; i + needle.size() <= text.size(); ++i) {
    if (UpperChar(text[i]) == first && EqualsIgnoringCase(text.substr(i, needle.size()), needle)) {
      return i;
    }
  }
  return std::string_view::npos;
}

std::string ReplaceAll(std::string_view text, std::string_view what, std::string_view with) {
  if (what.empty()) return std::string(text);
  std::string out;
  std::size_t pos = 0;
  for (auto hit = text.find(what); hit != std::string_view::npos; hit = text.find(what, pos)) {
    out.append(text.substr(pos, hit - pos)).append(with);
    pos = hit + what.size();
  }
  out.append(text.substr(pos));
  return out;
}

std::string ReplaceAllIgnoringCase(std::string_view text, std::string_view what,
                                   std::string_view with) {
  if (what.empty()) return std::string(text);
  std::string out;
  std::size_t pos = 0;
  for (auto hit = FindIgnoringCase(text, what); hit != std::string_view::npos;
       hit = FindIgnoringCase(text, what, pos)) {
    out.append(text.substr(pos, hit - pos)).append(with);
    pos = hit + what.size();
  }
  out.append(text.substr(pos));
  return out;
}

std::int64_t RoundHalfEven(double value) {
  return static_cast<std::int64_t>(std::nearbyint(value));  // default rounding mode: to even
}

std::string FormatGrouped(std::int64_t value) {
  std::string digits = std::to_string(value < 0 ? -value : value);
  std::string out;
  const std::size_t lead = digits.size() % 3 == 0 ? 3 : digits.size() % 3;
  out.append(digits, 0, lead);
  for (std::size_t i = lead; i < digits.size(); i += 3) out.append(",").append(digits, i, 3);
  return value < 0 ? "-" + out : out;
}

std::optional<std::int64_t> ParseNumber(std::string_view text) {
  text = Trim(text);
  // One sign at most: from_chars takes a "-" of its own, so "+" is dropped only when a digit
  // follows it (else "+-7" would read as -7).
  if (text.size() > 1 && text[0] == '+' && text[1] >= '0' && text[1] <= '9') text.remove_prefix(1);
  std::int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::optional<bool> ParseBoolean(std::string_view text) {
  const std::string_view trimmed = Trim(text);
  if (EqualsIgnoringCase(trimmed, "True")) return true;
  if (EqualsIgnoringCase(trimmed, "False")) return false;
  if (const auto number = ParseNumber(trimmed)) return *number != 0;
  return std::nullopt;
}

}  // namespace kestrian::core
