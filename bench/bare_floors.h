#pragma once
// The bare platform calls each scan phase cannot avoid, in tight loops of raw Win32 calls,
// with everything that is not a platform call (decoding, parsing, path building) done
// beforehand. Each returns its elapsed milliseconds.
#include <cstdint>
#include <string>
#include <vector>

#include "bench/planted_machine.h"

namespace kestrian::bench {

// Reads the definition file once, then opens every key with the scan's access rights and
// queries each named value whose key exists.
double RegistryFloor(const std::string& definitionFile, const std::vector<RegistryProbe>& probes);

// Reads the definition file once, then looks for every path with FindFirstFile and reads
// each file found.
double FileFloor(const std::string& definitionFile, const std::vector<std::string>& paths);

// Reads the definition file, walks one process snapshot and asks each process whose name is
// listed (`listedIds`, sorted, worked out beforehand) for its main module's path. The others
// need no call: the scan passes over them by their snapshot name.
double ProcessFloor(const std::string& definitionFile, const std::vector<std::uint32_t>& listedIds,
                    int& processCount);

// Reads the pattern file, lists the cookie folder and reads every file in it.
double CookieFloor(const std::string& patternFile, const std::string& cookieFolder);

// Extra calls a phase makes beyond its floor, measured alone to see what they weigh.
// FindNextFile after each successful FindFirstFile of a definition path (the scan lists
// every match of the name).
double FileFindNextAfterFound(const std::vector<std::string>& paths);

// Milliseconds since an arbitrary start, from the performance counter.
double NowMs();

}  // namespace kestrian::bench
