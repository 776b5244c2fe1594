#include "scan/definition_check.h"

#include <string>

#include "core/data_files.h"
#include "core/definition_line.h"
#include "core/line_reader.h"
#include "core/text.h"
#include "scan/cookie_pattern.h"
#include "scan/file_definition.h"
#include "scan/registry_definition.h"

namespace kestrian::scan {

namespace {
using LineTest = bool (*)(std::string_view decoded);

bool RegistryLineParses(std::string_view decoded) { return ParseRegistryDefinition(decoded).has_value(); }
bool FileLineParses(std::string_view decoded) { return ParseFileDefinition(decoded).has_value(); }
// A blank line names no program.
bool ExeLineParses(std::string_view decoded) { return !core::Trim(decoded).empty(); }
bool CookieLineParses(std::string_view decoded) { return IsUsableCookiePattern(decoded); }

LineTest TestFor(std::string_view fileName) {
  using namespace core::data_files;
  if (core::EqualsIgnoringCase(fileName, kRegistryDefinitions)) return RegistryLineParses;
  if (core::EqualsIgnoringCase(fileName, kFileDefinitions)) return FileLineParses;
  if (core::EqualsIgnoringCase(fileName, kExeDefinitions)) return ExeLineParses;
  if (core::EqualsIgnoringCase(fileName, kBlockedCookies)) return CookieLineParses;
  return nullptr;
}
}  // namespace

bool EveryDefinitionLineParses(std::string_view fileName, std::string_view content) {
  const LineTest parses = TestFor(fileName);
  if (parses == nullptr) return false;
  core::LineReader reader(content);
  std::string_view line;
  while (reader.Next(line)) {
    if (!parses(core::DecodeDefinitionLine(line))) return false;
  }
  return true;
}

}  // namespace kestrian::scan
