#pragma once
// The services of one machine, handed to the behaviour as a bundle of references.
#include "platform/clock.h"
#include "platform/crypto.h"
#include "platform/desktop.h"
#include "platform/environment.h"
#include "platform/file_system.h"
#include "platform/processes.h"
#include "platform/registry.h"
#include "platform/system_restore.h"
#include "platform/web.h"

namespace kestrian::platform {

struct Machine {
  Registry& registry;
  FileSystem& files;
  Environment& environment;
  Clock& clock;
  Processes& processes;
  Desktop& desktop;
  SystemRestore& systemRestore;
  Libraries& libraries;
  Web& web;
  Crypto& crypto;
};

}  // namespace kestrian::platform
