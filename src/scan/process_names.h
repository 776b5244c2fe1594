#pragma once
// The name rules of the process scan and of stopping a process by its name.
#include <string>
#include <string_view>
#include <unordered_map>

namespace kestrian::scan {

// A module path with "SYSTEM32\" in it (as \SystemRoot\System32\x.exe or \??\C:\...) turned
// into a path under `systemFolder`; any other path unchanged.
std::string ResolveSystem32Path(std::string_view path, std::string_view systemFolder);

// Definition match: the first occurrence of `name` in the definitions text (ignoring case)
// must run to the end of its line. Later occurrences are never looked at.
bool MatchesExeDefinition(std::string_view definitionText, std::string_view name);

// The 8.3 form a name takes in old process lists: without ".exe", at most six characters,
// upper case, "~1" appended.
std::string ShortProcessName(std::string_view name);

// A process name cut the way the process list may have cut it: more than 15 characters
// keep their first 15; a shorter name with a "." becomes its upper-cased part before it.
std::string ReduceProcessName(std::string_view name);

// Whether the snapshot name field `exeFile` (a name or a path) is the process `name`.
bool ProcessNameMatches(std::string_view exeFile, std::string_view name);

// The part after the last backslash.
std::string_view ProcessFileName(std::string_view exeFile);

// Whether the snapshot's name field is a plain file name, one the file name of the
// process's main module path repeats without regard to case: 1 to 255 printable ASCII
// characters, no space at either end, and none of \ / : (a path, as Windows 9x gives),
// ~ (a short 8.3 name, whose long form the module path may show) or ? * " < > | (not a
// file name, or one the code page conversion changed). A longer field may have been cut by
// the snapshot's buffer; other characters may differ in case or form between the two.
bool IsPlainProcessName(std::string_view exeFile);

// Whether the snapshot's name alone shows that the process is not listed, so that its
// module path need not be read: the name is plain and does not occur anywhere in the
// definitions text (without regard to case). MatchesExeDefinition of the module path's file
// name could only hold if that name, and so the snapshot's, occurred in the text.
// `upperDefinitionText` is the definitions text upper-cased with core::ToUpper.
bool SnapshotRulesOutProcess(std::string_view upperDefinitionText, std::string_view exeFile);

// SnapshotRulesOutProcess over one definitions text, each name's answer remembered while the
// text stays the same: the shields scan the same processes every few seconds, and a search
// of a large text for every process would cost more than the rest of the run.
class SnapshotNameRule {
 public:
  // The definitions text of this run; answers for another text are forgotten.
  void Use(std::string_view definitionText);
  bool RulesOut(const std::string& exeFile);

 private:
  static constexpr std::size_t kRememberedNames = 4096;  // then it starts afresh
  std::string text_;
  std::string upperText_;
  std::unordered_map<std::string, bool> answers_;
};

}  // namespace kestrian::scan
