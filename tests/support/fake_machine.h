#pragma once
// An in-memory machine for the behaviour's tests: a registry, files with DOS attributes and
// sharing locks, drives, a clock. Names are found without regard to case, as on Windows.
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/machine.h"

namespace kestrian::testing {

// Case-insensitive ordering for keys and paths.
struct NoCaseLess {
  bool operator()(const std::string& a, const std::string& b) const;
};

class FakeRegistry final : public platform::Registry {
 public:
  platform::Status OpenKey(platform::RootKey root, std::string_view path,
                           std::uint32_t access) override;
  platform::Status QueryValue(platform::RootKey root, std::string_view path, std::uint32_t access,
                              std::string_view name, platform::RegistryValue& out) override;
  platform::Status SetValue(platform::RootKey root, std::string_view path, std::string_view name,
                            const platform::RegistryValue& value) override;
  platform::Status DeleteValue(platform::RootKey root, std::string_view path,
                               std::string_view name) override;
  platform::Status DeleteTree(platform::RootKey root, std::string_view path) override;

  // Arrangement: a key whose opens with any right beyond reading are refused.
  void CreateKey(platform::RootKey root, std::string_view path);
  void MakeReadOnly(platform::RootKey root, std::string_view path);
  bool HasKey(platform::RootKey root, std::string_view path) const;
  std::optional<std::string> StringValue(platform::RootKey root, std::string_view path,
                                         std::string_view name) const;

 private:
  struct Key {
    std::map<std::string, platform::RegistryValue, NoCaseLess> values;
    bool readOnly = false;
  };
  std::string FullPath(platform::RootKey root, std::string_view path) const;
  Key* Find(platform::RootKey root, std::string_view path);
  const Key* Find(platform::RootKey root, std::string_view path) const;
  platform::Status Open(platform::RootKey root, std::string_view path, std::uint32_t access,
                        Key*& key);

  std::map<std::string, Key, NoCaseLess> keys_;
};

class FakeFileSystem final : public platform::FileSystem {
 public:
  std::vector<platform::DirectoryEntry> Find(std::string_view pattern) override;
  platform::Result<std::string> ReadAll(std::string_view path) override;
  platform::Status WriteAll(std::string_view path, std::string_view bytes) override;
  platform::Status Append(std::string_view path, std::string_view bytes) override;
  platform::Status Delete(std::string_view path) override;
  platform::Status MoveReplacing(std::string_view from, std::string_view to) override;
  platform::Status Copy(std::string_view from, std::string_view to, bool failIfExists) override;
  platform::Status CreateFolder(std::string_view path) override;

  // Arrangement. Folders on the way are created.
  void PutFile(std::string_view path, std::string_view bytes,
               std::uint32_t attributes = platform::attributes::kArchive);
  void PutFolder(std::string_view path);
  // A file held open by another program that shares nothing: reads, writes, moves and
  // deletes fail with a sharing violation.
  void Lock(std::string_view path, bool locked = true);
  bool Exists(std::string_view path) const;
  std::optional<std::string> Content(std::string_view path) const;

 private:
  struct Node {
    std::string name;  // as created, with its letter case
    std::uint32_t attributes = 0;
    std::string content;
    bool locked = false;
  };
  static std::string Parent(std::string_view path);
  Node* Lookup(std::string_view path);
  const Node* Lookup(std::string_view path) const;
  bool FolderExists(std::string_view path) const;

  std::map<std::string, Node, NoCaseLess> nodes_;
};

class FakeEnvironment final : public platform::Environment {
 public:
  std::string ExecutablePath() override { return executablePath; }
  platform::VersionResource Version() override { return version; }
  std::string WindowsFolder() override { return windowsFolder; }
  std::string SystemFolder() override { return systemFolder; }
  std::vector<platform::DriveInfo> Drives() override { return drives; }

  std::string executablePath = "C:\\Program Files\\Kestrian\\Kestrian.exe";
  platform::VersionResource version{"Kestrian", "Kestrian Software", "www.kestrian.example", 1, 6};
  std::string windowsFolder = "C:\\WINDOWS";
  std::string systemFolder = "C:\\WINDOWS\\system32";
  std::vector<platform::DriveInfo> drives = {{'C', platform::DriveType::Fixed, true}};
};

class FakeClock final : public platform::Clock {
 public:
  std::string NowText() override { return now; }
  std::string now = "12/6/2026 9:30:00 AM";
};

class FakeMachine {
 public:
  FakeMachine();
  FakeMachine(const FakeMachine&) = delete;
  FakeMachine& operator=(const FakeMachine&) = delete;

  platform::Machine& Get() { return machine_; }

  FakeRegistry registry;
  FakeFileSystem files;
  FakeEnvironment environment;
  FakeClock clock;

 private:
  platform::Machine machine_;
};

}  // namespace kestrian::testing
