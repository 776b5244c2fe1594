#pragma once
// An in-memory machine for the behaviour's tests: a registry, files with DOS attributes and
// sharing locks, drives, a clock. Names are found without regard to case, as on Windows.
#include <algorithm>
#include <array>
#include <cctype>
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

#include "core/text.h"
#include "platform/machine.h"

namespace kestrian::testing {

struct NoCaseLess {
  bool operator()(const std::string& a, const std::string& b) const {
    return core::CompareIgnoringCase(a, b) < 0;
  }
};

// A failed platform::Result of any type.
struct Failed {
  platform::Status status;
  template <class T>
  operator platform::Result<T>() const {
    return platform::Result<T>::Failure(status);
  }
};

class FakeRegistry final : public platform::Registry {
 public:
  platform::Status OpenKey(platform::RootKey root, std::string_view path, std::uint32_t access) override {
    ++readOpens;
    return Opened(root, path, access).status();
  }
  platform::Result<std::unique_ptr<platform::RegistryKey>> Open(platform::RootKey root,
                                                                std::string_view path,
                                                                std::uint32_t access) override;
  platform::Status QueryValue(platform::RootKey root, std::string_view path, std::uint32_t access,
                              std::string_view name, platform::RegistryValue& out) override {
    out = {};
    ++readOpens;
    ++valueReads;
    const auto key = Opened(root, path, access);
    return key.ok() ? ReadValue(key.value(), name, out) : key.status();
  }
  platform::Status SetValue(platform::RootKey root, std::string_view path, std::string_view name,
                            const platform::RegistryValue& value) override {
    if (Opened(root, path, platform::key_access::kSetValue).status() == platform::kFileNotFound) CreateKey(root, path);
    const auto key = Opened(root, path, platform::key_access::kSetValue);
    if (key.ok()) key.value()->values[std::string(name)] = value;
    return key.status();
  }
  platform::Status DeleteValue(platform::RootKey root, std::string_view path, std::string_view name) override {
    const auto key = Opened(root, path, platform::key_access::kSetValue);
    if (!key.ok()) return key.status();
    return key.value()->values.erase(std::string(name)) == 0 ? platform::kFileNotFound : platform::kOk;
  }
  platform::Status DeleteTree(platform::RootKey root, std::string_view path) override;
  platform::Status CreateKey(platform::RootKey root, std::string_view path) override;
  platform::Result<std::vector<std::string>> SubKeyNames(platform::RootKey root,
                                                         std::string_view path) override;
  platform::Result<std::vector<platform::NamedValue>> Values(platform::RootKey root,
                                                             std::string_view path) override {
    const auto key = Opened(root, path, platform::key_access::kRead);
    if (!key.ok()) return Failed{key.status()};
    std::vector<platform::NamedValue> values;
    for (const auto& [name, value] : key.value()->values) values.push_back({name, value});
    return values;
  }

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
                                         std::string_view name) const {
    const Key* key = Find(root, path);
    platform::RegistryValue value;
    if (key == nullptr || ReadValue(key, name, value) != platform::kOk) return std::nullopt;
    return value.data.substr(0, value.data.find('\0'));
  }

  // Keys opened to be read (OpenKey, QueryValue, Open) and values read, in all.
  int readOpens = 0;
  int valueReads = 0;

 private:
  class HeldKey;
  struct Key {
    std::map<std::string, platform::RegistryValue, NoCaseLess> values;
    bool readOnly = false;
  };
  static std::string FullPath(platform::RootKey root, std::string_view path);
  Key* Find(platform::RootKey root, std::string_view path) const {
    const auto it = keys_.find(FullPath(root, path));
    return it == keys_.end() ? nullptr : &it->second;
  }
  static platform::Status ReadValue(const Key* key, std::string_view name, platform::RegistryValue& out) {
    const auto it = key->values.find(std::string(name));
    if (it == key->values.end()) return platform::kFileNotFound;
    out = it->second;
    return platform::kOk;
  }
  // The key, or why it may not be opened with `access`.
  platform::Result<Key*> Opened(platform::RootKey root, std::string_view path, std::uint32_t access);
  bool Refuses(platform::RootKey root, const Key& key) const {
    return key.readOnly || refusingHives_.contains(root);
  }

  mutable std::map<std::string, Key, NoCaseLess> keys_;
  std::set<platform::RootKey> refusingHives_;
};

class FakeFileSystem final : public platform::FileSystem {
 public:
  std::vector<platform::DirectoryEntry> Find(std::string_view pattern) override;
  platform::Result<std::vector<platform::FolderEntry>> ListFolder(std::string_view folder,
                                                                  std::size_t maxEntries) override {
    ++listings;
    if (!FolderExists(folder)) return Failed{platform::kPathNotFound};
    std::vector<platform::FolderEntry> entries;
    ForEachChild(std::string(folder), [&](const Node& node) {
      entries.push_back({node.name, node.shortName, node.attributes});
    });
    if (entries.size() > maxEntries) return Failed{platform::kMoreData};
    return entries;
  }
  platform::Result<std::string> ReadAll(std::string_view path) override { return ReadAtMost(path, UINT64_MAX); }
  platform::Result<std::string> ReadAtMost(std::string_view path, std::uint64_t maxBytes) override {
    const Node* node = Lookup(path);
    if (node == nullptr) return Failed{FolderExists(Parent(path)) ? platform::kFileNotFound : platform::kPathNotFound};
    if (const platform::Status refusal = ReadRefusal(*node); refusal != platform::kOk) return Failed{refusal};
    if (node->content.size() + node->zeros > maxBytes) return Failed{platform::kFileTooLarge};
    return node->content + std::string(node->zeros, '\0');
  }
  platform::Status WriteAll(std::string_view path, std::string_view bytes) override {
    if (Node* node = Lookup(path)) {
      if (node->attributes & kUnwritable) return platform::kAccessDenied;
      if (node->locked) return platform::kSharingViolation;
      node->content.assign(bytes);
      return platform::kOk;
    }
    if (!FolderExists(Parent(path))) return platform::kPathNotFound;
    Place(Node{.attributes = platform::attributes::kArchive, .content = std::string(bytes)}, path);
    return platform::kOk;
  }
  platform::Status Append(std::string_view path, std::string_view bytes) override {
    return WriteAll(path, Content(path).value_or("") + std::string(bytes));
  }
  platform::Status Delete(std::string_view path) override {
    if (diesBeforeRenames) return platform::kOk;
    const Node* node = Lookup(path);
    if (node == nullptr) return platform::kFileNotFound;
    if (node->attributes & kUnwritable) return platform::kAccessDenied;
    if (node->locked || node->readsOnly) return platform::kSharingViolation;
    if (!node->deletesShared) nodes_.erase(std::string(path));  // else deleted once the holder closes it
    return platform::kOk;
  }
  platform::Status ClearReadOnly(std::string_view path) override {
    Node* node = Lookup(path);
    if (node == nullptr) return platform::kFileNotFound;
    node->attributes &= ~platform::attributes::kReadOnly;
    return platform::kOk;
  }
  platform::Status MoveReplacing(std::string_view from, std::string_view to) override {
    if (diesBeforeRenames) return platform::kAccessDenied;
    Node* source = Lookup(from);
    if (source == nullptr) return platform::kFileNotFound;
    if (source->locked || source->readsOnly) return platform::kSharingViolation;
    if (!FolderExists(Parent(to))) return platform::kPathNotFound;
    if (const Node* target = Lookup(to)) {
      // Replacing deletes the old file, which a program holding it open does not allow.
      if ((target->attributes & kUnwritable) || target->locked || target->readsOnly) return platform::kAccessDenied;
    }
    Node moved = *source;
    nodes_.erase(std::string(from));
    Place(std::move(moved), to);
    return platform::kOk;
  }
  platform::Status Copy(std::string_view from, std::string_view to, bool failIfExists) override {
    const Node* source = Lookup(from);
    if (source == nullptr) return platform::kFileNotFound;
    if (const platform::Status refusal = ReadRefusal(*source); refusal != platform::kOk) return refusal;
    if (const Node* target = Lookup(to)) {
      if (failIfExists) return platform::kFileAlreadyExists;
      if (target->locked) return platform::kSharingViolation;
    }
    if (!FolderExists(Parent(to))) return platform::kPathNotFound;
    Place(*source, to);
    return platform::kOk;
  }
  platform::Status CreateFolder(std::string_view path) override {
    if (Lookup(path) != nullptr || IsDriveRoot(path)) return platform::kAlreadyExists;
    if (!FolderExists(Parent(path))) return platform::kPathNotFound;
    Place(Node{.attributes = platform::attributes::kDirectory}, path);
    return platform::kOk;
  }
  std::string FullPath(std::string_view path) override {
    if (path.size() >= 2 && path[1] == ':') return std::string(path);
    if (!path.empty() && path[0] == '\\') return currentFolder.substr(0, 2) + std::string(path);
    return currentFolder + "\\" + std::string(path);
  }
  // Without a device prefix, "." and ".." resolved, aliases followed; fails for a name with
  // a character no path may hold.
  platform::Result<std::string> ResolvedPath(std::string_view path) override;

  // The folder relative paths start from.
  std::string currentFolder = "C:\\Kestrian";

  // Arrangement. Folders on the way are created.
  void PutFile(std::string_view path, std::string_view bytes,
               std::uint32_t attributes = platform::attributes::kArchive) {
    PutFolder(Parent(path));
    Place(Node{.attributes = attributes, .content = std::string(bytes)}, path);
  }
  void PutFolder(std::string_view path) {
    if (path.empty() || IsDriveRoot(path) || FolderExists(path)) return;
    PutFolder(Parent(path));
    Place(Node{.attributes = platform::attributes::kDirectory}, path);
  }
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
  // A folder or a read-only file: not written, deleted or replaced.
  static constexpr std::uint32_t kUnwritable = platform::attributes::kDirectory | platform::attributes::kReadOnly;

  static std::string Parent(std::string_view path) {
    const auto slash = path.find_last_of('\\');
    return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash));
  }
  static bool IsDriveRoot(std::string_view path) {
    return path.size() == 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]));
  }
  // Why the content of an existing entry may not be read, or kOk.
  static platform::Status ReadRefusal(const Node& node) {
    if (node.attributes & platform::attributes::kDirectory) return platform::kAccessDenied;
    if (node.locked) return platform::kSharingViolation;
    return node.unreadable ? platform::kAccessDenied : platform::kOk;
  }
  // Calls `visit` with each entry right inside `folder`.
  template <class Visit>
  void ForEachChild(const std::string& folder, Visit&& visit) const {
    // Paths below the folder sort together, right after "folder\".
    const std::string prefix = folder + "\\";
    for (auto it = nodes_.lower_bound(prefix);
         it != nodes_.end() && core::StartsWithIgnoringCase(it->first, prefix); ++it) {
      if (it->first.find('\\', prefix.size()) == std::string::npos) visit(it->second);
    }
  }
  Node* Lookup(std::string_view path) const {
    const auto it = nodes_.find(std::string(path));
    return it == nodes_.end() ? nullptr : &it->second;
  }
  bool FolderExists(std::string_view path) const {
    const Node* node = Lookup(path);
    return IsDriveRoot(path) || (node != nullptr && (node->attributes & platform::attributes::kDirectory) != 0);
  }
  // Sets one field of an existing entry.
  template <class Field, class Value>
  void Mark(std::string_view path, Field Node::*field, Value value) {
    if (Node* node = Lookup(path)) node->*field = std::move(value);
  }
  // Puts `node` at `path` under the path's name, without an 8.3 name.
  void Place(Node node, std::string_view path) {
    node.name = std::string(path.substr(path.find_last_of('\\') + 1));
    node.shortName.clear();
    nodes_.insert_or_assign(std::string(path), std::move(node));
  }

  mutable std::map<std::string, Node, NoCaseLess> nodes_;
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

  std::vector<platform::ProcessEntry> Snapshot() override {
    std::vector<platform::ProcessEntry> entries;
    for (const auto& process : running_) entries.push_back({process.id, process.exeFile});
    return entries;
  }
  platform::Result<std::string> MainModulePath(std::uint32_t id) override {
    ++modulePathCalls;
    const auto process = Find(id);
    if (process == running_.end()) return Failed{87};  // ERROR_INVALID_PARAMETER
    if (process->modulePath.empty()) return Failed{platform::kAccessDenied};
    return process->modulePath;
  }
  bool Terminate(std::uint32_t id, std::uint32_t exitCode) override {
    ++terminateCalls;
    const auto process = Find(id);
    if (process == running_.end() || !process->terminable) return false;
    running_.erase(process);
    terminations.push_back({id, exitCode});
    return true;
  }
  void TerminateWithOwnExitCode(std::uint32_t id) override { Terminate(id, 259); }
  bool WaitForEnd(std::uint32_t id, std::uint32_t) override {
    if (onWait) onWait();
    ++waitCalls;
    const auto process = Find(id);
    if (process == running_.end()) return true;
    if (process->waitsToEnd <= 0 || --process->waitsToEnd > 0) return false;
    running_.erase(process);
    return true;
  }

  // Arrangement: starts a process and returns its id. As on Windows, a plain snapshot name
  // (scan::IsPlainProcessName) is the file name of a readable module path, without regard to
  // case; Start throws for a process that breaks this.
  std::uint32_t Start(std::string exeFile, std::string modulePath, bool terminable = true);
  bool Running(std::uint32_t id) const { return Find(id) != running_.end(); }
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
  std::vector<Process>::iterator Find(std::uint32_t id) const {
    return std::find_if(running_.begin(), running_.end(), [&](const Process& process) { return process.id == id; });
  }
  mutable std::vector<Process> running_;
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
                              const platform::WaitCallback& whileWaiting) override {
    requests.emplace_back(url);
    lastTimeout = timeout;
    if (whileWaiting) whileWaiting();
    const auto page = pages.find(std::string(url));
    return page == pages.end() ? platform::WebPage{} : page->second;
  }
  platform::DownloadOutcome DownloadToFile(std::string_view url, std::string_view path,
                                           const platform::DownloadLimits& limits,
                                           const platform::WaitCallback& whileWaiting) override {
    requests.emplace_back(url);
    lastLimits = limits;
    if (whileWaiting) whileWaiting();
    const auto download = downloads.find(std::string(url));
    if (download == downloads.end()) return platform::DownloadOutcome::Failed;
    const Download& answer = download->second;
    std::string_view bytes = answer.bytes;
    if (!answer.complete) bytes = bytes.substr(0, bytes.size() / 2);
    const bool tooLarge = bytes.size() > limits.maxBytes;
    if (tooLarge) bytes = bytes.substr(0, limits.maxBytes);
    if (files == nullptr || files->WriteAll(path, bytes) != platform::kOk) return platform::DownloadOutcome::Failed;
    if (tooLarge) return platform::DownloadOutcome::TooLarge;
    // Without a length, the end of the connection ends the file, wherever it comes.
    const bool ended = answer.complete || !answer.lengthAnnounced;
    return ended ? platform::DownloadOutcome::Complete : platform::DownloadOutcome::Failed;
  }

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
