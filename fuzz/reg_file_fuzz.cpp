// .reg backups: the reader of files that may have been changed by anyone, the writer, and the
// UTF-8 and UTF-16 conversions under them. Input: a .reg file as it may lie on disk; its
// bytes are also dealt out to keys and values. Oracles: a file read is written back to one
// that reads as the same keys; keys the writer takes come back unchanged; the conversions
// refuse exactly what is not UTF-8 and give back what they took.
#include <array>
#include <vector>

#include "core/utf16.h"
#include "fuzz_support.h"
#include "reference.h"
#include "removal/reg_file.h"

using namespace kestrian;

namespace {
constexpr std::array<platform::RootKey, 3> kRoots = {platform::roots::kCurrentUser, platform::roots::kLocalMachine,
                                                     platform::roots::kClassesRoot};

void CheckRead(std::string_view bytes) {
  const removal::RegFileRead read = removal::ReadRegFile(bytes);
  if (!read.error.empty()) return;
  const auto written = removal::WriteRegFile(read.keys);
  FUZZ_CHECK(written.has_value());
  const removal::RegFileRead again = removal::ReadRegFile(*written);
  FUZZ_CHECK(again.error.empty() && again.keys == read.keys);
}

platform::RegistryValue ValueOf(std::string_view text, std::size_t turn) {
  switch (turn % 5) {
    case 0: return platform::RegistryValue::String(text);
    case 1: return platform::RegistryValue::Dword(static_cast<std::uint32_t>(text.size() * 2654435761u));
    case 2: return {platform::value_types::kBinary, std::string(text)};
    case 3: return {platform::value_types::kExpandString, std::string(text) + '\0'};
    default: return {platform::value_types::kMultiString, std::string(text) + '\0' + std::string(text) + "\0\0"};
  }
}

// Keys of paths, names and values taken from the texts in turn.
std::vector<removal::RegKey> Deal(const std::vector<std::string_view>& texts) {
  std::vector<removal::RegKey> keys;
  for (std::size_t i = 0; i < texts.size(); ++i) {
    if (i % 4 == 0) {
      keys.push_back({kRoots[texts[i].size() % kRoots.size()], "Software\\" + std::string(texts[i]), {}});
    } else {
      keys.back().values.push_back({std::string(texts[i]), ValueOf(texts[i], i)});
    }
  }
  return keys;
}

void CheckWritten(const std::vector<removal::RegKey>& keys) {
  const auto written = removal::WriteRegFile(keys);
  if (!written) return;
  const removal::RegFileRead read = removal::ReadRegFile(*written);
  FUZZ_CHECK(read.error.empty() && read.keys == keys);
}

void CheckConversions(std::string_view text) {
  const auto utf16 = core::Utf8ToUtf16(text);
  FUZZ_CHECK(utf16.has_value() == fuzz::ValidUtf8(text));
  if (utf16) FUZZ_CHECK(core::Utf16ToUtf8(*utf16) == text);
  // The same bytes taken as UTF-16 units: what converts must convert back.
  std::u16string units;
  for (std::size_t i = 0; i + 1 < text.size(); i += 2) {
    units += static_cast<char16_t>(static_cast<unsigned char>(text[i]) | (static_cast<unsigned char>(text[i + 1]) << 8));
  }
  if (const auto utf8 = core::Utf16ToUtf8(units)) FUZZ_CHECK(core::Utf8ToUtf16(*utf8) == units);
}
}  // namespace

KESTRIAN_FUZZ_TARGET {
  const std::string_view input = fuzz::AsText(data, size);
  CheckRead(input);
  CheckConversions(input);
  CheckWritten(Deal(fuzz::Parts(input, '\n')));
  // Read, written from a value dealt per line and read again: a short line makes a whole
  // value, so a byte weighs as a few bytes of the line readers.
  fuzz::LinearOnLargeInput(input, "reg file", [](std::string_view large) {
    removal::ReadRegFile(large);
    const auto written = removal::WriteRegFile(Deal(fuzz::Parts(large, '\n')));
    if (written) removal::ReadRegFile(*written);
  }, 8);
  return 0;
}
