// The exclusion file and its tests. Input: the file's content, a zero byte, then an entry.
// Oracles: the in-memory text and both tests against plain references; an append keeps
// every line of the file and adds the entry as a line of its own, which then matches.
#include <algorithm>
#include <vector>

#include "core/exclusion_list.h"
#include "core/text.h"
#include "fuzz_support.h"
#include "reference.h"
#include "support/fake_machine.h"
#include "support/scripted_host.h"

using namespace kestrian;

namespace {
const core::ApplicationFolder kFolder("C:\\Kestrian");
constexpr std::string_view kPath = "C:\\Kestrian\\ENoSignature.txt";

std::string ReferenceText(std::string_view content) {
  std::string text;
  const auto lines = fuzz::LinesOf(content);
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
  FUZZ_CHECK(list.IsNameExcluded(entry) == fuzz::FirstOccurrenceEndsItsLine(text, entry));

  list.Add(entry);
  const std::string after = machine.files.Content(kPath).value_or(std::string());
  FUZZ_CHECK(after.starts_with(content));
  // An entry holding a CR makes lines of its own; one that starts with a line feed makes a
  // CR LF of a file that ends in a CR alone.
  const bool oneLine = entry.find('\r') == std::string_view::npos &&
                       !(content.ends_with('\r') && core::Trim(entry).starts_with('\n'));
  if (oneLine) {
    std::vector<std::string_view> expected = fuzz::LinesOf(content);
    expected.push_back(core::Trim(entry));
    FUZZ_CHECK(fuzz::LinesOf(after) == expected);
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
