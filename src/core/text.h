#pragma once
// Text helpers with the comparison rules of the behaviour: names and paths are compared after
// upper-casing both sides; Trim removes spaces only.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestrian::core {

std::string ToUpper(std::string_view text);
std::string ToLower(std::string_view text);
std::string_view Trim(std::string_view text);
bool EqualsIgnoringCase(std::string_view a, std::string_view b);
// Orders texts as their upper-case forms order (bytes unsigned): below 0, 0 or above 0.
int CompareIgnoringCase(std::string_view a, std::string_view b);
bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix);
// Position of the first occurrence of `needle` in `text` from `from`, ignoring case.
std::size_t FindIgnoringCase(std::string_view text, std::string_view needle, std::size_t from = 0);
std::string ReplaceAll(std::string_view text, std::string_view what, std::string_view with);
std::string ReplaceAllIgnoringCase(std::string_view text, std::string_view what,
                                   std::string_view with);

// Rounds to the nearest whole number, halves to even (as a conversion to an integer does).
std::int64_t RoundHalfEven(double value);
// A whole number with digit grouping and no decimals: 12345 -> "12,345".
std::string FormatGrouped(std::int64_t value);

// A stored text read back as a number: optional spaces around a decimal whole number with
// at most one sign.
std::optional<std::int64_t> ParseNumber(std::string_view text);
// A stored text read back as a Boolean: "True"/"False" in any case, or a number (0 is false).
std::optional<bool> ParseBoolean(std::string_view text);

}  // namespace kestrian::core
