#include "bench/phase_steps.h"

#include <windows.h>

#include <map>
#include <memory>

#include "bench/bare_floors.h"
#include "bench/session_rig.h"
#include "core/definition_line.h"
#include "core/line_reader.h"
#include "core/text.h"
#include "scan/cookie_file.h"
#include "scan/cookie_pattern_set.h"
#include "scan/file_definition.h"
#include "scan/folder_listings.h"
#include "scan/process_names.h"
#include "scan/registry_lines.h"
#include "scan/scan_progress.h"

namespace kestrian::bench {

namespace {
std::string ReadOrEmpty(platform::FileSystem& files, const std::string& path) {
  auto content = files.ReadAll(path);
  return content.ok() ? std::move(content.value()) : std::string();
}

// `calls` progress refreshes as a phase makes them, each with its status text.
double ProgressRefreshes(const StepInputs& in, int calls, const std::string& status) {
  auto rig = std::make_unique<Rig>(in.machine, in.folder, in.counts, true);
  const double start = NowMs();
  for (int i = 0; i < calls; ++i) {
    rig->state.session.progressRefreshCounter = 99;
    scan::ReportScanProgress(rig->context, status, static_cast<std::int16_t>(i % 100),
                             static_cast<std::int16_t>(i % 100));
  }
  return NowMs() - start;
}
}  // namespace

std::vector<Step> CookieSteps(const StepInputs& in) {
  auto& files = in.machine.files;
  const std::string content = ReadOrEmpty(files, in.planted.DefinitionFile("BlockedCookies.dat"));
  std::vector<Step> steps;

  auto rig = std::make_unique<Rig>(in.machine, in.folder, in.counts, true);
  double start = NowMs();
  core::LineReader reader(content);
  std::string_view line;
  while (reader.Next(line)) rig->form.lvwBlockedCookies.Add(core::DecodeDefinitionLine(line));
  std::vector<std::string> rows;
  for (const auto& item : rig->form.lvwBlockedCookies.Items()) rows.push_back(item.text);
  const scan::CookiePatternSet patterns(std::move(rows));
  steps.push_back({"decode, list and index the patterns", NowMs() - start});

  const std::string folder = in.planted.CookieFolder();
  std::vector<std::pair<std::string, std::string>> cookies;  // path, content
  for (const auto& entry : files.Find(folder + "\\*")) {
    if (entry.attributes & platform::attributes::kDirectory) continue;
    const std::string path = folder + "\\" + entry.name;
    cookies.emplace_back(path, ReadOrEmpty(files, path));
  }
  start = NowMs();
  std::size_t matched = 0;
  for (const auto& [path, text] : cookies) {
    const std::string key = scan::CookieKeyFromPath(path);
    if (key.empty()) continue;
    std::string site = scan::CookieSiteFromContent(text, key);
    if (core::StartsWithIgnoringCase(site, "www.")) site.erase(0, 4);
    if (patterns.FirstMatch(site)) ++matched;
  }
  steps.push_back({"key, site and first match of " + std::to_string(cookies.size()) +
                       " files (in memory)",
                   NowMs() - start});

  // An unmatched site passes over every pattern, so each file refreshes the progress.
  steps.push_back({std::to_string(cookies.size()) + " progress refreshes",
                   ProgressRefreshes(in, static_cast<int>(cookies.size()),
                                     "Detecting Cookies: \r\n*.clickmeter4999.[a-z]*")});
  return steps;
}

std::vector<Step> ProcessSteps(const StepInputs& in) {
  auto& files = in.machine.files;
  const std::string content = ReadOrEmpty(files, in.planted.DefinitionFile("ExeDefinition.dat"));
  std::vector<Step> steps;
  double start = NowMs();
  std::string text;
  core::LineReader reader(content);
  std::string_view line;
  while (reader.Next(line)) text.append(core::DecodeDefinitionLine(line)).append("\r\n");
  steps.push_back({"decode the names into one text", NowMs() - start});

  const auto entries = in.machine.processes.Snapshot();
  start = NowMs();
  scan::SnapshotNameRule rule;
  rule.Use(text);
  for (const auto& entry : entries) rule.RulesOut(entry.exeFile);
  steps.push_back({"the snapshot-name rule for " + std::to_string(entries.size()) + " processes",
                   NowMs() - start});
  steps.push_back({std::to_string(in.counts.executables / 100) + " progress refreshes",
                   ProgressRefreshes(in, in.counts.executables / 100,
                                     "Inspecting Memory: \r\nadproc4999.exe")});
  return steps;
}

std::vector<Step> RegistrySteps(const StepInputs& in) {
  auto& files = in.machine.files;
  const std::string content =
      ReadOrEmpty(files, in.folder.FilePath("RegistryDefinition.dat"));
  std::vector<Step> steps;
  const double start = NowMs();
  const std::vector<scan::RegistryLine> lines = scan::ReadRegistryLines(content);
  const scan::RegistryLineAnswers answers(in.machine.registry, lines);
  steps.push_back({"decode and parse " + std::to_string(lines.size()) + " lines, group them by key",
                   NowMs() - start});
  steps.push_back({std::to_string(in.counts.registry / 100) + " progress refreshes",
                   ProgressRefreshes(in, in.counts.registry / 100,
                                     "Scanning Registry: \r\nsoftware\\advendor04999\\installpath")});
  return steps;
}

std::vector<Step> FileSteps(const StepInputs& in) {
  auto& files = in.machine.files;
  const std::string content = ReadOrEmpty(files, in.folder.FilePath("FileDefinition.dat"));
  std::vector<Step> steps;
  double start = NowMs();
  std::vector<scan::FileDefinition> definitions;
  core::LineReader reader(content);
  std::string_view line;
  while (reader.Next(line)) {
    if (auto definition = scan::ParseFileDefinition(core::DecodeDefinitionLine(line))) {
      definitions.push_back(std::move(*definition));
    }
  }
  steps.push_back({"decode and parse " + std::to_string(definitions.size()) + " lines", NowMs() - start});

  start = NowMs();
  std::vector<std::string> paths;
  paths.reserve(definitions.size());
  std::map<std::string, std::string> prefixes;
  for (const auto& definition : definitions) {
    auto [it, added] = prefixes.try_emplace(definition.folderTemplate);
    if (added) it->second = scan::FolderPrefix(definition.folderTemplate, in.folders);
    paths.push_back(scan::PathAfterPrefix(it->second, definition.fileName));
  }
  steps.push_back({"build their paths, one expansion per template", NowMs() - start});

  // The listings made first, then every path answered from them.
  scan::FolderListings listings(files);
  for (const auto& path : paths) listings.NormalFileAt(path);
  start = NowMs();
  std::size_t found = 0;
  for (const auto& path : paths) found += listings.NormalFileAt(path) ? 1 : 0;
  steps.push_back({"answer the paths from the listings (" + std::to_string(found) + " found)",
                   NowMs() - start});

  auto rig = std::make_unique<Rig>(in.machine, in.folder, in.counts, true);
  start = NowMs();
  for (const auto& definition : definitions) {
    const std::size_t row = rig->form.lvwFileNotFounds.Add(definition.fileName);
    rig->form.lvwFileNotFounds.SetSubItem(row, 1, definition.threatName);
  }
  steps.push_back({"list them as not found", NowMs() - start});
  steps.push_back({std::to_string(in.counts.files / 100) + " progress refreshes",
                   ProgressRefreshes(in, in.counts.files / 100,
                                     "Scanning Known Spyware/Adware: \r\nadw04999.exe")});
  return steps;
}

}  // namespace kestrian::bench
