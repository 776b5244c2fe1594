// File definition lines and their folder templates. Oracles: the fields hold no separator; a
// line the definitions tool accepts is one the scanner reads, with both names; expanding a
// template leaves no placeholder.
#include <array>

#include "core/text.h"
#include "fuzz_support.h"
#include "reference.h"
#include "scan/file_definition.h"
#include "tools/kdefs/definition_validator.h"

using namespace kestrian;

namespace {
// Folders made of characters no placeholder holds, so that none can appear by replacement.
const scan::KnownFolders kFolders{"S:\\", "D:\\", "D:\\P\\", "U:\\", "W:\\"};
constexpr std::array<std::string_view, 4> kPlaceholders = {"[pfiles]", "[Drive]", "[dDir]", "[wDir]"};

void CheckLine(std::string_view line) {
  const auto definition = scan::ParseFileDefinition(line);
  if (definition) {
    FUZZ_CHECK(definition->fileName.find_first_of("=|") == std::string::npos);
    FUZZ_CHECK(definition->threatName.find_first_of("=|") == std::string::npos);
    FUZZ_CHECK(definition->folderTemplate.find('|') == std::string::npos);
    const std::string expanded = scan::ExpandFolderTemplate(definition->folderTemplate, kFolders);
    for (const std::string_view placeholder : kPlaceholders) {
      FUZZ_CHECK(expanded.find(placeholder) == std::string::npos);
    }
    scan::DefinitionPath(*definition, kFolders);
  } else {
    FUZZ_CHECK(line.substr(0, line.find('|')).find('=') == std::string_view::npos);
  }
  if (!kdefs::ValidateFileLine(line)) {
    FUZZ_CHECK(definition.has_value());
    FUZZ_CHECK(!core::Trim(definition->fileName).empty());
    FUZZ_CHECK(!core::Trim(definition->threatName).empty());
  }
}

}  // namespace

KESTRIAN_FUZZ_TARGET {
  const std::string_view input = fuzz::AsText(data, size);
  for (const std::string& line : fuzz::DecodedLinesOf(input)) CheckLine(line);
  fuzz::LinearOnLargeInput(input, "file definitions", [](std::string_view large) {
    for (const std::string& line : fuzz::DecodedLinesOf(large)) {
      if (const auto definition = scan::ParseFileDefinition(line)) scan::DefinitionPath(*definition, kFolders);
      kdefs::ValidateFileLine(line);
    }
  });
  return 0;
}
