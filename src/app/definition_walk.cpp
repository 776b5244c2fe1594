#include "app/definition_walk.h"

#include "core/data_files.h"
#include "core/definition_line.h"
#include "core/file_tests.h"
#include "core/line_reader.h"
#include "scan/scan_progress.h"

namespace kestrian::app {

int DefinitionWalk::Walk(std::string_view file, std::int32_t& counter, std::int32_t phaseCount,
                         std::int32_t before) {
  const std::string path = context_.folder.FilePath(file);
  if (!core::FileExists(context_.machine.files, path)) return 0;
  const auto content = context_.machine.files.ReadAll(path);
  if (!content.ok()) return 0;
  auto& session = context_.state.session;
  const auto& counts = context_.state.definitionCounts;
  core::LineReader reader(content.value());
  std::string_view line;
  int walked = 0;
  while (!session.stopRequested && reader.Next(line)) {
    ++counter;
    ++walked;
    const std::string status = session.statusPrefix + "\r\n" + core::DecodeDefinitionLine(line);
    scan::ReportScanProgress(context_, status,
                             scan::Percent(counter, phaseCount).value_or(-1),
                             before < 0 ? std::int16_t{-1}
                                        : scan::Percent(counter + before, counts.total).value_or(-1));
    context_.host.DoEvents();
  }
  return walked;
}

void DefinitionWalk::ScanCookies(std::int32_t& cookieFileCount) {
  const auto& counts = context_.state.definitionCounts;
  cookieFileCount += Walk(core::data_files::kBlockedCookies,
                          context_.state.session.cookiesProcessesInspected, counts.cookies, -1);
}

void DefinitionWalk::ScanRunningProcesses() {
  const auto& counts = context_.state.definitionCounts;
  Walk(core::data_files::kExeDefinitions, context_.state.session.cookiesProcessesInspected,
       counts.executables, counts.cookies);
}

void DefinitionWalk::ScanRegistryDefinitions() {
  const auto& counts = context_.state.definitionCounts;
  Walk(core::data_files::kRegistryDefinitions, context_.state.session.registryEntriesInspected,
       counts.registry, counts.cookies + counts.executables);
}

void DefinitionWalk::ScanFileDefinitions() {
  const auto& counts = context_.state.definitionCounts;
  Walk(core::data_files::kFileDefinitions, context_.state.session.filesFoldersInspected,
       counts.files, counts.cookies + counts.executables + counts.registry);
}

}  // namespace kestrian::app
