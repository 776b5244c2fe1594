#include "scan/registry_lines.h"

#include <algorithm>

#include "core/definition_line.h"
#include "core/line_reader.h"
#include "core/registry_access.h"
#include "core/text.h"

namespace kestrian::scan {

namespace {
char UpperChar(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// Orders keys by root, then by path without regard to case: below 0, 0 or above 0.
int CompareKeys(const RegistryLine& a, const RegistryLine& b) {
  if (a.root != b.root) return a.root < b.root ? -1 : 1;
  return core::CompareIgnoringCase(a.definition->keyPath, b.definition->keyPath);
}

// FNV-1a of the root and the path in upper case.
std::uint64_t KeyHash(const RegistryLine& line) {
  std::uint64_t hash = 14695981039346656037ull ^ line.root;
  for (const char c : line.definition->keyPath) {
    hash ^= static_cast<unsigned char>(UpperChar(c));
    hash *= 1099511628211ull;
  }
  return hash;
}
}  // namespace

std::vector<RegistryLine> ReadRegistryLines(std::string_view content) {
  std::vector<RegistryLine> lines;
  lines.reserve(static_cast<std::size_t>(core::CountLines(content)));
  std::string decoded;
  core::LineReader reader(content);
  std::string_view line;
  while (reader.Next(line)) {
    core::DecodeDefinitionLine(line, decoded);
    RegistryLine& read = lines.emplace_back();
    read.definition = ParseRegistryDefinition(decoded);
    if (read.definition) {
      read.root = RootKeyFromField(read.definition->rootField);
    } else {
      read.text = decoded;
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
  // Sorted by the keys' hashes, the lines of one key lie together in their own order.
  std::vector<std::pair<std::uint64_t, std::uint32_t>> byHash;
  byHash.reserve(lines.size());
  for (std::uint32_t at = 0; at < lines.size(); ++at) {
    if (lines[at].definition) byHash.emplace_back(KeyHash(lines[at]), at);
  }
  std::sort(byHash.begin(), byHash.end());
  for (std::size_t begin = 0; begin < byHash.size();) {
    std::size_t end = begin + 1;
    while (end < byHash.size() && byHash[end].first == byHash[begin].first) ++end;
    LinkLinesOfOneHash(byHash.begin() + static_cast<std::ptrdiff_t>(begin),
                       byHash.begin() + static_cast<std::ptrdiff_t>(end));
    begin = end;
  }
}

void RegistryLineAnswers::LinkLinesOfOneHash(HashedLines begin, HashedLines end) {
  const auto sameKey = [&](const auto& a, const auto& b) {
    return CompareKeys(lines_[a.second], lines_[b.second]) == 0;
  };
  for (auto line = begin + 1; line < end; ++line) {
    if (sameKey(line[-1], *line)) continue;
    // Keys whose hashes collide: told apart by their text, each key's lines kept in order.
    std::stable_sort(begin, end, [&](const auto& a, const auto& b) {
      return CompareKeys(lines_[a.second], lines_[b.second]) < 0;
    });
    break;
  }
  for (auto line = begin + 1; line < end; ++line) {
    if (sameKey(line[-1], *line)) nextOfKey_[line[-1].second] = line->second;
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
