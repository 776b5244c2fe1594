#pragma once
// What a finished scan found, read off the main window's lists and counters, for the
// console scanner's output.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ui/frm_main.h"

namespace kestrian::report {

struct ResultRow {
  std::string name;
  std::string location;
  std::string kind;  // "cookie", "registry" or "file"
};

struct RegistryTrace {
  std::string root;  // the root handle as a signed decimal
  std::string key;
  std::string value;
  std::string name;
};

struct FileTrace {
  std::string path;
  std::string name;
};

struct MissingFile {
  std::string file;
  std::string name;
};

struct ScanCounters {
  std::int64_t cookiesProcesses = 0;
  std::int64_t registry = 0;
  std::int64_t files = 0;
  std::int64_t spywareFound = 0;
  std::int64_t traces = 0;
};

// An item a removal left on the machine, and why.
struct LeftItem {
  std::string location;
  std::string reason;
  bool operator==(const LeftItem&) const = default;
};

// What a removal after the scan left: the items of "Delete Failed" and the running total.
struct RemovalOutcome {
  std::vector<LeftItem> deleteFailed;
  std::int64_t total = 0;
};

struct ScanFindings {
  std::vector<std::string> found;          // the scan page's found list
  std::vector<std::string> processFindings;  // its rows of stopped processes
  std::vector<ResultRow> results;
  std::vector<RegistryTrace> registryTraces;
  std::vector<FileTrace> fileTraces;
  std::vector<MissingFile> fileNotFound;
  std::vector<std::string> cookieTraces;
  ScanCounters counters;
  std::optional<RemovalOutcome> removal;  // when the scan removed what it found

  bool AnythingFound() const { return !results.empty() || !processFindings.empty(); }
};

// Reads the findings of the last session; the counters come from the session state.
ScanFindings CollectFindings(const ui::FrmMain& form, const ScanCounters& counters);

// One line per results row ("kind<TAB>name<TAB>location") and per process finding
// ("process<TAB>text"); after a removal, one per item it left ("delete-failed<TAB>location
// <TAB>reason").
std::string FindingsAsLines(const ScanFindings& findings);

// The findings as one JSON document.
std::string FindingsAsJson(const ScanFindings& findings);

}  // namespace kestrian::report
