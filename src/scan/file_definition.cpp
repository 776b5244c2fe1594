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
  const std::string_view definitionPart = Field(line, '|', 0);
  if (definitionPart.find('=') == std::string_view::npos) return std::nullopt;
  FileDefinition definition;
  definition.fileName = Field(definitionPart, '=', 0);
  definition.threatName = Field(definitionPart, '=', 1);
  definition.folderTemplate = Field(line, '|', 1);
  return definition;
}

std::string ExpandFolderTemplate(std::string_view folderTemplate, const KnownFolders& folders) {
  std::string path = core::ReplaceAll(folderTemplate, "[pfiles]", folders.programFiles);
  path = core::ReplaceAll(path, "[Drive]", folders.drive);
  path = core::ReplaceAll(path, "[dDir]", folders.desktop);
  path = core::ReplaceAll(path, "[wDir]", folders.windows);
  return SingleBackslashes(path);
}

std::string DefinitionPath(const FileDefinition& definition, const KnownFolders& folders) {
  if (definition.folderTemplate.empty()) return SingleBackslashes(folders.system + definition.fileName);
  return SingleBackslashes(ExpandFolderTemplate(definition.folderTemplate, folders) + "\\" +
                           definition.fileName);
}

std::string WithTrailingBackslash(std::string path) {
  if (!path.empty() && path.back() != '\\') path.push_back('\\');
  return path;
}

}  // namespace kestrian::scan
