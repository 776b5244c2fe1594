#pragma once
// What an uninstall removes beyond the files the package itself installed: the definition
// files of the application folder (the packaged ones put in place, Live Update's newer ones,
// copies waiting for the next start, parts of downloads) and the program's "Run at Startup"
// value, in the machine's and in the current user's Run key, when it starts the program of
// this folder. The user's data stays: the quarantine, the logs, the exclusion list and the
// settings.
#include <string>
#include <vector>

#include "core/application_folder.h"
#include "platform/file_system.h"
#include "platform/registry.h"

namespace kestrian::setup {

struct LeftoverFailure {
  std::string item;  // a file path, or the Run key's value as ROOT\key\name
  platform::Status status = platform::kOk;
};

// Every file of the folder whose name holds a definition file's name ("DLExeDefinition.dat",
// "ExeDefinition.dat.download"...). Failures are listed; the other files are still removed.
std::vector<LeftoverFailure> RemoveDefinitionFiles(platform::FileSystem& files,
                                                   const core::ApplicationFolder& folder);

// The value named after the program in both Run keys, when its command (quoted or not) lies
// in the folder; a value that starts a copy elsewhere stays.
std::vector<LeftoverFailure> RemoveStartupValues(platform::Registry& registry,
                                                 const core::ApplicationFolder& folder);

}  // namespace kestrian::setup
