#include "scan/registry_definition.h"

#include <array>
#include <cstdint>

#include "core/text.h"

namespace kestrian::scan {

namespace {
struct RootRow {
  platform::RootKey handle;
  std::string_view name;
};
constexpr std::array<RootRow, 6> kRoots = {{
    {platform::roots::kClassesRoot, "HKEY_CLASSES_ROOT"},
    {platform::roots::kCurrentUser, "HKEY_CURRENT_USER"},
    {platform::roots::kLocalMachine, "HKEY_LOCAL_MACHINE"},
    {platform::roots::kUsers, "HKEY_USERS"},
    {platform::roots::kCurrentConfig, "HKEY_CURRENT_CONFIG"},
    {platform::roots::kDynData, "HKEY_DYN_DATA"},
}};

// The whole number a field starts with, after leading spaces; 0 when it starts otherwise.
std::int64_t LeadingNumber(std::string_view field) {
  std::size_t at = field.find_first_not_of(' ');
  if (at == std::string_view::npos) return 0;
  bool negative = false;
  if (field[at] == '-' || field[at] == '+') negative = field[at++] == '-';
  std::int64_t number = 0;
  for (; at < field.size() && field[at] >= '0' && field[at] <= '9'; ++at) {
    number = number * 10 + (field[at] - '0');
    if (number > 1'000'000) break;  // far outside the table already
  }
  return negative ? -number : number;
}
}  // namespace

std::optional<RegistryDefinition> ParseRegistryDefinition(std::string_view line) {
  const std::size_t equals = line.rfind('=');
  if (equals == std::string_view::npos) return std::nullopt;
  const std::string_view keyPart = line.substr(0, equals);
  const std::size_t first = keyPart.find('^');
  if (first == std::string_view::npos) return std::nullopt;
  const std::size_t second = keyPart.find('^', first + 1);
  if (second == std::string_view::npos) return std::nullopt;
  // Any further "^" belongs to no field the scan reads.
  const std::size_t third = keyPart.find('^', second + 1);
  RegistryDefinition definition;
  definition.rootField = keyPart.substr(0, first);
  definition.keyPath = keyPart.substr(first + 1, second - first - 1);
  definition.valueName = keyPart.substr(
      second + 1, third == std::string_view::npos ? std::string_view::npos : third - second - 1);
  definition.threatName = core::Trim(line.substr(equals + 1));
  return definition;
}

platform::RootKey RootKeyFromField(std::string_view field) {
  const std::int64_t number = LeadingNumber(field);
  if (number < 0 || number >= static_cast<std::int64_t>(kRoots.size())) return platform::roots::kNone;
  return kRoots[static_cast<std::size_t>(number)].handle;
}

std::string_view RootKeyName(platform::RootKey root) {
  for (const auto& row : kRoots) {
    if (row.handle == root) return row.name;
  }
  return {};
}

std::string RootKeyAsSignedDecimal(platform::RootKey root) {
  return std::to_string(static_cast<std::int32_t>(root));
}

}  // namespace kestrian::scan
