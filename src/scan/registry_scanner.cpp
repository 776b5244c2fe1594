#include "scan/registry_scanner.h"

#include <string>

#include "core/data_files.h"
#include "core/definition_files.h"
#include "core/file_tests.h"
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
  auto& session = context_.state.session;
  if (session.stopRequested) return;
  const std::vector<RegistryLine> lines = ReadRegistryLines(content.value());
  std::optional<RegistryLineAnswers> answers;
  if (opens_ == KeyOpens::OncePerKey) answers.emplace(context_.machine.registry, lines);
  for (std::size_t at = 0; at < lines.size() && !session.stopRequested; ++at) {
    const RegistryLine& line = lines[at];
    ++session.registryEntriesInspected;
    const auto& definition = line.definition;
    if (definition) {
      ReportProgress(definition->keyPath, definition->valueName);
    } else {
      ReportProgress(line.text, {});
    }
    // A line without the three fields and the "=" names nothing and is passed over.
    if (definition && Exists(line, at, answers)) AddFinding(line.root, *definition);
    context_.host.DoEvents();
  }
}

void RegistryScanner::ReportProgress(std::string_view inspected,
                                     std::optional<std::string_view> valueName) {
  ReportScanProgressLazily(
      context_,
      [&] {
        std::string text(inspected);
        if (valueName) text.append("\\").append(*valueName);
        return context_.state.session.statusPrefix + "\r\n" + core::ToLower(text);
      },
      [&] {
        const auto& counts = context_.state.definitionCounts;
        const std::int32_t done = context_.state.session.registryEntriesInspected;
        return std::pair(Percent(done, counts.registry).value_or(-1),
                         Percent(done + counts.cookies + counts.executables, counts.total).value_or(-1));
      });
}

bool RegistryScanner::Exists(const RegistryLine& line, std::size_t at,
                             std::optional<RegistryLineAnswers>& answers) {
  if (answers) return answers->Exists(at);
  auto& registry = context_.machine.registry;
  const RegistryDefinition& definition = *line.definition;
  if (definition.valueName.empty()) return core::KeyExists(registry, line.root, definition.keyPath);
  std::string data = "0";
  return core::ValueExists(registry, line.root, definition.keyPath, definition.valueName, data);
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
