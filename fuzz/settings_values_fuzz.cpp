// Settings read back as numbers and Booleans, and the store's texts. Oracles: both
// conversions against plain references (one sign at most); a number's text reads back as
// the number; a stored text reads back up to its first zero byte.
#include <limits>
#include <string>

#include "core/settings_store.h"
#include "core/text.h"
#include "fuzz_support.h"
#include "support/fake_machine.h"

using namespace kestrian;

namespace {
// Spaces, one optional sign, digits, spaces; within 64 bits.
std::optional<std::int64_t> ReferenceNumber(std::string_view text) {
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

std::optional<bool> ReferenceBoolean(std::string_view text) {
  const std::string upper = core::ToUpper(core::Trim(text));
  if (upper == "TRUE") return true;
  if (upper == "FALSE") return false;
  if (const auto number = ReferenceNumber(text)) return *number != 0;
  return std::nullopt;
}
}  // namespace

KESTRIAN_FUZZ_TARGET {
  const std::string_view input = fuzz::AsText(data, size);
  FUZZ_CHECK(core::ParseNumber(input) == ReferenceNumber(input));
  FUZZ_CHECK(core::ParseBoolean(input) == ReferenceBoolean(input));
  std::int64_t number = 0;
  for (std::size_t i = 0; i < std::min<std::size_t>(size, 8); ++i) number = (number << 8) | data[i];
  FUZZ_CHECK(core::ParseNumber(std::to_string(number)) == number);
  FUZZ_CHECK(core::ParseNumber(" +" + std::to_string(number < 0 ? -(number + 1) : number) + " ").has_value());

  testing::FakeRegistry registry;
  core::SettingsStore settings(registry, "Kestrian");
  settings.Save("OptionAndSettings", "Value", input);
  FUZZ_CHECK(settings.Get("OptionAndSettings", "Value", "none") == input.substr(0, input.find('\0')));
  fuzz::LinearOnLargeInput(input, "settings values", [](std::string_view large) {
    core::ParseNumber(large);
    core::ParseBoolean(large);
  });
  return 0;
}
