#pragma once
// One machine for the contract tests: the fake natively, the real Win32 services under Wine.
// The same tests run against both, so that what passes on the fake holds on Windows.
#include <memory>
#include <string>
#include <string_view>

#include "core/settings_store.h"
#include "platform/machine.h"

namespace kestrian::testing {

class ContractWorld {
 public:
  virtual ~ContractWorld() = default;
  virtual platform::Machine& Machine() = 0;
  // An empty folder that lives as long as the world (no trailing backslash).
  virtual const std::string& Scratch() const = 0;
  // An application name for the settings store that lives as long as the world.
  virtual const std::string& ScratchApplication() const = 0;
  // A key path under HKEY_CURRENT_USER that goes with the application's settings.
  std::string ScratchKey() const { return core::SettingsStore::SectionPath(ScratchApplication(), "Keys"); }

  virtual void PlantFile(std::string_view path, std::string_view bytes, std::uint32_t attributes) = 0;
  // The short 8.3 form of an existing file or folder: its path when its name has no other
  // (always, on the fake).
  virtual std::string ShortPath(std::string_view path) = 0;
  // Holds the file open with no sharing at all, as a running program may.
  virtual void HoldOpenExclusively(std::string_view path) = 0;
  virtual void ReleaseAll() = 0;
  virtual std::uint32_t OwnProcessId() = 0;  // the process running the tests
};

std::unique_ptr<ContractWorld> MakeContractWorld();

}  // namespace kestrian::testing
