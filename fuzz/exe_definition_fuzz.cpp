// Executable definitions and the name rules of the process scan. Input: a process name
// field, a line break, then the definition file. Oracles: the definition match against a
// plain search of upper-cased copies; the snapshot shortcut never rules out a listed name;
// the remembered answers equal fresh ones.
#include "core/text.h"
#include "fuzz_support.h"
#include "reference.h"
#include "scan/process_names.h"

using namespace kestrian;

namespace {
// The definitions text as the scan builds it: each decoded line and CR LF.
std::string DefinitionText(std::string_view content) {
  std::string text;
  for (const std::string& line : fuzz::DecodedLinesOf(content)) text.append(line).append("\r\n");
  return text;
}
}  // namespace

KESTRIAN_FUZZ_TARGET {
  const std::string_view input = fuzz::AsText(data, size);
  const auto [exeFile, content] = fuzz::SplitOnce(input, '\n');
  const std::string text = DefinitionText(content);
  const std::string name = core::ToUpper(core::Trim(scan::ProcessFileName(exeFile)));
  const bool listed = scan::MatchesExeDefinition(text, name);
  FUZZ_CHECK(listed == fuzz::FirstOccurrenceEndsItsLine(text, name));
  const bool ruledOut = scan::SnapshotRulesOutProcess(core::ToUpper(text), exeFile);
  if (ruledOut) FUZZ_CHECK(!scan::MatchesExeDefinition(text, core::ToUpper(exeFile)));
  scan::SnapshotNameRule rule;
  rule.Use(text);
  FUZZ_CHECK(rule.RulesOut(std::string(exeFile)) == ruledOut);
  FUZZ_CHECK(rule.RulesOut(std::string(exeFile)) == ruledOut);
  scan::ProcessNameMatches(exeFile, content.substr(0, 300));
  scan::ShortProcessName(exeFile);
  scan::ResolveSystem32Path(exeFile, "C:\\WINDOWS\\SYSTEM32");
  // A name is at most a path's length; the search is in proportion to the text times it.
  const std::string shortName = name.substr(0, 32);
  const std::string_view shortExeFile = exeFile.substr(0, 32);
  fuzz::LinearOnLargeInput(content, "executable definitions", [&](std::string_view large) {
    const std::string largeText = DefinitionText(large);
    scan::MatchesExeDefinition(largeText, shortName);
    scan::SnapshotRulesOutProcess(core::ToUpper(largeText), shortExeFile);
  });
  return 0;
}
