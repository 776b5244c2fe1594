#pragma once
// A report written for another program to collect: first to a name beside its own, then
// renamed over it, so a collector finds the previous report or the whole new one, never
// half of one.
#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace kestrian::report {

// The name the report has while it is being written.
std::string PartialReportPath(std::string_view path);

// Writes `text` to `path` through PartialReportPath; on failure nothing is left behind and
// the file at `path` is as it was.
platform::Status WriteReportFile(platform::FileSystem& files, std::string_view path,
                                 std::string_view text);

}  // namespace kestrian::report
