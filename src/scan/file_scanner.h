#pragma once
// The known-files phase: each file definition names one file in a folder that differs from
// machine to machine; a file that is there (and not a Microsoft file) becomes a trace row.
#include "scan/file_definition.h"
#include "scan/scan_context.h"
#include "scan/scanners.h"

namespace kestrian::scan {

class FileScanner final : public FileScan {
 public:
  explicit FileScanner(ScanContext& context) : context_(context) {}
  void ScanFileDefinitions() override;

  // The folders of this machine, worked out once per phase.
  KnownFolders FoldersOfThisMachine();

 private:
  void Inspect(const FileDefinition& definition, const KnownFolders& folders);
  void ReportProgress(std::string_view fileName);

  ScanContext& context_;
};

}  // namespace kestrian::scan
