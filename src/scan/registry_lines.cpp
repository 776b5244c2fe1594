#include "scan/registry_lines.h"

#include <unordered_map>

#include "core/definition_line.h"
#include "core/line_reader.h"
#include "core/registry_access.h"
#include "core/text.h"

namespace kestrian::scan {

namespace {
// The root's four bytes, then the path in upper case.
std::string KeyIdentity(platform::RootKey root, std::string_view path) {
  std::string identity(reinterpret_cast<const char*>(&root), sizeof root);
  identity += core::ToUpper(path);
  return identity;
}
}  // namespace

std::vector<RegistryLine> ReadRegistryLines(std::string_view content) {
  std::vector<RegistryLine> lines;
  core::LineReader reader(content);
  std::string_view line;
  while (reader.Next(line)) {
    std::string decoded = core::DecodeDefinitionLine(line);
    RegistryLine& read = lines.emplace_back();
    read.definition = ParseRegistryDefinition(decoded);
    if (read.definition) {
      read.root = RootKeyFromField(read.definition->rootField);
    } else {
      read.text = std::move(decoded);
    }
  }
  return lines;
}

RegistryLineAnswers::RegistryLineAnswers(platform::Registry& registry,
                                         const std::vector<RegistryLine>& lines)
    : registry_(registry),
      lines_(lines),
      nextOfKey_(lines.size(), kLastOfKey),
      answers_(lines.size(), -1) {
  std::unordered_map<std::string, std::uint32_t> lastOfKey;
  for (std::uint32_t at = 0; at < lines.size(); ++at) {
    const auto& definition = lines[at].definition;
    if (!definition) continue;
    const auto [it, first] = lastOfKey.try_emplace(KeyIdentity(lines[at].root, definition->keyPath), at);
    if (!first) {
      nextOfKey_[it->second] = at;
      it->second = at;
    }
  }
}

bool RegistryLineAnswers::Exists(std::size_t at) {
  if (answers_[at] < 0) AnswerFrom(static_cast<std::uint32_t>(at));
  return answers_[at] == 1;
}

void RegistryLineAnswers::AnswerFrom(std::uint32_t at) {
  const RegistryLine& first = lines_[at];
  auto key = registry_.Open(first.root, first.definition->keyPath, core::kKeyTestAccess);
  if (!key.ok()) {
    for (std::uint32_t line = at; line != kLastOfKey; line = nextOfKey_[line]) answers_[line] = 0;
    return;
  }
  std::uint32_t line = at;
  for (std::size_t answered = 0; line != kLastOfKey && answered < kLinesPerOpen; ++answered) {
    const std::string& value = lines_[line].definition->valueName;
    answers_[line] = value.empty() || core::ValueExistsIn(*key.value(), value) ? 1 : 0;
    line = nextOfKey_[line];
  }
}

}  // namespace kestrian::scan
