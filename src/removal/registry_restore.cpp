#include "removal/registry_restore.h"

#include <optional>

namespace kestrian::removal {

namespace {
// One step to undo: a key made by the restore, or a value with what it held before.
struct Undo {
  platform::RootKey root;
  std::string path;
  bool keyMade = false;
  std::string name;
  std::optional<platform::RegistryValue> before;
};

class Journal {
 public:
  explicit Journal(platform::Registry& registry) : registry_(registry) {}

  bool MakeKey(platform::RootKey root, const std::string& path) {
    // The first missing key on the way is the one whose tree an undo deletes.
    for (std::size_t end = path.find('\\');; end = path.find('\\', end + 1)) {
      const std::string part = path.substr(0, end);
      if (registry_.OpenKey(root, part, platform::key_access::kQueryValue) == platform::kFileNotFound) {
        steps_.push_back({root, part, true, {}, {}});
        break;
      }
      if (end == std::string::npos) return true;
    }
    return Check(registry_.CreateKey(root, path), root, path);
  }

  bool SetValue(platform::RootKey root, const std::string& path, const platform::NamedValue& value) {
    platform::RegistryValue before;
    const bool existed = registry_.QueryValue(root, path, platform::key_access::kQueryValue, value.name,
                                              before) == platform::kOk;
    steps_.push_back({root, path, false, value.name, existed ? std::optional(before) : std::nullopt});
    return Check(registry_.SetValue(root, path, value.name, value.value), root, path);
  }

  void UndoAll() {
    for (auto step = steps_.rbegin(); step != steps_.rend(); ++step) {
      if (step->keyMade) {
        registry_.DeleteTree(step->root, step->path);
      } else if (step->before) {
        registry_.SetValue(step->root, step->path, step->name, *step->before);
      } else {
        registry_.DeleteValue(step->root, step->path, step->name);
      }
    }
    steps_.clear();
  }

  std::string error;

 private:
  bool Check(platform::Status status, platform::RootKey root, const std::string& path) {
    if (status == platform::kOk) return true;
    error = "the registry refused to write " + RegKeyName(root, path) + " (error " +
            std::to_string(status) + ")";
    return false;
  }

  platform::Registry& registry_;
  std::vector<Undo> steps_;
};
}  // namespace

RegistryWrite WriteKeysAllOrNothing(platform::Registry& registry, const std::vector<RegKey>& keys) {
  Journal journal(registry);
  for (const RegKey& key : keys) {
    bool written = key.path.empty() || journal.MakeKey(key.root, key.path);
    for (std::size_t i = 0; written && i < key.values.size(); ++i) {
      written = journal.SetValue(key.root, key.path, key.values[i]);
    }
    if (!written) {
      journal.UndoAll();
      return {false, journal.error};
    }
  }
  return {true, {}};
}

std::vector<std::string> ConflictingValues(platform::Registry& registry, const std::vector<RegKey>& keys) {
  std::vector<std::string> conflicts;
  for (const RegKey& key : keys) {
    for (const auto& value : key.values) {
      platform::RegistryValue now;
      if (registry.QueryValue(key.root, key.path, platform::key_access::kQueryValue, value.name, now) ==
              platform::kOk &&
          now != value.value) {
        conflicts.push_back(RegKeyName(key.root, key.path) + "\\" +
                            (value.name.empty() ? std::string("(Default)") : value.name));
      }
    }
  }
  return conflicts;
}

}  // namespace kestrian::removal
