#pragma once
// Plain references the targets compare the program's readers with: written for clarity, not
// speed, and apart from the code they check.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrian::fuzz {

// The lines of a data file: each ends at CR LF or at a CR alone; a line feed belongs to its
// line.
std::vector<std::string_view> LinesOf(std::string_view content);

// The lines of a definition file, decoded.
std::vector<std::string> DecodedLinesOf(std::string_view content);

// Whether the first occurrence of `name` in `text`, ignoring case, runs to the end of its
// line (the next CR LF), both trimmed of spaces: the rule of the executable definitions and of
// the exclusion list's name test.
bool FirstOccurrenceEndsItsLine(std::string_view text, std::string_view name);

// Well-formed UTF-8: no stray or missing continuation byte, no overlong form, no surrogate,
// nothing above U+10FFFF.
bool ValidUtf8(std::string_view text);

// Spaces, at most one sign, decimal digits, spaces; nothing when the number does not fit.
std::optional<std::int64_t> WholeNumber(std::string_view text);

}  // namespace kestrian::fuzz
