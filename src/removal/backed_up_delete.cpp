#include "removal/backed_up_delete.h"

namespace kestrian::removal {

platform::Status DeleteBackedUpFile(platform::FileSystem& files, std::string_view path) {
  const platform::Status status = files.Delete(path);
  if (status != platform::kAccessDenied || files.ClearReadOnly(path) != platform::kOk) return status;
  return files.Delete(path);
}

}  // namespace kestrian::removal
