// Executable definitions and the name rules of the process scan. Input: a process name
// field, a line break, then the definition file. Oracles: the definition match against a
// plain search of upper-cased copies; the snapshot shortcut never rules out a listed name;
// the remembered answers equal fresh ones.
#include "core/definition_line.h"
#include "core/line_reader.h"
#include "core/text.h"
#include "fuzz_support.h"
#include "scan/process_names.h"

using namespace kestrian;

namespace {
// The definitions text as the scan builds it: each decoded line and CR LF.
std::string DefinitionText(std::string_view content) {
  std::string text;
  core::LineReader reader(content);
  for (std::string_view raw; reader.Next(raw);) text.append(core::DecodeDefinitionLine(raw)).append("\r\n");
  return text;
}

// The first occurrence of the name must run to the end of its line.
bool ReferenceMatch(std::string_view text, std::string_view name) {
  const std::string upperText = core::ToUpper(text);
  const std::string upperName = core::ToUpper(name);
  if (upperName.empty()) return false;
  const std::size_t found = upperText.find(upperName);
  if (found == std::string::npos) return false;
  std::size_t end = upperText.find("\r\n", found + 1);
  if (end == std::string::npos) end = upperText.size();
  return core::Trim(std::string_view(upperText).substr(found, end - found)) == core::Trim(upperName);
}
}  // namespace

KESTRIAN_FUZZ_TARGET {
  const std::string_view input = fuzz::AsText(data, size);
  const auto [exeFile, content] = fuzz::SplitOnce(input, '\n');
  const std::string text = DefinitionText(content);
  const std::string name = core::ToUpper(core::Trim(scan::ProcessFileName(exeFile)));
  const bool listed = scan::MatchesExeDefinition(text, name);
  FUZZ_CHECK(listed == ReferenceMatch(text, name));
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
