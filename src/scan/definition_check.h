#pragma once
// The test a downloaded definition file passes before it replaces the installed one: every
// line decodes and parses as the scanner of its kind reads it.
#include <string_view>

namespace kestrian::scan {

// False when `content`, a definition file named `fileName`, holds a line its scanner would
// pass over as malformed (or `fileName` names no definition file).
bool EveryDefinitionLineParses(std::string_view fileName, std::string_view content);

}  // namespace kestrian::scan
