#pragma once
// The registry phase's lines, read before the walk, and their answers found with one open
// per distinct key: the first line of a key whose answer is asked for opens the key (with
// the access of the key test) and answers the next lines of that key too, in their order,
// its whole-key lines by the open itself and its value lines by one read each. A key that
// cannot be opened answers all its lines at once.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/registry.h"
#include "scan/registry_definition.h"

namespace kestrian::scan {

struct RegistryLine {
  std::optional<RegistryDefinition> definition;  // none: the line names nothing
  std::string text;  // the decoded line, kept only when it names nothing
  platform::RootKey root = platform::roots::kNone;
};

// Decodes and parses every line of a registry definition file's content.
std::vector<RegistryLine> ReadRegistryLines(std::string_view content);

class RegistryLineAnswers {
 public:
  // Lines answered through one open at most, so that a key named by very many lines does
  // not hold the walk up for long at its first line.
  static constexpr std::size_t kLinesPerOpen = 200;

  // Keys are told apart by root and path, without regard to the case of ASCII letters as
  // the registry does.
  RegistryLineAnswers(platform::Registry& registry, const std::vector<RegistryLine>& lines);

  // Whether the key or value that line `at` names exists by the key test (core::KeyExists,
  // core::ValueExists). `at` must name something.
  bool Exists(std::size_t at);

 private:
  static constexpr std::uint32_t kLastOfKey = UINT32_MAX;
  using HashedLines = std::vector<std::pair<std::uint64_t, std::uint32_t>>::iterator;
  // Links each line of [begin, end), whose keys hash alike, to the next line of its key.
  void LinkLinesOfOneHash(HashedLines begin, HashedLines end);
  void AnswerFrom(std::uint32_t at);

  platform::Registry& registry_;
  const std::vector<RegistryLine>& lines_;
  std::vector<std::uint32_t> nextOfKey_;  // the next line naming the same key
  std::vector<std::int8_t> answers_;      // -1: not known yet
};

}  // namespace kestrian::scan
