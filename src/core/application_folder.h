#pragma once
// The application folder: the folder of the running executable, without a trailing
// backslash. Every data file lies directly in it.
#include <string>
#include <string_view>

#include "platform/environment.h"

namespace kestrian::core {

class ApplicationFolder {
 public:
  explicit ApplicationFolder(std::string folder) : folder_(std::move(folder)) {}
  static ApplicationFolder OfExecutable(platform::Environment& environment);

  const std::string& Path() const { return folder_; }
  // The folder, one backslash, and the file name.
  std::string FilePath(std::string_view name) const;

 private:
  std::string folder_;
};

}  // namespace kestrian::core
