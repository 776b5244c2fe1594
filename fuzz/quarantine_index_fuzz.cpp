// The quarantine index, read as hostile input. Input: either an index as it may lie on disk,
// or (after a zero byte) texts dealt out to records. Oracles: an index read is written back
// to a text that reads as the same records, each with a plain backup name and a digest; records
// of UTF-8 texts come back unchanged through the file, whatever the texts hold.
#include <set>
#include <vector>

#include "core/application_folder.h"
#include "fuzz_support.h"
#include "reference.h"
#include "removal/quarantine_index.h"
#include "support/fake_machine.h"

using namespace kestrian;

namespace {
const core::ApplicationFolder kFolder("C:\\Kestrian");

void CheckRead(std::string_view text) {
  const removal::IndexRead read = removal::ParseIndex(text);
  if (!read.error.empty()) {
    FUZZ_CHECK(read.records.empty());
    return;
  }
  std::set<std::uint64_t> ids;
  for (const auto& record : read.records) {
    FUZZ_CHECK(removal::IsPlainFileName(record.backup));
    FUZZ_CHECK(record.sha256.size() == 64);
    FUZZ_CHECK(record.id != 0 && ids.insert(record.id).second);
  }
  const removal::IndexRead again = removal::ParseIndex(removal::IndexText(read.records));
  FUZZ_CHECK(again.error.empty() && again.records == read.records);
}

std::vector<removal::QuarantineRecord> Deal(const std::vector<std::string_view>& texts) {
  std::vector<removal::QuarantineRecord> records;
  for (std::size_t i = 0; i + 2 < texts.size(); i += 3) {
    removal::QuarantineRecord record;
    record.id = records.size() + 1;
    record.kind = static_cast<removal::RecordKind>(texts[i].size() % 3);
    record.location = texts[i];
    record.threat = texts[i + 1];
    record.time = texts[i + 2];
    if (record.kind == removal::RecordKind::Registry) record.key = "HKEY_CURRENT_USER\\" + std::string(texts[i]) + "k";
    record.backup = std::to_string(record.id) + ".bak";
    record.size = texts[i + 1].size();
    record.sha256 = std::string(64, "0123456789abcdef"[i % 16]);
    record.restored = texts[i + 2].size() % 2 == 1;
    record.deleteAtLogon = texts[i].size() % 2 == 1;
    records.push_back(std::move(record));
  }
  return records;
}

bool AllUtf8(const std::vector<std::string_view>& texts) {
  for (const std::string_view text : texts) {
    if (!fuzz::ValidUtf8(text)) return false;
  }
  return true;
}
}  // namespace

KESTRIAN_FUZZ_TARGET {
  const std::string_view input = fuzz::AsText(data, size);
  CheckRead(input);
  const auto [index, rest] = fuzz::SplitOnce(input, '\0');
  const std::vector<std::string_view> texts = fuzz::Parts(rest, '\0');
  const std::vector<removal::QuarantineRecord> records = Deal(texts);
  testing::FakeMachine machine;
  machine.files.PutFolder(kFolder.Path() + "\\quarantine");
  FUZZ_CHECK(removal::SaveIndex(machine.files, kFolder, records) == platform::kOk);
  const removal::IndexRead loaded = removal::LoadIndex(machine.files, kFolder);
  if (AllUtf8(texts)) FUZZ_CHECK(loaded.error.empty() && loaded.records == records);
  // Read, then written from records dealt one a line: a short line makes a whole record, so
  // a byte weighs as a few bytes of the line readers.
  fuzz::LinearOnLargeInput(index, "quarantine index", [](std::string_view large) {
    removal::ParseIndex(large);
    removal::IndexText(Deal(fuzz::Parts(large, '\n')));
  }, 8);
  return 0;
}
