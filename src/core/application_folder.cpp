#include "core/application_folder.h"

namespace kestrian::core {

ApplicationFolder ApplicationFolder::OfExecutable(platform::Environment& environment) {
  std::string path = environment.ExecutablePath();
  const auto slash = path.find_last_of('\\');
  path.resize(slash == std::string::npos ? 0 : slash);
  return ApplicationFolder(std::move(path));
}

std::string ApplicationFolder::FilePath(std::string_view name) const {
  std::string path = folder_;
  path.push_back('\\');
  path.append(name);
  return path;
}

}  // namespace kestrian::core
