#pragma once
// The registry phase: every key or value a registry definition names that exists on this
// machine becomes a trace row, and its threat is listed once.
#include <optional>

#include "scan/registry_definition.h"
#include "scan/registry_lines.h"
#include "scan/scan_context.h"
#include "scan/scanners.h"

namespace kestrian::scan {

// How often the phase opens a key that several lines name.
enum class KeyOpens {
  // Once for all its lines (RegistryLineAnswers); the findings are the same as with
  // EveryLine.
  OncePerKey,
  // Once per line, as the scan did before; kept so tests and the benchmark can compare.
  EveryLine,
};

class RegistryScanner final : public RegistryScan {
 public:
  explicit RegistryScanner(ScanContext& context, KeyOpens opens = KeyOpens::OncePerKey)
      : context_(context), opens_(opens) {}
  void ScanRegistryDefinitions() override;

 private:
  // The status text names the key path, a backslash and the value name; for a line that
  // names nothing, the line.
  void ReportProgress(std::string_view inspected, std::optional<std::string_view> valueName);
  bool Exists(const RegistryLine& line, std::size_t at,
              std::optional<RegistryLineAnswers>& answers);
  void AddFinding(platform::RootKey root, const RegistryDefinition& definition);

  ScanContext& context_;
  KeyOpens opens_;
};

}  // namespace kestrian::scan
