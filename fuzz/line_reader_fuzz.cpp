// The line reader of every data file, and the letter-and-digit substitution of definition
// lines. Oracles: the lines and their ends put back together give the content again; decoding
// keeps the length and undoes encoding.
#include "core/definition_line.h"
#include "core/line_reader.h"
#include "fuzz_support.h"

using namespace kestrian;

namespace {
// The lines' ends are where the content says: CR LF or a CR alone, nothing else.
void CheckLines(std::string_view content) {
  core::LineReader reader(content);
  std::string_view line;
  std::size_t at = 0;  // where the next line must start
  std::int32_t count = 0;
  while (reader.Next(line)) {
    ++count;
    FUZZ_CHECK(line.data() == content.data() + at);
    FUZZ_CHECK(line.find('\r') == std::string_view::npos);
    at += line.size();
    if (at < content.size()) {
      FUZZ_CHECK(content[at] == '\r');
      at += content.substr(at, 2) == "\r\n" ? 2 : 1;
    }
  }
  FUZZ_CHECK(at == content.size());
  FUZZ_CHECK(reader.AtEnd());
  FUZZ_CHECK(core::CountLines(content) == count);
}

void CheckSubstitution(std::string_view line) {
  const std::string decoded = core::DecodeDefinitionLine(line);
  FUZZ_CHECK(decoded.size() == line.size());
  if (core::EncodableDefinitionLine(decoded)) {
    FUZZ_CHECK(core::DecodeDefinitionLine(core::EncodeDefinitionLine(decoded)) == decoded);
  }
  if (core::EncodableDefinitionLine(line)) FUZZ_CHECK(core::DecodeDefinitionLine(line) == line);
}
}  // namespace

KESTRIAN_FUZZ_TARGET {
  const std::string_view input = fuzz::AsText(data, size);
  CheckLines(input);
  CheckSubstitution(input);
  fuzz::LinearOnLargeInput(input, "line reader", [](std::string_view large) {
    CheckLines(large);
    core::DecodeDefinitionLine(large);
  });
  return 0;
}
