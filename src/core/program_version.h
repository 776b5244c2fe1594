#pragma once
// The running program's version resource, with the product name every text and the
// settings store rely on even when the resource cannot be read.
#include "platform/environment.h"

namespace kestrian::core {

platform::VersionResource ProgramVersion(platform::Environment& environment);

}  // namespace kestrian::core
