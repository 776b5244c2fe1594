#pragma once
// The known-files phase: each file definition names one file in a folder that differs from
// machine to machine; a file that is there (and not a Microsoft file) becomes a trace row.
#include "scan/file_definition.h"
#include "scan/folder_listings.h"
#include "scan/scan_context.h"
#include "scan/scanners.h"

namespace kestrian::scan {

// How the phase looks for each definition's file.
enum class FileSearches {
  // From one listing of each folder (FolderListings); the findings are the same as with
  // EveryDefinition.
  ByFolderListing,
  // One search per definition, as the scan did before; kept so tests and the benchmark can
  // compare.
  EveryDefinition,
};

class FileScanner final : public FileScan {
 public:
  explicit FileScanner(ScanContext& context,
                       FileSearches searches = FileSearches::ByFolderListing)
      : context_(context), searches_(searches) {}
  void ScanFileDefinitions() override;

  // The folders of this machine, worked out once per phase.
  KnownFolders FoldersOfThisMachine();

 private:
  void Inspect(const FileDefinitionFields& definition, const std::string& path,
               FolderListings& listings);
  bool NormalFileAt(const std::string& path, FolderListings& listings);
  void ReportProgress(std::string_view fileName);

  ScanContext& context_;
  FileSearches searches_;
};

}  // namespace kestrian::scan
