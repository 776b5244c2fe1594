#pragma once
// The name rules of the process scan and of stopping a process by its name.
#include <string>
#include <string_view>

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

}  // namespace kestrian::scan
