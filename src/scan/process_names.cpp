#include "scan/process_names.h"

#include "core/text.h"

namespace kestrian::scan {

namespace {
constexpr std::size_t kProcessNameLimit = 15;
constexpr std::size_t kShortNameStem = 6;
constexpr std::size_t kLongestFileName = 255;
constexpr std::string_view kNotInPlainNames = "\\/:~?*\"<>|";
}  // namespace

std::string ResolveSystem32Path(std::string_view path, std::string_view systemFolder) {
  const std::string_view trimmed = core::Trim(path);
  const std::string upper = core::ToUpper(trimmed);
  constexpr std::string_view kSystem32 = "SYSTEM32\\";
  const std::size_t found = upper.rfind(kSystem32);
  if (found == std::string::npos) return std::string(path);
  return std::string(systemFolder) + "\\" + std::string(trimmed.substr(found + kSystem32.size()));
}

bool MatchesExeDefinition(std::string_view definitionText, std::string_view name) {
  if (name.empty()) return false;
  const std::size_t found = core::FindIgnoringCase(definitionText, name);
  if (found == std::string_view::npos) return false;
  const std::size_t end = definitionText.find("\r\n", found);
  const std::string_view line = definitionText.substr(
      found, end == std::string_view::npos ? std::string_view::npos : end - found);
  return core::EqualsIgnoringCase(core::Trim(line), core::Trim(name));
}

std::string ShortProcessName(std::string_view name) {
  std::string stem = core::ReplaceAllIgnoringCase(name, ".exe", "");
  if (stem.size() > kShortNameStem) stem.resize(kShortNameStem);
  return core::ToUpper(stem) + "~1";
}

std::string ReduceProcessName(std::string_view name) {
  if (name.size() > kProcessNameLimit) return std::string(name.substr(0, kProcessNameLimit));
  const std::size_t dot = name.find('.');
  if (dot != std::string_view::npos) return core::ToUpper(name.substr(0, dot));
  return std::string(name);
}

std::string_view ProcessFileName(std::string_view exeFile) {
  const std::size_t slash = exeFile.rfind('\\');
  return slash == std::string_view::npos ? exeFile : exeFile.substr(slash + 1);
}

bool ProcessNameMatches(std::string_view exeFile, std::string_view name) {
  const std::string entry = ReduceProcessName(ProcessFileName(exeFile));
  const std::string fullForm = core::ToUpper(core::Trim(ReduceProcessName(name)));
  if (core::EqualsIgnoringCase(fullForm, entry)) return true;
  return core::ToUpper(core::Trim(ShortProcessName(name))) == entry;
}

bool IsPlainProcessName(std::string_view exeFile) {
  if (exeFile.empty() || exeFile.size() > kLongestFileName) return false;
  if (exeFile.front() == ' ' || exeFile.back() == ' ') return false;
  for (const char c : exeFile) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte > 0x7E) return false;
    if (kNotInPlainNames.find(c) != std::string_view::npos) return false;
  }
  return true;
}

bool SnapshotRulesOutProcess(std::string_view upperDefinitionText, std::string_view exeFile) {
  if (!IsPlainProcessName(exeFile)) return false;
  // Both sides upper-cased, a plain search finds what FindIgnoringCase finds.
  return upperDefinitionText.find(core::ToUpper(exeFile)) == std::string_view::npos;
}

void SnapshotNameRule::Use(std::string_view definitionText) {
  if (definitionText == text_) return;  // also the first time, for an empty text
  text_ = std::string(definitionText);
  upperText_ = core::ToUpper(text_);
  answers_.clear();
}

bool SnapshotNameRule::RulesOut(const std::string& exeFile) {
  if (answers_.size() >= kRememberedNames) answers_.clear();
  const auto [answer, added] = answers_.try_emplace(exeFile, false);
  if (added) answer->second = SnapshotRulesOutProcess(upperText_, exeFile);
  return answer->second;
}

}  // namespace kestrian::scan
