#pragma once
// The registry phase: every key or value a registry definition names that exists on this
// machine becomes a trace row, and its threat is listed once.
#include "scan/registry_definition.h"
#include "scan/scan_context.h"
#include "scan/scanners.h"

namespace kestrian::scan {

class RegistryScanner final : public RegistryScan {
 public:
  explicit RegistryScanner(ScanContext& context) : context_(context) {}
  void ScanRegistryDefinitions() override;

 private:
  // `inspected`: the key path, a backslash and the value name.
  void ReportProgress(std::string_view inspected);
  bool Exists(platform::RootKey root, const RegistryDefinition& definition);
  void AddFinding(platform::RootKey root, const RegistryDefinition& definition);

  ScanContext& context_;
};

}  // namespace kestrian::scan
