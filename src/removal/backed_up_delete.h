#pragma once
// Deleting a file whose backup exists.
#include <string_view>

#include "platform/file_system.h"

namespace kestrian::removal {

// Deletes the file; one Windows refuses for its read-only attribute loses the attribute and
// is deleted then (its backup keeps the attribute). Call only once the file is backed up.
platform::Status DeleteBackedUpFile(platform::FileSystem& files, std::string_view path);

}  // namespace kestrian::removal
