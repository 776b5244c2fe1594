#include "scan/file_definition.h"

#include "core/text.h"

namespace kestrian::scan {

namespace {
// The text between the separator `index` and the next one (`index` 0: before the first).
std::string_view Field(std::string_view text, char separator, int index) {
  std::size_t start = 0;
  for (int i = 0; i < index; ++i) {
    const std::size_t next = text.find(separator, start);
    if (next == std::string_view::npos) return {};
    start = next + 1;
  }
  const std::size_t end = text.find(separator, start);
  return text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
}

std::string SingleBackslashes(std::string_view path) { return core::ReplaceAll(path, "\\\\", "\\"); }
}  // namespace

std::optional<FileDefinition> ParseFileDefinition(std::string_view line) {
  const auto fields = SplitFileDefinition(line);
  if (!fields) return std::nullopt;
  return FileDefinition{std::string(fields->fileName), std::string(fields->threatName),
                        std::string(fields->folderTemplate)};
}

std::optional<FileDefinitionFields> SplitFileDefinition(std::string_view line) {
  const std::string_view definitionPart = Field(line, '|', 0);
  if (definitionPart.find('=') == std::string_view::npos) return std::nullopt;
  return FileDefinitionFields{Field(definitionPart, '=', 0), Field(definitionPart, '=', 1),
                              Field(line, '|', 1)};
}

std::string ExpandFolderTemplate(std::string_view folderTemplate, const KnownFolders& folders) {
  std::string path = core::ReplaceAll(folderTemplate, "[pfiles]", folders.programFiles);
  path = core::ReplaceAll(path, "[Drive]", folders.drive);
  path = core::ReplaceAll(path, "[dDir]", folders.desktop);
  path = core::ReplaceAll(path, "[wDir]", folders.windows);
  return SingleBackslashes(path);
}

std::string DefinitionPath(const FileDefinition& definition, const KnownFolders& folders) {
  return PathAfterPrefix(FolderPrefix(definition.folderTemplate, folders), definition.fileName);
}

std::string FolderPrefix(std::string_view folderTemplate, const KnownFolders& folders) {
  if (folderTemplate.empty()) return folders.system;
  return ExpandFolderTemplate(folderTemplate, folders) + "\\";
}

std::string PathAfterPrefix(std::string_view prefix, std::string_view fileName) {
  std::string path;
  PathAfterPrefix(prefix, fileName, path);
  return path;
}

void PathAfterPrefix(std::string_view prefix, std::string_view fileName, std::string& path) {
  path.assign(prefix).append(fileName);
  // One left-to-right pass, as ReplaceAll makes it.
  std::size_t kept = path.find("\\\\");
  if (kept == std::string::npos) return;
  for (std::size_t at = kept; at < path.size(); ++at) {
    path[kept++] = path[at];
    if (path[at] == '\\' && at + 1 < path.size() && path[at + 1] == '\\') ++at;
  }
  path.resize(kept);
}

std::string WithTrailingBackslash(std::string path) {
  if (!path.empty() && path.back() != '\\') path.push_back('\\');
  return path;
}

}  // namespace kestrian::scan
