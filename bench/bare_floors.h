#pragma once
// The bare platform calls each scan phase cannot avoid, in tight loops of raw Win32 calls,
// with everything that is not a platform call (decoding, parsing, path building) done
// beforehand. Each returns its elapsed milliseconds.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "bench/planted_machine.h"

namespace kestrian::bench {

// Reads the definition file (and decodes its lines, as the phase now does before its walk),
// then opens each of `keys` with the scan's access rights and, when it exists, reads each
// value named with it. The floor of an open per line has a key per line; that of an open
// per key has each distinct key with the values of all its lines.
double RegistryFloor(const std::string& definitionFile, const std::vector<KeyProbe>& keys,
                     bool decodeLines);

// The floor of a search per definition.
// Reads the definition file once, then looks for every path with FindFirstFile and reads
// each file found.
double FileFloor(const std::string& definitionFile, const std::vector<std::string>& paths);

// The floor of one listing per folder: reads the definition file and decodes its lines,
// then lists each distinct folder once (FindFirstFile and FindNextFile over "*") and reads
// each file found.
double FileListingFloor(const std::string& definitionFile, const std::vector<std::string>& folders,
                        const std::vector<std::string>& foundFiles);

// What answering the existence of many sub-keys of one parent by one enumeration would
// cost: the parent's sub-keys enumerated (their number in `subKeys`) against each of
// `paths` opened with the scan's access rights.
struct EnumerationCost {
  double enumerateMs = 0;
  double openMs = 0;
  std::size_t subKeys = 0;
};
EnumerationCost SubKeyEnumerationAgainstOpens(HKEY root, const std::string& parent,
                                              const std::vector<std::string>& paths);

// Reads the definition file, walks one process snapshot and asks each process whose name is
// listed (`listedIds`, sorted, worked out beforehand) for its main module's path. The others
// need no call: the scan passes over them by their snapshot name.
double ProcessFloor(const std::string& definitionFile, const std::vector<std::uint32_t>& listedIds,
                    int& processCount);

// Reads the pattern file, lists the cookie folder and reads every file in it.
double CookieFloor(const std::string& patternFile, const std::string& cookieFolder);

// Milliseconds since an arbitrary start, from the performance counter.
double NowMs();

}  // namespace kestrian::bench
