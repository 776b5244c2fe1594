#pragma once
// Program-wide values shared between the parts of the behaviour. One instance, owned by the
// program and passed by reference.
#include <cstdint>
#include <string>

namespace kestrian::core {

// Line counts of the four definition files, taken once at start-up; the denominators of
// every scan percentage.
struct DefinitionCounts {
  std::int32_t cookies = 0;
  std::int32_t files = 0;
  std::int32_t registry = 0;
  std::int32_t executables = 0;
  std::int32_t total = 0;
};

struct ScanSessionState {
  // A session runs: from its Start to its end. The scanners tell a session from a shield
  // run by this flag alone ("Scan Now" is also disabled while definition files are missing).
  bool running = false;
  bool stopRequested = false;                       // ScanStopRequested
  std::string statusPrefix;                         // ScanStatusPrefix
  std::int32_t cookiesProcessesInspected = 0;       // CookiesProcessesInspected
  std::int32_t registryEntriesInspected = 0;        // RegistryEntriesInspected
  std::int32_t filesFoldersInspected = 0;           // FilesFoldersInspected
  std::int32_t spywareFound = 0;                    // SpywareFound
  std::int32_t progressRefreshCounter = 0;          // ProgressRefreshCounter
  std::string startedAt;                            // ScanStartedAt
  std::string finishedAt;                           // ScanFinishedAt
  bool autoDeleteAfterScan = false;                 // AutoDeleteAfterScan
};

struct ProgramState {
  DefinitionCounts definitionCounts;
  ScanSessionState session;
  std::string exclusionText;  // ExclusionText
  bool alertAnswered = false;  // AlertAnswered
  bool firstRemovalPass = false;        // FirstRemovalPass: removals are logged only then
  std::int64_t openRestoreSequence = 0;  // OpenRestoreSequence: 0 when no point is open
};

}  // namespace kestrian::core
