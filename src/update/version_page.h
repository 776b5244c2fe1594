#pragma once
// What a version page of the update host says: its text as a browser shows it, whether it
// is an error page, and the version number after the marker.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestrian::update {

// What precedes the version number on a version page, spelled as the update host spells it.
inline constexpr std::string_view kVersionMarker = "Defination version :";

// The page's text without its tags, comments, scripts and styles, with character
// references decoded.
std::string PageText(std::string_view html);

// Whether the text holds one of the error-page markers (without regard to case).
bool IsErrorPage(std::string_view text);

// The whole number after "Defination version :" (found without regard to case), blanks
// around it allowed and nothing else after it; nothing when there is no such number.
std::optional<std::int32_t> VersionOfPage(std::string_view text);

}  // namespace kestrian::update
