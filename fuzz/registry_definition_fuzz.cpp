// Registry definition lines. Oracles: a parsed line gives its fields back as written; a line
// the definitions tool accepts is one the scanner reads, with a root it knows.
#include <algorithm>

#include "core/text.h"
#include "fuzz_support.h"
#include "reference.h"
#include "scan/registry_definition.h"
#include "tools/kdefs/definition_validator.h"

using namespace kestrian;

namespace {
void CheckLine(std::string_view line) {
  const auto definition = scan::ParseRegistryDefinition(line);
  const std::size_t equals = line.rfind('=');
  if (definition) {
    FUZZ_CHECK(equals != std::string_view::npos);
    const std::string fields = definition->rootField + "^" + definition->keyPath + "^" + definition->valueName;
    FUZZ_CHECK(line.substr(0, equals).starts_with(fields));
    FUZZ_CHECK(definition->threatName == core::Trim(line.substr(equals + 1)));
    FUZZ_CHECK(definition->rootField.find('^') == std::string::npos);
    FUZZ_CHECK(definition->keyPath.find('^') == std::string::npos);
    FUZZ_CHECK(definition->valueName.find('^') == std::string::npos);
  } else if (equals != std::string_view::npos) {
    // Fewer than three fields before the last "=".
    const std::string_view keyPart = line.substr(0, equals);
    FUZZ_CHECK(std::count(keyPart.begin(), keyPart.end(), '^') < 2);
  }
  if (!kdefs::ValidateRegistryLine(line)) {
    FUZZ_CHECK(definition.has_value());
    const platform::RootKey root = scan::RootKeyFromField(definition->rootField);
    FUZZ_CHECK(root != platform::roots::kNone);
    FUZZ_CHECK(!scan::RootKeyName(root).empty());
    FUZZ_CHECK(core::ParseNumber(scan::RootKeyAsSignedDecimal(root)).has_value());
  }
}

}  // namespace

KESTRIAN_FUZZ_TARGET {
  const std::string_view input = fuzz::AsText(data, size);
  for (const std::string& line : fuzz::DecodedLinesOf(input)) CheckLine(line);
  fuzz::LinearOnLargeInput(input, "registry definitions", [](std::string_view large) {
    for (const std::string& line : fuzz::DecodedLinesOf(large)) {
      if (const auto definition = scan::ParseRegistryDefinition(line)) scan::RootKeyFromField(definition->rootField);
      kdefs::ValidateRegistryLine(line);
    }
  });
  return 0;
}
