#pragma once
// A line of the file definitions: file name "=" threat name, optionally followed by "|" and
// a folder template with placeholders for the folders that differ between machines.
#include <optional>
#include <string>
#include <string_view>

namespace kestrian::scan {

struct FileDefinition {
  std::string fileName;      // as written; may name a file in a sub-folder
  std::string threatName;    // as written, spaces kept
  std::string folderTemplate;
  bool operator==(const FileDefinition&) const = default;
};

// The folders the placeholders stand for, each ending in a backslash (or empty when the
// shell could not give it).
struct KnownFolders {
  std::string system;        // for a definition without a folder template
  std::string drive;         // [Drive]: first three characters of the Start-menu Programs folder
  std::string programFiles;  // [pfiles]: drive & "Program Files\"
  std::string desktop;       // [dDir]
  std::string windows;       // [wDir]
};

// A definition's fields as parts of its line.
struct FileDefinitionFields {
  std::string_view fileName;
  std::string_view threatName;
  std::string_view folderTemplate;
};

// A line without "=" names no threat and is not a definition.
std::optional<FileDefinition> ParseFileDefinition(std::string_view line);
std::optional<FileDefinitionFields> SplitFileDefinition(std::string_view line);

// Replaces the placeholders in their order, case-sensitively, then each doubled backslash.
std::string ExpandFolderTemplate(std::string_view folderTemplate, const KnownFolders& folders);

// The path the definition names on this machine: its folder prefix, then its file name.
std::string DefinitionPath(const FileDefinition& definition, const KnownFolders& folders);

// What a definition's file name follows: the system folder for an empty template, else the
// expanded template and one backslash.
std::string FolderPrefix(std::string_view folderTemplate, const KnownFolders& folders);
// The prefix and the file name, each doubled backslash made single.
std::string PathAfterPrefix(std::string_view prefix, std::string_view fileName);
// The same into `path`, whose room a scan reuses from line to line.
void PathAfterPrefix(std::string_view prefix, std::string_view fileName, std::string& path);

// Appends a backslash when the path is not empty and does not end in one.
std::string WithTrailingBackslash(std::string path);

}  // namespace kestrian::scan
