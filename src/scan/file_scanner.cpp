#include "scan/file_scanner.h"

#include <string>

#include "core/data_files.h"
#include "core/definition_files.h"
#include "core/definition_line.h"
#include "core/exclusion_list.h"
#include "core/file_tests.h"
#include "core/line_reader.h"
#include "core/text.h"
#include "scan/company_name.h"
#include "scan/finding_rows.h"
#include "scan/scan_progress.h"

namespace kestrian::scan {

KnownFolders FileScanner::FoldersOfThisMachine() {
  auto& environment = context_.machine.environment;
  KnownFolders folders;
  folders.system = WithTrailingBackslash(environment.SystemFolder());
  const std::string programs =
      WithTrailingBackslash(environment.SpecialFolderPath(platform::special_folders::kPrograms));
  folders.drive = programs.substr(0, 3);
  folders.programFiles = folders.drive + "Program Files\\";
  folders.desktop =
      WithTrailingBackslash(environment.SpecialFolderPath(platform::special_folders::kDesktop));
  folders.windows = WithTrailingBackslash(environment.WindowsFolder());
  return folders;
}

void FileScanner::ScanFileDefinitions() {
  const KnownFolders folders = FoldersOfThisMachine();
  auto& files = context_.machine.files;
  const std::string path = context_.folder.FilePath(core::data_files::kFileDefinitions);
  if (!core::FindNormalFile(files, path)) return;
  const auto content = core::ReadDefinitionFile(files, path);
  if (!content.ok()) return;
  auto& session = context_.state.session;
  core::LineReader reader(content.value());
  std::string_view line;
  while (!session.stopRequested && reader.Next(line)) {
    const std::string decoded = core::DecodeDefinitionLine(line);
    const auto definition = ParseFileDefinition(decoded);
    ++session.filesFoldersInspected;
    ReportProgress(definition ? std::string_view(definition->fileName) : std::string_view(decoded));
    if (session.stopRequested) break;
    // A line without "=" names no threat and is passed over.
    if (definition) Inspect(*definition, folders);
    context_.host.DoEvents();
  }
}

void FileScanner::ReportProgress(std::string_view fileName) {
  const auto& counts = context_.state.definitionCounts;
  const std::int32_t done = context_.state.session.filesFoldersInspected;
  ReportScanProgressLazily(
      context_,
      [&] { return context_.state.session.statusPrefix + "\r\n" + std::string(fileName); },
      Percent(done, counts.files).value_or(-1),
      Percent(done + counts.registry + counts.cookies + counts.executables, counts.total)
          .value_or(-1));
}

void FileScanner::Inspect(const FileDefinition& definition, const KnownFolders& folders) {
  const std::string path = DefinitionPath(definition, folders);
  const std::string& exclusions = context_.state.exclusionText;
  // Excluded definitions are neither looked for nor listed anywhere. The Exclude command
  // stores a file finding's path and threat name, so both count, as does the name itself.
  if (!exclusions.empty() && ((!definition.fileName.empty() &&
                               core::IsExcluded(exclusions, definition.fileName)) ||
                              TraceExcluded(exclusions, path, definition.threatName))) {
    return;
  }
  auto& form = context_.form;
  auto& files = context_.machine.files;
  if (!core::FindNormalFile(files, path)) {
    const std::size_t row = form.lvwFileNotFounds.Add(definition.fileName);
    form.lvwFileNotFounds.SetSubItem(row, 1, definition.threatName);
    return;
  }
  if (IsMicrosoftCompany(GetExecutableCompanyName(files, path))) return;

  const std::size_t row = form.lvwFilesToBeDeleted.Add(path);
  form.lvwFilesToBeDeleted.SetSubItem(row, 1, definition.threatName);
  CountTrace(form);
  if (ThreatListed(form, definition.threatName)) return;
  AddThreatRows(form, definition.threatName + " - Found", definition.threatName, path,
                finding_icons::kFileOrProcess);
  ++context_.state.session.spywareFound;
}

}  // namespace kestrian::scan
