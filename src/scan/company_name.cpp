#include "scan/company_name.h"

#include <algorithm>

#include "core/text.h"

namespace kestrian::scan {

namespace {
constexpr std::size_t kPlainValueOffset = 12;     // "CompanyName" and its zero byte
constexpr std::size_t kTwoByteValueOffset = 26;   // type word, key, two-byte terminator
constexpr std::size_t kMarkerFallbackSpan = 255;

// A version string record's type word 1 followed by the key in two bytes per character,
// without its terminator.
std::string TwoByteKey(std::string_view key) {
  std::string pattern("\x01\x00", 2);
  for (char c : key) {
    pattern.push_back(c);
    pattern.push_back('\0');
  }
  return pattern;
}

struct KeySearch {
  std::size_t key;
  std::size_t valueOffset;
  std::string nextKeyMarker;
};

KeySearch FindCompanyKey(std::string_view bytes) {
  static const std::string twoByteBlock = TwoByteKey("StringFileInfo");
  static const std::string twoByteCompany = TwoByteKey("CompanyName");
  static const std::string twoByteDescription = TwoByteKey("FileDescription");
  const std::size_t twoByteStart = bytes.find(twoByteBlock);
  std::size_t blockStart = twoByteStart;
  if (blockStart == std::string_view::npos) blockStart = bytes.find("StringFileInfo");
  if (blockStart == std::string_view::npos) blockStart = 0;
  if (twoByteStart == std::string_view::npos) {
    const std::size_t plain = bytes.find("CompanyName", blockStart);
    if (plain != std::string_view::npos) return {plain, kPlainValueOffset, "FileDescription"};
  }
  return {bytes.find(twoByteCompany, blockStart), kTwoByteValueOffset, twoByteDescription};
}
}  // namespace

std::string CompanyNameFromBytes(std::string_view bytes) {
  const KeySearch search = FindCompanyKey(bytes);
  if (search.key == std::string_view::npos) return {};
  const std::size_t start = search.key + search.valueOffset;
  if (start > bytes.size()) return {};
  std::size_t end = bytes.find(std::string_view("\0\0\0", 3), start);
  if (end == std::string_view::npos) return {};
  if (bytes.substr(start, end - start).find(search.nextKeyMarker) != std::string_view::npos) {
    // The value ran into the next key: end it at the first control byte after its start.
    const std::size_t last = std::min(bytes.size(), start + 1 + kMarkerFallbackSpan);
    for (std::size_t at = start + 1; at < last; ++at) {
      if (static_cast<unsigned char>(bytes[at]) < 32) {
        end = at;
        break;
      }
    }
  }
  std::string value(bytes.substr(start, end - start));
  value.erase(std::remove(value.begin(), value.end(), '\0'), value.end());
  return value;
}

std::string GetExecutableCompanyName(platform::FileSystem& files, std::string_view path) {
  const auto bytes = files.ReadAll(path);
  return bytes.ok() ? CompanyNameFromBytes(bytes.value()) : std::string();
}

bool IsMicrosoftCompany(std::string_view companyName) {
  return core::EqualsIgnoringCase(core::Trim(companyName), "Microsoft Corporation");
}

}  // namespace kestrian::scan
