// The update host's version pages. Oracles: the page text is never longer than the page and
// is the page itself when it holds no tag or reference; the error-page test and the version
// against plain references (one sign at most before the digits).
#include <array>
#include <limits>

#include "core/text.h"
#include "fuzz_support.h"
#include "reference.h"
#include "update/version_page.h"

using namespace kestrian;

namespace {
bool ReferenceErrorPage(std::string_view text) {
  const std::string upper = core::ToUpper(text);
  constexpr std::array<std::string_view, 4> markers = {"425 HTTP ERROR", "PPPSHAR MESSAGE",
                                                       "THE PAGE CANNOT BE DISPLAYED",
                                                       "AUTHENTICATING YOUR LOGIN. PLEASE WAIT "};
  for (const std::string_view marker : markers) {
    if (upper.find(marker) != std::string::npos) return true;
  }
  return false;
}

// Blanks (spaces, tabs, line breaks), at most one sign, digits, blanks, within 32 bits.
std::optional<std::int32_t> ReferenceVersion(std::string_view text) {
  const std::string upper = core::ToUpper(text);
  const std::size_t marker = upper.find("DEFINATION VERSION :");
  if (marker == std::string::npos) return std::nullopt;
  // A browser shows tabs and line breaks as blanks.
  std::string rest(text.substr(marker + 20));
  for (char& c : rest) {
    if (c == '\t' || c == '\r' || c == '\n') c = ' ';
  }
  const auto value = fuzz::WholeNumber(rest);
  if (!value || *value < std::numeric_limits<std::int32_t>::min() || *value > std::numeric_limits<std::int32_t>::max()) {
    return std::nullopt;
  }
  return static_cast<std::int32_t>(*value);
}
}  // namespace

KESTRIAN_FUZZ_TARGET {
  const std::string_view html = fuzz::AsText(data, size);
  const std::string text = update::PageText(html);
  FUZZ_CHECK(text.size() <= html.size());
  if (html.find_first_of("<&") == std::string_view::npos) FUZZ_CHECK(text == html);
  FUZZ_CHECK(update::IsErrorPage(text) == ReferenceErrorPage(text));
  FUZZ_CHECK(update::VersionOfPage(text) == ReferenceVersion(text));
  FUZZ_CHECK(update::VersionOfPage(html) == ReferenceVersion(html));
  fuzz::LinearOnLargeInput(html, "version page", [](std::string_view large) {
    const std::string largeText = update::PageText(large);
    update::IsErrorPage(largeText);
    update::VersionOfPage(largeText);
  });
  return 0;
}
