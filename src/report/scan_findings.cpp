#include "report/scan_findings.h"

#include <nlohmann/json.hpp>

#include "core/text.h"

namespace kestrian::report {

namespace {
constexpr std::string_view kProcessFindingPrefix = "Detected in the memory : ";

std::string KindOfIcon(int icon) {
  switch (icon) {
    case 1: return "cookie";
    case 2: return "registry";
    default: return "file";
  }
}
}  // namespace

ScanFindings CollectFindings(const ui::FrmMain& form, const ScanCounters& counters) {
  ScanFindings findings;
  for (const auto& item : form.lvwSpywareFound.Items()) {
    findings.found.push_back(item.text);
    if (item.text.starts_with(kProcessFindingPrefix)) findings.processFindings.push_back(item.text);
  }
  for (const auto& item : form.lvwPicRemoveListOfSpywareFoundAndToBeRemoved.Items()) {
    findings.results.push_back({item.text, item.SubItem(1), KindOfIcon(item.smallIcon)});
  }
  for (const auto& item : form.lvwRegistryToBeDeleted.Items()) {
    findings.registryTraces.push_back({item.text, item.SubItem(1), item.SubItem(2), item.SubItem(3)});
  }
  for (const auto& item : form.lvwFilesToBeDeleted.Items()) {
    findings.fileTraces.push_back({item.text, item.SubItem(1)});
  }
  for (const auto& item : form.lvwFileNotFounds.Items()) {
    findings.fileNotFound.push_back({item.text, item.SubItem(1)});
  }
  for (const auto& item : form.lvwCookiesToDelete.Items()) findings.cookieTraces.push_back(item.text);
  findings.counters = counters;
  findings.counters.traces = core::ParseNumber(form.lbltracesFound.Caption()).value_or(0);
  return findings;
}

std::string FindingsAsLines(const ScanFindings& findings) {
  std::string lines;
  for (const auto& row : findings.results) {
    lines += row.kind + "\t" + row.name + "\t" + row.location + "\n";
  }
  for (const auto& text : findings.processFindings) lines += "process\t" + text + "\n";
  if (findings.removal) {
    for (const auto& item : findings.removal->deleteFailed) {
      lines += "delete-failed\t" + item.location + "\t" + item.reason + "\n";
    }
  }
  return lines;
}

std::string FindingsAsJson(const ScanFindings& findings) {
  using nlohmann::ordered_json;
  ordered_json document;
  document["found"] = findings.found;
  document["results"] = ordered_json::array();
  for (const auto& row : findings.results) {
    document["results"].push_back({{"name", row.name}, {"location", row.location}, {"kind", row.kind}});
  }
  document["registryTraces"] = ordered_json::array();
  for (const auto& trace : findings.registryTraces) {
    // The root as the number the trace row writes in decimal.
    const auto root = core::ParseNumber(trace.root);
    ordered_json rootValue = root ? ordered_json(*root) : ordered_json(trace.root);
    document["registryTraces"].push_back(
        {{"root", rootValue}, {"key", trace.key}, {"value", trace.value}, {"name", trace.name}});
  }
  document["fileTraces"] = ordered_json::array();
  for (const auto& trace : findings.fileTraces) {
    document["fileTraces"].push_back({{"path", trace.path}, {"name", trace.name}});
  }
  document["fileNotFound"] = ordered_json::array();
  for (const auto& missing : findings.fileNotFound) {
    document["fileNotFound"].push_back({{"file", missing.file}, {"name", missing.name}});
  }
  document["cookieTraces"] = findings.cookieTraces;
  const auto& counters = findings.counters;
  document["counters"] = {{"cookiesProcesses", counters.cookiesProcesses},
                          {"registry", counters.registry},
                          {"files", counters.files},
                          {"spywareFound", counters.spywareFound},
                          {"traces", counters.traces}};
  if (findings.removal) {
    ordered_json left = ordered_json::array();
    for (const auto& item : findings.removal->deleteFailed) {
      left.push_back({{"location", item.location}, {"reason", item.reason}});
    }
    document["removal"] = {{"deleteFailed", left}, {"total", findings.removal->total}};
  }
  // Paths and names are ANSI bytes; bytes that are not UTF-8 are replaced, not refused.
  return document.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

}  // namespace kestrian::report
