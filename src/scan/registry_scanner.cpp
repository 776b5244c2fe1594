#include "scan/registry_scanner.h"

#include <string>

#include "core/data_files.h"
#include "core/definition_files.h"
#include "core/definition_line.h"
#include "core/file_tests.h"
#include "core/line_reader.h"
#include "core/registry_access.h"
#include "core/text.h"
#include "scan/finding_rows.h"
#include "scan/scan_progress.h"

namespace kestrian::scan {

void RegistryScanner::ScanRegistryDefinitions() {
  auto& files = context_.machine.files;
  const std::string path = context_.folder.FilePath(core::data_files::kRegistryDefinitions);
  if (!core::FindNormalFile(files, path)) return;
  const auto content = core::ReadDefinitionFile(files, path);
  if (!content.ok()) return;
  core::LineReader reader(content.value());
  std::string_view line;
  while (!context_.state.session.stopRequested && reader.Next(line)) {
    const std::string decoded = core::DecodeDefinitionLine(line);
    const auto definition = ParseRegistryDefinition(decoded);
    ++context_.state.session.registryEntriesInspected;
    ReportProgress(definition ? definition->keyPath + "\\" + definition->valueName : decoded);
    // A line without the three fields and the "=" names nothing and is passed over.
    if (definition) {
      const platform::RootKey root = RootKeyFromField(definition->rootField);
      if (Exists(root, *definition)) AddFinding(root, *definition);
    }
    context_.host.DoEvents();
  }
}

void RegistryScanner::ReportProgress(std::string_view inspected) {
  const auto& counts = context_.state.definitionCounts;
  const std::int32_t done = context_.state.session.registryEntriesInspected;
  ReportScanProgressLazily(
      context_,
      [&] { return context_.state.session.statusPrefix + "\r\n" + core::ToLower(inspected); },
      Percent(done, counts.registry).value_or(-1),
      Percent(done + counts.cookies + counts.executables, counts.total).value_or(-1));
}

bool RegistryScanner::Exists(platform::RootKey root, const RegistryDefinition& definition) {
  auto& registry = context_.machine.registry;
  if (definition.valueName.empty()) return core::KeyExists(registry, root, definition.keyPath);
  std::string data = "0";
  return core::ValueExists(registry, root, definition.keyPath, definition.valueName, data);
}

void RegistryScanner::AddFinding(platform::RootKey root, const RegistryDefinition& definition) {
  const bool wholeKey = definition.valueName.empty();
  const bool named = !definition.threatName.empty();
  // A value's location runs the value name on after the key path, with nothing between.
  std::string location = std::string(RootKeyName(root)) + "\\" + definition.keyPath;
  if (!wholeKey) location += definition.valueName;
  const std::string resultText = named ? definition.threatName : definition.keyPath;
  if (TraceExcluded(context_.state.exclusionText, location, resultText)) return;

  auto& form = context_.form;
  auto& traces = form.lvwRegistryToBeDeleted;
  const std::size_t row = traces.Add(RootKeyAsSignedDecimal(root));
  traces.SetSubItem(row, 1, definition.keyPath);
  traces.SetSubItem(row, 2, definition.valueName);
  traces.SetSubItem(row, 3, definition.threatName);
  CountTrace(form);

  if (ThreatListed(form, definition.threatName)) return;
  std::string foundText;
  if (named) {
    foundText = definition.threatName + " - Found";
  } else if (wholeKey) {
    foundText = "RegKey " + definition.keyPath + " - Found";
  } else {
    foundText = "RegKey " + RootKeyAsSignedDecimal(root) + " - Found";
  }
  AddThreatRows(form, std::move(foundText), resultText, std::move(location),
                finding_icons::kRegistry);
  ++context_.state.session.spywareFound;
}

}  // namespace kestrian::scan
