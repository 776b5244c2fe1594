#pragma once
#include "platform/processes.h"

namespace kestrian::platform::win32 {

class Win32Processes final : public Processes {
 public:
  std::vector<ProcessEntry> Snapshot() override;
  Result<std::string> MainModulePath(std::uint32_t id) override;
  bool Terminate(std::uint32_t id, std::uint32_t exitCode) override;
  void TerminateWithOwnExitCode(std::uint32_t id) override;
  bool WaitForEnd(std::uint32_t id, std::uint32_t milliseconds) override;
};

}  // namespace kestrian::platform::win32
