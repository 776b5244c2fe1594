#pragma once
// Running processes as the process scan and the shields need them: a Toolhelp snapshot, the
// path of a process's executable, and the ways to end a process.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/status.h"

namespace kestrian::platform {

// One entry of a process snapshot: the id and the executable name field (`szExeFile`, up
// to its first zero character; on Windows 9x it holds the whole path).
struct ProcessEntry {
  std::uint32_t id = 0;
  std::string exeFile;
  bool operator==(const ProcessEntry&) const = default;
};

class Processes {
 public:
  virtual ~Processes() = default;

  // The processes in the order the snapshot gives them; empty when it has no first entry.
  virtual std::vector<ProcessEntry> Snapshot() = 0;
  // The path of the process's first module, read with query and read-memory rights (a
  // process that cannot be opened so, or whose modules cannot be listed, fails).
  virtual Result<std::string> MainModulePath(std::uint32_t id) = 0;
  // Ends the process with `exitCode`. On NT-family systems the debug privilege is enabled
  // for the call and disabled again; when it cannot be enabled the process is not touched.
  virtual bool Terminate(std::uint32_t id, std::uint32_t exitCode) = 0;
  // Ends the process with its own current exit code (the Windows 9x way; no privilege).
  virtual void TerminateWithOwnExitCode(std::uint32_t id) = 0;
  // Waits at most `milliseconds` for the process to end: true when it has ended (or no
  // longer exists), false while it still runs or cannot be told.
  virtual bool WaitForEnd(std::uint32_t id, std::uint32_t milliseconds) = 0;
};

}  // namespace kestrian::platform
