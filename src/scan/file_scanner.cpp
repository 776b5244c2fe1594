#include "scan/file_scanner.h"

#include <functional>
#include <string>
#include <unordered_map>

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
#include "scan/text_hash.h"

namespace kestrian::scan {

namespace {
// The folder prefix of each distinct template, worked out once per phase: a definition set
// names a few hundred folders in tens of thousands of lines.
class FolderPrefixes {
 public:
  explicit FolderPrefixes(const KnownFolders& folders) : folders_(folders) {}
  const std::string& Of(std::string_view folderTemplate) {
    auto it = prefixes_.find(folderTemplate);
    if (it == prefixes_.end()) {
      it = prefixes_.emplace(folderTemplate, FolderPrefix(folderTemplate, folders_)).first;
    }
    return it->second;
  }

 private:
  const KnownFolders& folders_;
  std::unordered_map<std::string, std::string, TextHash, std::equal_to<>> prefixes_;
};
}  // namespace

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
  // Most definitions name what a machine does not have.
  context_.form.lvwFileNotFounds.Reserve(static_cast<std::size_t>(core::CountLines(content.value())));
  // Held for this phase only.
  FolderPrefixes prefixes(folders);
  FolderListings listings(files);
  std::string decoded;
  std::string definitionPath;
  core::LineReader reader(content.value());
  std::string_view line;
  while (!session.stopRequested && reader.Next(line)) {
    core::DecodeDefinitionLine(line, decoded);
    const auto definition = SplitFileDefinition(decoded);
    ++session.filesFoldersInspected;
    ReportProgress(definition ? definition->fileName : std::string_view(decoded));
    if (session.stopRequested) break;
    // A line without "=" names no threat and is passed over.
    if (definition) {
      PathAfterPrefix(prefixes.Of(definition->folderTemplate), definition->fileName, definitionPath);
      Inspect(*definition, definitionPath, listings);
    }
    context_.host.DoEvents();
  }
}

bool FileScanner::NormalFileAt(const std::string& path, FolderListings& listings) {
  if (searches_ == FileSearches::EveryDefinition) {
    return core::FindNormalFile(context_.machine.files, path).has_value();
  }
  return listings.NormalFileAt(path);
}

void FileScanner::ReportProgress(std::string_view fileName) {
  ReportScanProgressLazily(
      context_,
      [&] { return context_.state.session.statusPrefix + "\r\n" + std::string(fileName); },
      [&] {
        const auto& counts = context_.state.definitionCounts;
        const std::int32_t done = context_.state.session.filesFoldersInspected;
        return std::pair(Percent(done, counts.files).value_or(-1),
                         Percent(done + counts.registry + counts.cookies + counts.executables,
                                 counts.total)
                             .value_or(-1));
      });
}

void FileScanner::Inspect(const FileDefinitionFields& definition, const std::string& path,
                          FolderListings& listings) {
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
  if (!NormalFileAt(path, listings)) {
    const std::size_t row = form.lvwFileNotFounds.Add(std::string(definition.fileName));
    form.lvwFileNotFounds.SetSubItem(row, 1, std::string(definition.threatName));
    return;
  }
  if (IsMicrosoftCompany(GetExecutableCompanyName(files, path))) return;

  const std::string threatName(definition.threatName);
  const std::size_t row = form.lvwFilesToBeDeleted.Add(path);
  form.lvwFilesToBeDeleted.SetSubItem(row, 1, threatName);
  CountTrace(form);
  if (ThreatListed(form, threatName)) return;
  AddThreatRows(form, threatName + " - Found", threatName, path, finding_icons::kFileOrProcess);
  ++context_.state.session.spywareFound;
}

}  // namespace kestrian::scan
