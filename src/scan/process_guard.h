#pragma once
// The processes no definition can stop: the program's own (whatever runs from its folder:
// the program, kscan, the restart helper) and those Windows cannot run without, when they
// run from the Windows or the system folder. A look-alike of the same name elsewhere is
// not protected.
#include <string_view>

#include "core/application_folder.h"
#include "platform/machine.h"

namespace kestrian::scan {

enum class ProcessProtection { None, Program, Windows };

class ProcessGuard {
 public:
  ProcessGuard(platform::Machine& machine, const core::ApplicationFolder& folder)
      : machine_(machine), folder_(folder) {}

  // Why the process whose program is `modulePath` must keep running. Paths are compared as
  // Windows resolves them; one that cannot be resolved counts as the program's own.
  ProcessProtection Protection(std::string_view modulePath);

 private:
  platform::Machine& machine_;
  const core::ApplicationFolder& folder_;
};

// How a finding row says that a process was left running.
std::string_view LeftRunningReason(ProcessProtection protection);

}  // namespace kestrian::scan
