#include "tools/kdefs/definition_validator.h"

#include <array>

#include "core/definition_line.h"
#include "core/line_reader.h"
#include "core/text.h"
#include "scan/character_list.h"

namespace kestrian::kdefs {

namespace {
constexpr std::array<std::string_view, 4> kPlaceholders = {"[pfiles]", "[Drive]", "[dDir]",
                                                           "[wDir]"};

std::vector<std::string_view> SplitAll(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  for (auto at = text.find(separator); at != std::string_view::npos; at = text.find(separator)) {
    parts.push_back(text.substr(0, at));
    text.remove_prefix(at + 1);
  }
  parts.push_back(text);
  return parts;
}

// The scanner only knows the placeholders in their exact spelling; any other case would be
// taken as a folder name.
std::optional<std::string> CheckPlaceholder(std::string_view token) {
  for (std::string_view placeholder : kPlaceholders) {
    if (token != placeholder && core::EqualsIgnoringCase(token, placeholder)) {
      return "placeholder " + std::string(token) + " is case-sensitive (write " +
             std::string(placeholder) + ")";
    }
  }
  return std::nullopt;
}

std::optional<std::string> CheckFolderTemplate(std::string_view folder) {
  for (auto open = folder.find('['); open != std::string_view::npos;
       open = folder.find('[', open + 1)) {
    const auto close = folder.find(']', open);
    if (close == std::string_view::npos) break;
    if (auto problem = CheckPlaceholder(folder.substr(open, close - open + 1))) return problem;
  }
  return std::nullopt;
}

// The inside of a "[...]" of a cookie pattern, without the brackets.
std::optional<std::string> CheckCharacterList(std::string_view list) {
  if (list.starts_with('!')) list.remove_prefix(1);
  if (list.empty()) return "empty character list ('[]' or '[!]')";
  scan::ListItems items(list);
  for (scan::ListItem item; items.Next(item);) {
    // The matcher reads it as holding no character, which is never what was meant.
    if (item.Reversed()) return "range " + std::string(item.text) + " is reversed";
  }
  return std::nullopt;
}

// Encoding leaves no plain letter or digit, so one means the file was never encoded.
bool HoldsPlainLettersOrDigits(std::string_view raw) {
  for (char c : raw) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) return true;
  }
  return false;
}
}  // namespace

std::optional<DefinitionKind> ParseDefinitionKind(std::string_view name) {
  if (name == "registry") return DefinitionKind::kRegistry;
  if (name == "file") return DefinitionKind::kFile;
  if (name == "exe") return DefinitionKind::kExe;
  if (name == "cookie") return DefinitionKind::kCookie;
  return std::nullopt;
}

std::optional<std::string> ValidateRegistryLine(std::string_view decoded) {
  // The threat name follows the last "=", so value names may hold "=".
  const auto equals = decoded.rfind('=');
  if (equals == std::string_view::npos) return "missing '=' before the threat name";
  const auto fields = SplitAll(decoded.substr(0, equals), '^');
  if (fields.size() < 3) return "expected root^key path^value name before '='";
  if (fields.size() > 3) return "too many '^' fields (expected root^key path^value name)";
  const auto root = core::ParseNumber(fields[0]);
  if (!root || *root < 0 || *root > 5) return "root field must be 0 to 5";
  if (core::Trim(fields[1]).empty()) return "key path is empty";
  return std::nullopt;
}

std::optional<std::string> ValidateFileLine(std::string_view decoded) {
  const auto parts = SplitAll(decoded, '|');
  if (parts.size() > 2) return "more than one '|' (the scanner ignores the rest)";
  const auto definition = SplitAll(parts[0], '=');
  if (definition.size() < 2) return "missing '=' between file name and threat name";
  if (definition.size() > 2) return "more than one '=' (the scanner ignores the rest)";
  if (core::Trim(definition[0]).empty()) return "file name is empty";
  if (core::Trim(definition[1]).empty()) return "threat name is empty";
  if (parts.size() == 2) return CheckFolderTemplate(parts[1]);
  return std::nullopt;
}

std::optional<std::string> ValidateExeLine(std::string_view decoded) {
  const std::string_view name = core::Trim(decoded);
  if (name.empty()) return "executable name is empty";
  if (name.find('\\') != std::string_view::npos) {
    return "executable name must not contain '\\' (a name, not a path)";
  }
  if (name.find('=') != std::string_view::npos) return "executable name must not contain '='";
  return std::nullopt;
}

std::optional<std::string> ValidateCookieLine(std::string_view decoded) {
  // Matches only an empty site, which no cookie has.
  if (decoded.empty()) return "empty pattern (it can never match a real cookie)";
  for (auto open = decoded.find('['); open != std::string_view::npos;
       open = decoded.find('[', open + 1)) {
    const auto close = decoded.find(']', open + 1);
    if (close == std::string_view::npos) return "unclosed '['";
    if (auto problem = CheckCharacterList(decoded.substr(open + 1, close - open - 1))) {
      return problem;
    }
    open = close;
  }
  return std::nullopt;
}

std::optional<std::string> ValidateLine(DefinitionKind kind, std::string_view decoded) {
  switch (kind) {
    case DefinitionKind::kRegistry: return ValidateRegistryLine(decoded);
    case DefinitionKind::kFile: return ValidateFileLine(decoded);
    case DefinitionKind::kExe: return ValidateExeLine(decoded);
    case DefinitionKind::kCookie: return ValidateCookieLine(decoded);
  }
  return std::nullopt;
}

std::vector<Problem> ValidateDefinitionFile(DefinitionKind kind, std::string_view content) {
  std::vector<Problem> problems;
  core::LineReader reader(content);
  std::string_view raw;
  for (int number = 1; reader.Next(raw); ++number) {
    if (HoldsPlainLettersOrDigits(raw)) {
      problems.push_back({number, "plain letters or digits: the file is not encoded"});
    } else if (auto message = ValidateLine(kind, core::DecodeDefinitionLine(raw))) {
      problems.push_back({number, std::move(*message)});
    }
  }
  return problems;
}

}  // namespace kestrian::kdefs
