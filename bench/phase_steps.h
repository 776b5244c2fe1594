#pragma once
// The work of a scan phase besides its floor's platform calls, each step timed alone: what
// a phase over its goal spends its extra time on.
#include <string>
#include <vector>

#include "bench/planted_machine.h"
#include "core/application_folder.h"
#include "core/program_state.h"
#include "platform/machine.h"
#include "scan/file_definition.h"

namespace kestrian::bench {

struct Step {
  std::string what;
  double ms;
};

struct StepInputs {
  platform::Machine& machine;
  const core::ApplicationFolder& folder;
  const core::DefinitionCounts& counts;
  const PlantedMachine& planted;
  const scan::KnownFolders& folders;
};

std::vector<Step> CookieSteps(const StepInputs& in);
std::vector<Step> ProcessSteps(const StepInputs& in);
std::vector<Step> RegistrySteps(const StepInputs& in);
std::vector<Step> FileSteps(const StepInputs& in);

}  // namespace kestrian::bench
