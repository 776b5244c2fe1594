#include "scan/cookie_scanner.h"

#include <vector>

#include "core/data_files.h"
#include "core/definition_files.h"
#include "core/definition_line.h"
#include "core/exclusion_list.h"
#include "core/line_reader.h"
#include "core/text.h"
#include "scan/cookie_file.h"
#include "scan/finding_rows.h"
#include "scan/scan_progress.h"

namespace kestrian::scan {

void CookieScanner::ScanCookies(std::int32_t& cookieFileCount) {
  const std::string folder =
      context_.machine.environment.SpecialFolderPath(platform::special_folders::kCookies);
  if (core::Trim(folder).empty()) return;
  ScanCookieFolder(folder, cookieFileCount);
}

void CookieScanner::NudgeScanProgress() {
  auto& bar = context_.form.pbgMain;
  bar.SetValue(bar.Value() >= 99 ? 30 : bar.Value() + 0.01);
}

void CookieScanner::LoadBlockedCookies(const std::string& path) {
  auto& files = context_.machine.files;
  if (files.Find(path).empty()) return;
  auto& list = context_.form.lvwBlockedCookies;
  list.Clear();
  const auto content = core::ReadDefinitionFile(files, path);
  if (!content.ok()) return;
  core::LineReader reader(content.value());
  std::string_view line;
  while (reader.Next(line)) {
    NudgeScanProgress();
    list.Add(core::DecodeDefinitionLine(line));
    context_.host.DoEvents();
  }
}

void CookieScanner::ScanCookieFolder(const std::string& folder, std::int32_t& cookieFileCount) {
  LoadBlockedCookies(context_.folder.FilePath(core::data_files::kBlockedCookies));
  std::vector<std::string> rows;
  for (const auto& item : context_.form.lvwBlockedCookies.Items()) rows.push_back(item.text);
  patterns_.emplace(std::move(rows));

  std::vector<std::string> cookieFiles;
  for (auto& entry : context_.machine.files.Find(folder + "\\*")) {
    if ((entry.attributes & platform::attributes::kDirectory) == 0) {
      cookieFiles.push_back(std::move(entry.name));
    }
  }
  auto& session = context_.state.session;
  for (const auto& fileName : cookieFiles) {
    if (session.stopRequested) return;
    ++cookieFileCount;
    ++session.cookiesProcessesInspected;
    const std::int16_t phase =
        Percent(session.cookiesProcessesInspected, static_cast<double>(cookieFiles.size()))
            .value_or(-1);
    ReportScanProgressLazily(
        context_, [&] { return session.statusPrefix + "\r\n" + fileName; }, phase, -1);
    if (!Inspect(folder, fileName, phase)) return;
    context_.host.DoEvents();
  }
}

bool CookieScanner::Inspect(const std::string& folder, const std::string& fileName,
                            std::int16_t phasePercent) {
  const std::string path = folder + "\\" + fileName;
  std::string site = GetListedCookieSite(context_.machine.files, path);
  if (core::StartsWithIgnoringCase(site, "www.")) site.erase(0, 4);
  // The patterns are tried in order and the first that fits ends the search; the index
  // finds that one directly, and the progress of the patterns passed over is reported
  // in one step.
  const auto match = patterns_->FirstMatch(site);
  const std::size_t tried = match ? *match + 1 : patterns_->Size();
  auto& session = context_.state.session;
  ReportScanProgressRun(
      context_, static_cast<std::int64_t>(tried),
      [&](std::int64_t index) {
        return session.statusPrefix + "\r\n" + patterns_->Pattern(static_cast<std::size_t>(index));
      },
      phasePercent, -1);
  if (!match || core::IsExcluded(context_.state.exclusionText, path)) return true;
  context_.form.lvwSpywareFound.Add("Cookie Found: " + fileName, finding_icons::kCookie);
  if (!InSession()) return false;
  AddFinding(fileName, path);
  return true;
}

void CookieScanner::AddFinding(const std::string& fileName, const std::string& path) {
  auto& form = context_.form;
  form.lvwCookiesToDelete.Add(path);
  auto& results = form.lvwPicRemoveListOfSpywareFoundAndToBeRemoved;
  const std::size_t row = results.Add("Cookie: " + fileName, finding_icons::kCookie);
  results.SetSubItem(row, 1, path);
  ++context_.state.session.spywareFound;
}

}  // namespace kestrian::scan
