// Settings read back as numbers and Booleans, and the store's texts. Oracles: both
// conversions against plain references (one sign at most); a number's text reads back as
// the number; a stored text reads back up to its first zero byte.
#include <string>

#include "core/settings_store.h"
#include "core/text.h"
#include "fuzz_support.h"
#include "reference.h"
#include "support/fake_machine.h"

using namespace kestrian;

namespace {
std::optional<bool> ReferenceBoolean(std::string_view text) {
  const std::string upper = core::ToUpper(core::Trim(text));
  if (upper == "TRUE") return true;
  if (upper == "FALSE") return false;
  if (const auto number = fuzz::WholeNumber(text)) return *number != 0;
  return std::nullopt;
}
}  // namespace

KESTRIAN_FUZZ_TARGET {
  const std::string_view input = fuzz::AsText(data, size);
  FUZZ_CHECK(core::ParseNumber(input) == fuzz::WholeNumber(input));
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
