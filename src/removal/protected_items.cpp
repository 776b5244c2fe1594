#include "removal/protected_items.h"

#include <array>
#include <string>
#include <vector>

#include "core/text.h"

namespace kestrian::removal {

namespace {
constexpr std::array<std::string_view, 22> kProtectedKeys = {
    "SOFTWARE\\MICROSOFT",
    "SOFTWARE\\MICROSOFT\\WINDOWS",
    "SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION",
    "SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\RUN",
    "SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\RUNONCE",
    "SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\RUNSERVICES",
    "SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\RUNSERVICESONCE",
    "SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\POLICIES",
    "SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\EXPLORER",
    "SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\EXPLORER\\BROWSER HELPER OBJECTS",
    "SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\EXPLORER\\SHELLEXECUTEHOOKS",
    "SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\SHELL EXTENSIONS",
    "SOFTWARE\\MICROSOFT\\WINDOWS NT",
    "SOFTWARE\\MICROSOFT\\WINDOWS NT\\CURRENTVERSION",
    "SOFTWARE\\MICROSOFT\\WINDOWS NT\\CURRENTVERSION\\WINLOGON",
    "SOFTWARE\\MICROSOFT\\INTERNET EXPLORER",
    "SOFTWARE\\MICROSOFT\\INTERNET EXPLORER\\MAIN",
    "SOFTWARE\\CLASSES",
    "SOFTWARE\\POLICIES",
    "SYSTEM\\CURRENTCONTROLSET",
    "SYSTEM\\CURRENTCONTROLSET\\SERVICES",
    "SYSTEM\\CURRENTCONTROLSET\\CONTROL",
};

// The path's parts, upper-cased, without empty ones and with "." and ".." resolved.
std::vector<std::string> Parts(std::string_view path) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find_first_of("\\/", start);
    if (end == std::string_view::npos) end = path.size();
    const std::string part = core::ToUpper(core::Trim(path.substr(start, end - start)));
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  return parts;
}

std::string Joined(const std::vector<std::string>& parts, std::size_t from) {
  std::string joined;
  for (std::size_t i = from; i < parts.size(); ++i) {
    if (!joined.empty()) joined += '\\';
    joined += parts[i];
  }
  return joined;
}

bool OnList(const std::vector<std::string>& parts, std::size_t from) {
  const std::string key = Joined(parts, from);
  for (std::string_view listed : kProtectedKeys) {
    if (key == listed) return true;
  }
  return false;
}
}  // namespace

bool IsProtectedKey(platform::RootKey root, std::string_view subKey) {
  const std::vector<std::string> parts = Parts(subKey);
  if (parts.size() <= 1) return true;
  if (OnList(parts, 0)) return true;
  // Under HKEY_USERS each user's key holds what HKEY_CURRENT_USER shows.
  return root == platform::roots::kUsers && (parts.size() == 2 || OnList(parts, 1));
}

bool IsInsideFolder(std::string_view path, std::string_view folder) {
  const std::vector<std::string> pathParts = Parts(path);
  const std::vector<std::string> folderParts = Parts(folder);
  if (folderParts.empty() || pathParts.size() < folderParts.size()) return false;
  for (std::size_t i = 0; i < folderParts.size(); ++i) {
    if (pathParts[i] != folderParts[i]) return false;
  }
  return true;
}

}  // namespace kestrian::removal
