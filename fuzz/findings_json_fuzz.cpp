// The console scanner's findings, as lines and as one JSON document. Input: texts separated
// by zero bytes, dealt out to the lists of the findings in turn. Oracles: the document
// parses back, with every text that is valid UTF-8 unchanged and the counters; one line per
// finding when no text holds a line break.
#include <nlohmann/json.hpp>

#include <algorithm>

#include <vector>

#include "fuzz_support.h"
#include "reference.h"
#include "report/scan_findings.h"

using namespace kestrian;

namespace {
void CheckText(const nlohmann::json& value, const std::string& text) {
  FUZZ_CHECK(value.is_string());
  if (fuzz::ValidUtf8(text)) FUZZ_CHECK(value.get<std::string>() == text);
}

report::ScanFindings Deal(const std::vector<std::string_view>& texts) {
  report::ScanFindings findings;
  findings.removal.emplace();
  for (std::size_t i = 0; i < texts.size(); ++i) {
    const std::string text(texts[i]);
    switch (i % 6) {
      case 0: findings.found.push_back(text); break;
      case 1: findings.processFindings.push_back(text); break;
      case 2: findings.results.push_back({text, text + "\\location", "file"}); break;
      case 3: findings.fileTraces.push_back({text, text}); break;
      case 4: findings.cookieTraces.push_back(text); break;
      default: findings.removal->deleteFailed.push_back({text, text + " reason"}); break;
    }
  }
  findings.counters = {static_cast<std::int64_t>(texts.size()), 2, 3, 4, -5};
  findings.removal->total = static_cast<std::int64_t>(texts.front().size());
  return findings;
}

void CheckDocument(const report::ScanFindings& findings) {
  auto document = nlohmann::json::parse(report::FindingsAsJson(findings), nullptr, false);
  FUZZ_CHECK(!document.is_discarded());
  FUZZ_CHECK(document["found"].size() == findings.found.size());
  for (std::size_t i = 0; i < findings.found.size(); ++i) CheckText(document["found"][i], findings.found[i]);
  FUZZ_CHECK(document["results"].size() == findings.results.size());
  for (std::size_t i = 0; i < findings.results.size(); ++i) {
    CheckText(document["results"][i]["name"], findings.results[i].name);
    CheckText(document["results"][i]["location"], findings.results[i].location);
  }
  FUZZ_CHECK(document["fileTraces"].size() == findings.fileTraces.size());
  FUZZ_CHECK(document["cookieTraces"].size() == findings.cookieTraces.size());
  for (std::size_t i = 0; i < findings.cookieTraces.size(); ++i) {
    CheckText(document["cookieTraces"][i], findings.cookieTraces[i]);
  }
  const auto& deleteFailed = document["removal"]["deleteFailed"];
  FUZZ_CHECK(deleteFailed.size() == findings.removal->deleteFailed.size());
  for (std::size_t i = 0; i < deleteFailed.size(); ++i) {
    CheckText(deleteFailed[i]["location"], findings.removal->deleteFailed[i].location);
    CheckText(deleteFailed[i]["reason"], findings.removal->deleteFailed[i].reason);
  }
  FUZZ_CHECK(document["removal"]["total"] == findings.removal->total);
  FUZZ_CHECK(document["counters"]["cookiesProcesses"] == findings.counters.cookiesProcesses);
  FUZZ_CHECK(document["counters"]["traces"] == findings.counters.traces);
}
}  // namespace

KESTRIAN_FUZZ_TARGET {
  const std::string_view input = fuzz::AsText(data, size);
  const std::vector<std::string_view> texts = fuzz::Parts(input, '\0');
  const report::ScanFindings findings = Deal(texts);
  CheckDocument(findings);
  if (input.find('\n') == std::string_view::npos) {
    const std::string lines = report::FindingsAsLines(findings);
    const auto count = static_cast<std::size_t>(std::count(lines.begin(), lines.end(), '\n'));
    FUZZ_CHECK(count == findings.results.size() + findings.processFindings.size() +
                            findings.removal->deleteFailed.size());
  }
  // Registry traces carry their root as a number when it reads as one.
  report::ScanFindings traces;
  traces.registryTraces.push_back({std::string(texts.front()), "Software", "", "name"});
  const auto document = nlohmann::json::parse(report::FindingsAsJson(traces), nullptr, false);
  FUZZ_CHECK(!document.is_discarded());
  // A separator alone makes a whole JSON element (an object of up to three texts), so a byte
  // weighs as a few bytes of the line readers.
  fuzz::LinearOnLargeInput(input, "findings", [](std::string_view large) {
    report::FindingsAsJson(Deal(fuzz::Parts(large, '\0')));
  }, 8);
  return 0;
}
