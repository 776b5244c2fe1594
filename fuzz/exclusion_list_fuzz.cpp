// The exclusion file and its tests. Input: the file's content, a zero byte, then an entry.
// Oracles: the in-memory text and both tests against plain references; an append keeps
// every line of the file and adds the entry as a line of its own, which then matches.
#include <algorithm>
#include <vector>

#include "core/exclusion_list.h"
#include "core/text.h"
#include "fuzz_support.h"
#include "support/fake_machine.h"
#include "support/scripted_host.h"

using namespace kestrian;

namespace {
const core::ApplicationFolder kFolder("C:\\Kestrian");
constexpr std::string_view kPath = "C:\\Kestrian\\ENoSignature.txt";

// Lines end at CR LF or a CR alone.
std::vector<std::string> ReferenceLines(std::string_view content) {
  std::vector<std::string> lines;
  std::string line;
  for (std::size_t i = 0; i < content.size(); ++i) {
    if (content[i] != '\r') {
      line.push_back(content[i]);
      continue;
    }
    lines.push_back(std::move(line));
    line.clear();
    if (i + 1 < content.size() && content[i + 1] == '\n') ++i;
  }
  if (!line.empty()) lines.push_back(std::move(line));
  return lines;
}

std::string ReferenceText(std::string_view content) {
  std::string text;
  const auto lines = ReferenceLines(content);
  for (auto line = lines.rbegin(); line != lines.rend(); ++line) text.append(core::Trim(*line)).append("\r\n");
  return text;
}

bool ReferenceExcluded(std::string_view text, std::string_view candidate) {
  const std::string upper = core::ToUpper(candidate);
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find("\r\n", start);
    if (core::ToUpper(text.substr(start, end == std::string_view::npos ? end : end - start)) == upper) return true;
    if (end == std::string_view::npos) return false;
    start = end + 2;
  }
}

bool ReferenceNameExcluded(std::string_view text, std::string_view name) {
  const std::string upperText = core::ToUpper(text);
  const std::string upperName = core::ToUpper(name);
  if (upperName.empty()) return false;
  const std::size_t found = upperText.find(upperName);
  if (found == std::string::npos) return false;
  const std::size_t end = upperText.find("\r\n", found + 1);
  const std::string_view entry = std::string_view(upperText).substr(found, end == std::string::npos ? end : end - found);
  return core::Trim(entry) == core::Trim(upperName);
}
}  // namespace

KESTRIAN_FUZZ_TARGET {
  const std::string_view input = fuzz::AsText(data, size);
  const auto [content, entry] = fuzz::SplitOnce(input, '\0');
  testing::FakeMachine machine;
  testing::ScriptedHost host;
  machine.files.PutFile(kPath, content);
  std::string text;
  core::ExclusionList list(machine.files, kFolder, host, text);
  list.Load();
  FUZZ_CHECK(text == ReferenceText(content));
  FUZZ_CHECK(list.IsExcluded(entry) == ReferenceExcluded(text, entry));
  FUZZ_CHECK(list.IsNameExcluded(entry) == ReferenceNameExcluded(text, entry));

  list.Add(entry);
  const std::string after = machine.files.Content(kPath).value_or(std::string());
  FUZZ_CHECK(after.starts_with(content));
  if (entry.find('\r') == std::string_view::npos) {
    std::vector<std::string> expected = ReferenceLines(content);
    expected.emplace_back(core::Trim(entry));
    FUZZ_CHECK(ReferenceLines(after) == expected);
    FUZZ_CHECK(list.IsExcluded(core::Trim(entry)));
  }
  // A name is at most a path's length; the name test is in proportion to the text times it.
  const std::string_view shortEntry = entry.substr(0, 32);
  fuzz::LinearOnLargeInput(content, "exclusion list", [&](std::string_view large) {
    machine.files.PutFile(kPath, large);
    list.Load();
    list.IsExcluded(shortEntry);
    list.IsNameExcluded(shortEntry);
  }, 1 + shortEntry.size() / 4);
  return 0;
}
