#include "reference.h"

#include <limits>
#include <string>

#include "core/definition_line.h"
#include "core/text.h"

namespace kestrian::fuzz {

std::vector<std::string_view> LinesOf(std::string_view content) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < content.size(); ++i) {
    if (content[i] != '\r') continue;
    lines.push_back(content.substr(start, i - start));
    if (i + 1 < content.size() && content[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < content.size()) lines.push_back(content.substr(start));
  return lines;
}

std::vector<std::string> DecodedLinesOf(std::string_view content) {
  std::vector<std::string> lines;
  for (const std::string_view line : LinesOf(content)) lines.push_back(core::DecodeDefinitionLine(line));
  return lines;
}

bool FirstOccurrenceEndsItsLine(std::string_view text, std::string_view name) {
  const std::string upperText = core::ToUpper(text);
  const std::string upperName = core::ToUpper(name);
  if (upperName.empty()) return false;
  const std::size_t found = upperText.find(upperName);
  if (found == std::string::npos) return false;
  const std::size_t end = upperText.find("\r\n", found + 1);
  const std::string_view line = std::string_view(upperText).substr(found, end == std::string::npos ? end : end - found);
  return core::Trim(line) == core::Trim(upperName);
}

bool ValidUtf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto c = static_cast<unsigned char>(text[i]);
    std::size_t length = 0;
    std::uint32_t code = 0;
    if (c < 0x80) { length = 1; code = c; }
    else if ((c & 0xE0) == 0xC0) { length = 2; code = c & 0x1F; }
    else if ((c & 0xF0) == 0xE0) { length = 3; code = c & 0x0F; }
    else if ((c & 0xF8) == 0xF0) { length = 4; code = c & 0x07; }
    else return false;
    if (i + length > text.size()) return false;
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      code = (code << 6) | (next & 0x3F);
    }
    const std::uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < least[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    i += length;
  }
  return true;
}

std::optional<std::int64_t> WholeNumber(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  // Kept as a negative number, which reaches one further than a positive one.
  std::int64_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    const int digit = c - '0';
    if (value < (std::numeric_limits<std::int64_t>::min() + digit) / 10) return std::nullopt;
    value = value * 10 - digit;
  }
  if (negative) return value;
  if (value == std::numeric_limits<std::int64_t>::min()) return std::nullopt;
  return -value;
}

}  // namespace kestrian::fuzz
