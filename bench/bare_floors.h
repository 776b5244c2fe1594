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

// Today's floors: one call per line.
// Reads the definition file once, then opens every key with the scan's access rights and
// queries each named value whose key exists.
double RegistryFloor(const std::string& definitionFile, const std::vector<RegistryProbe>& probes);

// Reads the definition file once, then looks for every path with FindFirstFile and reads
// each file found.
double FileFloor(const std::string& definitionFile, const std::vector<std::string>& paths);

// The floors of one open per key and one listing per folder. Both read the definition file
// and decode its lines, which the phases now do before their walk.
// Opens each distinct key once with the scan's access rights and, when it exists, reads
// each value its lines name.
double RegistryKeyFloor(const std::string& definitionFile, const std::vector<KeyProbe>& keys);

// Lists each distinct folder once (FindFirstFile and FindNextFile over "*") and reads each
// file found.
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
