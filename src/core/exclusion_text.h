#pragma once
// The in-memory form of the exclusion file: each line, trimmed, followed by CR LF, every new
// line put in front of those read before (so the entries stand in reverse file order).
#include <string>
#include <string_view>

#include "core/application_folder.h"
#include "platform/file_system.h"
#include "ui/host.h"

namespace kestrian::core {

// Reads the exclusion file of the application folder (empty text when there is none),
// yielding to the message loop after every line.
std::string LoadExclusionText(platform::FileSystem& files, const ApplicationFolder& folder,
                              ui::Host& host);

}  // namespace kestrian::core
