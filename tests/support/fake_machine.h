#pragma once
// An in-memory machine for the behaviour's tests: a registry, files with DOS attributes and
// sharing locks, drives, a clock. Names are found without regard to case, as on Windows.
#include <algorithm>
#include <array>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
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
  platform::Result<std::unique_ptr<platform::RegistryKey>> Open(platform::RootKey root,
                                                                std::string_view path,
                                                                std::uint32_t access) override;
  platform::Status QueryValue(platform::RootKey root, std::string_view path, std::uint32_t access,
                              std::string_view name, platform::RegistryValue& out) override;
  platform::Status SetValue(platform::RootKey root, std::string_view path, std::string_view name,
                            const platform::RegistryValue& value) override;
  platform::Status DeleteValue(platform::RootKey root, std::string_view path,
                               std::string_view name) override;
  platform::Status DeleteTree(platform::RootKey root, std::string_view path) override;
  // Also the arrangement of a key.
  platform::Status CreateKey(platform::RootKey root, std::string_view path) override;
  platform::Result<std::vector<std::string>> SubKeyNames(platform::RootKey root,
                                                         std::string_view path) override;
  platform::Result<std::vector<platform::NamedValue>> Values(platform::RootKey root,
                                                             std::string_view path) override;

  // Arrangement: a key whose opens with any right beyond reading are refused.
  void MakeReadOnly(platform::RootKey root, std::string_view path) {
    CreateKey(root, path);
    Find(root, path)->readOnly = true;
  }
  // Arrangement: a hive where every write is refused, as HKEY_LOCAL_MACHINE is for a
  // standard user.
  void RefuseWrites(platform::RootKey root) { refusingHives_.insert(root); }
  bool HasKey(platform::RootKey root, std::string_view path) const { return Find(root, path) != nullptr; }
  std::optional<std::string> StringValue(platform::RootKey root, std::string_view path,
                                         std::string_view name) const;

  // Keys opened to be read (OpenKey, QueryValue, Open) and values read, in all.
  int readOpens = 0;
  int valueReads = 0;

 private:
  class HeldKey;
  struct Key {
    std::map<std::string, platform::RegistryValue, NoCaseLess> values;
    bool readOnly = false;
  };
  std::string FullPath(platform::RootKey root, std::string_view path) const;
  Key* Find(platform::RootKey root, std::string_view path) {
    return const_cast<Key*>(std::as_const(*this).Find(root, path));
  }
  const Key* Find(platform::RootKey root, std::string_view path) const;
  platform::Status Open(platform::RootKey root, std::string_view path, std::uint32_t access,
                        Key*& key);
  bool Refuses(platform::RootKey root, const Key& key) const {
    return key.readOnly || refusingHives_.contains(root);
  }

  std::map<std::string, Key, NoCaseLess> keys_;
  std::set<platform::RootKey> refusingHives_;
};

class FakeFileSystem final : public platform::FileSystem {
 public:
  std::vector<platform::DirectoryEntry> Find(std::string_view pattern) override;
  platform::Result<std::vector<platform::FolderEntry>> ListFolder(std::string_view folder,
                                                                  std::size_t maxEntries) override;
  platform::Result<std::string> ReadAll(std::string_view path) override { return ReadAtMost(path, UINT64_MAX); }
  platform::Result<std::string> ReadAtMost(std::string_view path, std::uint64_t maxBytes) override;
  platform::Status WriteAll(std::string_view path, std::string_view bytes) override;
  platform::Status Append(std::string_view path, std::string_view bytes) override {
    return WriteAll(path, Content(path).value_or("") + std::string(bytes));
  }
  platform::Status Delete(std::string_view path) override;
  platform::Status ClearReadOnly(std::string_view path) override;
  platform::Status MoveReplacing(std::string_view from, std::string_view to) override;
  platform::Status Copy(std::string_view from, std::string_view to, bool failIfExists) override;
  platform::Status CreateFolder(std::string_view path) override;
  std::string FullPath(std::string_view path) override;
  // Without a device prefix, "." and ".." resolved, aliases followed; fails for a name with
  // a character no path may hold.
  platform::Result<std::string> ResolvedPath(std::string_view path) override;

  // The folder relative paths start from.
  std::string currentFolder = "C:\\Kestrian";

  // Arrangement. Folders on the way are created.
  void PutFile(std::string_view path, std::string_view bytes,
               std::uint32_t attributes = platform::attributes::kArchive);
  void PutFolder(std::string_view path);
  // A file of `size` zero bytes, kept as a length: for the size limits.
  void PutLargeFile(std::string_view path, std::uint64_t size) {
    PutFile(path, "");
    Lookup(path)->zeros = size;
  }
  // Gives an entry an 8.3 name, which searches then match as well as its long name.
  void SetShortName(std::string_view path, std::string shortName) { Mark(path, &Node::shortName, shortName); }
  // A file held open by another program that shares nothing: reads, writes, moves and
  // deletes fail with a sharing violation.
  void Lock(std::string_view path, bool locked = true) { Mark(path, &Node::locked, locked); }
  // A file held open by a program that lets others read it but not delete or change it.
  void HoldSharingReads(std::string_view path, bool held = true) { Mark(path, &Node::readsOnly, held); }
  // A file held open by a program that lets others delete it: a delete succeeds, but the
  // file stays until the program closes it (never, here).
  void HoldSharingDeletes(std::string_view path) { Mark(path, &Node::deletesShared, true); }
  // A file whose content this account may not read but may delete (its rights say so).
  void DenyReads(std::string_view path) { Mark(path, &Node::unreadable, true); }
  bool Exists(std::string_view path) const { return Lookup(path) != nullptr; }
  std::optional<std::string> Content(std::string_view path) const {
    const Node* node = Lookup(path);
    return node == nullptr ? std::nullopt : std::optional(node->content);
  }
  // A path that resolves to another: a short 8.3 name, a junction or a substituted drive.
  void AddAlias(std::string from, std::string to) { aliases_.insert_or_assign(std::move(from), std::move(to)); }
  // The program dies before it renames: every move fails, and a delete reports success
  // but leaves the file, as nobody is left to delete it.
  bool diesBeforeRenames = false;

  int searches = 0;  // Find calls
  int listings = 0;  // ListFolder calls

 private:
  struct Node {
    std::string name = {};  // as created, with its letter case
    std::uint32_t attributes = 0;
    std::string content = {};
    bool locked = false;
    bool readsOnly = false;  // held open, sharing reads only
    std::string shortName = {};  // 8.3 name; empty: none
    bool deletesShared = false;  // held open, sharing deletes: a delete succeeds, the file stays
    bool unreadable = false;
    std::uint64_t zeros = 0;  // zero bytes after the content, not stored
  };
  static std::string Parent(std::string_view path);
  template <class Visit>
  void ForEachChild(const std::string& folder, Visit&& visit) const;
  Node* Lookup(std::string_view path) { return const_cast<Node*>(std::as_const(*this).Lookup(path)); }
  const Node* Lookup(std::string_view path) const;
  bool FolderExists(std::string_view path) const;
  // Sets one field of an existing entry.
  template <class Field, class Value>
  void Mark(std::string_view path, Field Node::*field, Value value) {
    if (Node* node = Lookup(path)) node->*field = std::move(value);
  }
  // Puts `node` at `path` under the path's name, without an 8.3 name.
  void Place(Node node, std::string_view path);

  std::map<std::string, Node, NoCaseLess> nodes_;
  std::map<std::string, std::string, NoCaseLess> aliases_;
};

class FakeEnvironment final : public platform::Environment {
 public:
  std::string ExecutablePath() override { return executablePath; }
  platform::VersionResource Version() override { return version; }
  std::string WindowsFolder() override { return windowsFolder; }
  std::string SystemFolder() override { return systemFolder; }
  std::vector<platform::DriveInfo> Drives() override { return drives; }
  std::string SpecialFolderPath(int folderId) override {
    const auto found = specialFolders.find(folderId);
    return found == specialFolders.end() ? std::string() : found->second;
  }
  std::optional<std::uint32_t> PlatformId() override { return platformId; }
  std::optional<platform::OsVersion> OperatingSystemVersion() override {
    if (!platformId) return std::nullopt;
    return platform::OsVersion{*platformId, majorVersion, minorVersion};
  }

  std::string executablePath = "C:\\Program Files\\Kestrian\\Kestrian.exe";
  platform::VersionResource version{"Kestrian", "Kestrian Software", "www.kestrian.example", 1, 6};
  std::string windowsFolder = "C:\\WINDOWS";
  std::string systemFolder = "C:\\WINDOWS\\system32";
  std::vector<platform::DriveInfo> drives = {{'C', platform::DriveType::Fixed, true}};
  std::map<int, std::string> specialFolders = {
      {platform::special_folders::kPrograms,
       "C:\\Documents and Settings\\user\\Start Menu\\Programs"},
      {platform::special_folders::kDesktop, "C:\\Documents and Settings\\user\\Desktop"},
      {platform::special_folders::kCookies, "C:\\Documents and Settings\\user\\Cookies"}};
  std::optional<std::uint32_t> platformId = platform::platform_ids::kWindowsNt;
  std::uint32_t majorVersion = 5;  // Windows XP
  std::uint32_t minorVersion = 1;
};

// Running processes. A process may refuse to be opened for its module path, or refuse to
// be terminated (a protected process), or take a number of waits before it ends.
class FakeProcesses final : public platform::Processes {
 public:
  struct Process {
    std::uint32_t id = 0;
    std::string exeFile;     // the snapshot's name field
    std::string modulePath;  // empty: the process cannot be opened for its modules
    bool terminable = true;
    int waitsToEnd = 0;  // > 0: the wait for it that sees it end (1: the first); 0: none
  };
  struct Termination {
    std::uint32_t id;
    std::uint32_t exitCode;
    bool operator==(const Termination&) const = default;
  };

  std::vector<platform::ProcessEntry> Snapshot() override;
  platform::Result<std::string> MainModulePath(std::uint32_t id) override;
  bool Terminate(std::uint32_t id, std::uint32_t exitCode) override;
  void TerminateWithOwnExitCode(std::uint32_t id) override { Terminate(id, 259); }
  bool WaitForEnd(std::uint32_t id, std::uint32_t milliseconds) override;

  // Arrangement: starts a process and returns its id. As on Windows, a plain snapshot name
  // (scan::IsPlainProcessName) is the file name of a readable module path, without regard to
  // case; Start throws for a process that breaks this.
  std::uint32_t Start(std::string exeFile, std::string modulePath, bool terminable = true);
  bool Running(std::uint32_t id) const {
    return std::any_of(running_.begin(), running_.end(), [&](const Process& process) { return process.id == id; });
  }
  void EndAfterWaits(std::uint32_t id, int waits) {
    if (const auto process = Find(id); process != running_.end()) process->waitsToEnd = waits;
  }
  // Runs before each wait, as the program being waited for may act meanwhile.
  std::function<void()> onWait;

  std::vector<Termination> terminations;  // successful ones, in order
  int terminateCalls = 0;
  int waitCalls = 0;
  int modulePathCalls = 0;

 private:
  std::vector<Process>::iterator Find(std::uint32_t id);
  std::vector<Process> running_;
  std::uint32_t nextId_ = 100;
};

// System Restore: records every request and answers with the next sequence number, or
// refuses while `available` is false.
class FakeSystemRestore final : public platform::SystemRestore {
 public:
  std::optional<std::int64_t> SetRestorePoint(const platform::RestorePointRequest& request) override {
    requests.push_back(request);
    if (!available) return std::nullopt;
    return request.eventType == platform::restore_events::kBeginSystemChange ? nextSequence
                                                                             : request.sequenceNumber;
  }
  std::vector<platform::RestorePointRequest> requests;
  bool available = true;
  std::int64_t nextSequence = 1;
};

// Libraries: records every entry point called, as "path!name".
class FakeLibraries final : public platform::Libraries {
 public:
  bool CallEntryPoint(std::string_view path, const char* entryPoint) override {
    calls.push_back(std::string(path) + "!" + entryPoint);
    return true;
  }
  std::vector<std::string> calls;
};

class FakeDesktop final : public platform::Desktop {
 public:
  platform::Status RunCommand(std::string_view commandLine, int showStyle) override {
    commands.push_back({std::string(commandLine), showStyle});
    return runStatus;
  }
  platform::Status OpenDocument(std::string_view target) override {
    opened.emplace_back(target);
    return platform::kOk;
  }
  std::vector<std::string> opened;
  struct Command {
    std::string line;
    int showStyle;
    bool operator==(const Command&) const = default;
  };
  std::vector<Command> commands;  // every start asked for, failed ones too
  platform::Status runStatus = platform::kOk;  // what every start answers
};

// The clock of an English system: general dates read "M/D/YYYY h:mm:ss AM". The current
// time is the text `now`; the weekday names can be those of another language.
class FakeClock final : public platform::Clock {
 public:
  std::string NowText() override { return now; }
  platform::DateTime Now() override { return ParseDateText(now).value_or(platform::DateTime{}); }
  platform::DateTime UtcNow() override { return utcNow; }
  std::string WeekdayName(const platform::DateTime& date) override;
  std::string GeneralDateText(const platform::DateTime& value) override;
  // Reads the texts GeneralDateText writes, a date alone, or a time alone (on the day zero
  // of date values, 12/30/1899), with "AM"/"PM" or a 24-hour clock.
  std::optional<platform::DateTime> ParseDateText(std::string_view text) override;

  std::string now = "12/6/2026 9:30:00 AM";
  platform::DateTime utcNow{2026, 12, 6, 8, 30, 0};
  std::array<std::string, 7> weekdayNames{"Sunday",   "Monday", "Tuesday", "Wednesday",
                                          "Thursday", "Friday", "Saturday"};
};

// A web of scripted answers: pages and downloads by address. An address with no answer is
// unreachable. Every request is recorded in order.
class FakeWeb final : public platform::Web {
 public:
  platform::WebPage FetchPage(std::string_view url, std::chrono::milliseconds timeout,
                              const platform::WaitCallback& whileWaiting) override;
  platform::DownloadOutcome DownloadToFile(std::string_view url, std::string_view path,
                                           const platform::DownloadLimits& limits,
                                           const platform::WaitCallback& whileWaiting) override;

  // A page answered 200 with `html`.
  void ServePage(std::string url, std::string html) {
    pages[std::move(url)] = {platform::WebPage::Outcome::Answered, 200, std::move(html)};
  }

  struct Download {
    std::string bytes;
    bool complete = true;         // false: only the first half arrives
    bool lengthAnnounced = true;  // false: a cut transfer looks complete to the caller
  };

  std::map<std::string, platform::WebPage> pages;
  std::map<std::string, Download> downloads;
  std::vector<std::string> requests;       // every address asked for, pages and files
  std::chrono::milliseconds lastTimeout{0};   // of the last page
  platform::DownloadLimits lastLimits;         // of the last download
  FakeFileSystem* files = nullptr;  // where downloads are written
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
  FakeProcesses processes;
  FakeDesktop desktop;
  FakeSystemRestore systemRestore;
  FakeLibraries libraries;
  FakeWeb web;
  // The system's own: hashes and signatures need no fake.
  std::unique_ptr<platform::Crypto> crypto = platform::MakeSystemCrypto();

 private:
  platform::Machine machine_;
};

}  // namespace kestrian::testing
