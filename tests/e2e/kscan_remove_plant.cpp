// Plants the machine the kscan removal run cleans, reports what is left, and takes it away.
//   kscan_remove_plant plant SLEEPER HOLDER PROBE APP OUT
//       registry keys and values (some where Windows keeps what it needs), settings, files
//       (two of them copies of the PROBE library, one a running copy of SLEEPER, three held
//       by copies of HOLDER), a copy of SLEEPER running as services.exe beside Windows' own,
//       cookies, and the application folder copied from APP; then in OUT: values.txt
//       (NAME=value lines: folders, their short forms and the running total before the
//       run), planted.txt (path|copy) and originals\ (a copy of each planted file and cookie
//       as planted)
//   kscan_remove_plant census OUT    the processes running now and the cookie files nobody
//                                    planted, as NAME=value lines
//   kscan_remove_plant state OUT     every planted item, present or absent, and the planted
//                                    processes still running
//   kscan_remove_plant collect OUT   copies the application folder to OUT
//   kscan_remove_plant dump OUT      every planted file and cookie with its bytes, and every
//                                    planted key with its values, types and bytes
//   kscan_remove_plant logon         ends the holders and changes kse2r_pending.dat, as the
//                                    user might before the next logon
//   kscan_remove_plant clean         stops the planted processes, removes what was planted
//                                    and puts the settings back
// Exit code 0 on success, 1 on a failure (written to standard error). "plant" cleans first.
#include <windows.h>

#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "plant_support.h"

namespace {

using namespace kestrian::e2e;

// The scratch folder (under the drive and under Program Files) and key (under Software).
constexpr char kScratch[] = "KestrianE2ERemoval";
constexpr char kScratchKey[] = "Software\\KestrianE2ERemoval";
constexpr char kSavedSettingsKey[] = "Software\\KestrianE2ERemoval\\SavedSettings";
constexpr char kSavedMark[] = "(saved)";  // the settings were kept; "clean" puts them back
constexpr char kMicrosoftKey[] = "Software\\Microsoft";
constexpr char kMicrosoftValue[] = "KestrianE2ERemovalValue";
// Keys the plant creates where the machine had none, each removed again by "clean" only when
// the mark in the saved settings says the plant made it.
struct MadeKey {
  bool machine;
  const char* key;
  const char* mark;
  HKEY Root() const { return machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER; }
};
constexpr MadeKey kMadeKeys[] = {
    {false, "Software\\Wow6432Node", "(made wow6432node)"},
    {true, "SYSTEM\\ControlSet002", "(made controlset002)"},
};
constexpr char kShellFoldersKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
constexpr char kShellFolderValue[] = "KestrianE2ERemovalFolder";
constexpr char kOldTotal[] = "1000";  // the running total of removed items before the run

constexpr Setting kSettings[] = {{kOptionsKey, "chkScanCookies", "1"},
                                 {kOptionsKey, "chkSweepMemory", "True"},
                                 {kOptionsKey, "chkScanRegistry", "True"},
                                 {kOptionsKey, "chkMakeLog", "1"},
                                 {kSettingsKey, "lblDefRemoved", kOldTotal},
                                 {kSettingsKey, "lblLastScan", nullptr},
                                 {kSettingsKey, "lblLastFullScan", nullptr}};

// ---- Folders -------------------------------------------------------------------------------

struct Folders {
  std::string drive;         // "C:\"
  std::string scratch;       // C:\KestrianE2ERemoval
  std::string programFiles;  // C:\Program Files\KestrianE2ERemoval
  std::string app;           // the application folder, inside the scratch folder
  std::string run;           // the planted processes' programs
  std::string cookies;
};

Folders KnownFolders() {
  Folders folders;
  std::string programs = SpecialFolder(CSIDL_PROGRAMS);
  if (programs.size() >= 3) folders.drive = programs.substr(0, 3);
  folders.scratch = folders.drive + kScratch;
  folders.programFiles = folders.drive + "Program Files\\" + kScratch;
  folders.app = folders.scratch + "\\app";
  folders.run = folders.scratch + "\\run";
  folders.cookies = WithoutTrailingBackslash(SpecialFolder(CSIDL_COOKIES));
  return folders;
}

// ---- What is planted -----------------------------------------------------------------------

enum class Source { kText, kProbe, kSleeper };

struct PlantedFile {
  std::string path;
  Source source;
  std::string text;  // kText only
};

std::vector<PlantedFile> PlantedFiles(const Folders& f) {
  const std::string s = f.scratch + "\\";
  return {
      {s + "kse2r_note.txt", Source::kText, "A note planted by the kscan removal run.\r\n"},
      {s + "kse2r_twin.dat", Source::kText, "The first twin, in the drive's scratch folder.\r\n"},
      {f.programFiles + "\\kse2r_twin.dat", Source::kText,
       "The second twin, in the Program Files scratch folder.\r\n"},
      {s + "kse2r_probe.dll", Source::kProbe, {}},
      {f.run + "\\kse2r_runner.exe", Source::kSleeper, {}},
      {s + "kse2r_shared.dat", Source::kText, "Held open, reading shared.\r\n"},
      {s + "kse2r_locked.dat", Source::kText, "Held open, nothing shared.\r\n"},
      {s + "kse2r_pending.dat", Source::kText, "Held open, reading shared, changed later.\r\n"},
      {f.app + "\\kse2r_inside.txt", Source::kText, "Inside the application folder.\r\n"},
      {s + "kse2r_excluded.txt", Source::kText, "On the exclusion list.\r\n"},
      {s + "kse2r_twofold.dat", Source::kText, "The file trace of a threat with a key too.\r\n"},
      {s + "kse2r_locked.dll", Source::kProbe, {}},
      {f.run + "\\look\\services.exe", Source::kSleeper, {}},
  };
}

// Files of the application folder that definitions name by other forms of their path.
constexpr const char* kProgramFiles[] = {"kscan.exe", "ENoSignature.txt"};

constexpr Cookie kCookies[] = {
    {"kse2r@remtrack[1].txt", "id\n17\nremtrack.example/\n1024\n0\n0\n0\n0\n*\n"},
    {"kse2r@www.rempop[1].txt", "uid\n3\nwww.rempop.example/\n1024\n0\n0\n0\n0\n*\n"},
    {"kse2r@keepsite[1].txt", "session\n8\nkeepsite.example/\n1024\n0\n0\n0\n0\n*\n"},
};

struct Held {
  const char* fileName;  // in the scratch folder
  const char* share;     // file_holder's mode
};
constexpr Held kHeld[] = {
    {"kse2r_shared.dat", "read"}, {"kse2r_locked.dat", "none"}, {"kse2r_pending.dat", "read"},
    {"kse2r_locked.dll", "none"}};
constexpr char kHolderName[] = "kse2r_holder.exe";

enum class Hive { kUser, kMachine };

struct PlantedValue {
  Hive hive;
  const char* key;
  const char* name;  // "" is the default value
  const char* data;  // null: the machine's own, reported only
};

constexpr PlantedValue kValues[] = {
    {Hive::kUser, "Software\\KestrianE2ERemoval\\Values", "StringValue", "planted string"},
    {Hive::kUser, "Software\\KestrianE2ERemoval\\Values", "OtherValue", "another planted string"},
    {Hive::kUser, "Software\\KestrianE2ERemoval\\Values", "KeptValue", "not listed"},
    {Hive::kUser, "Software\\KestrianE2ERemoval\\Whole", "", "the whole key's default"},
    {Hive::kUser, "Software\\KestrianE2ERemoval\\Whole", "Inner", "inside the whole key"},
    {Hive::kUser, "Software\\KestrianE2ERemoval\\Whole\\Sub", "Deeper", "in a sub-key"},
    {Hive::kUser, "Software\\KestrianE2ERemoval\\Nameless", "Anything", "no threat name"},
    {Hive::kUser, kMicrosoftKey, kMicrosoftValue, "under a protected key"},
    {Hive::kUser, "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run",
     "KestrianE2ERemovalRun", "the 32-bit view's Run key"},
    {Hive::kUser, kShellFoldersKey, kShellFolderValue, "C:\\KestrianE2ERemoval"},
    {Hive::kMachine, "SYSTEM\\ControlSet002\\Control\\Session Manager", "BootExecute",
     "autocheck autochk *"},
    {Hive::kMachine, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon", "Shell", nullptr},
    {Hive::kUser, "Software\\KestrianE2ERemoval\\Twofold", "", "a threat with a file too"},
    {Hive::kMachine, "Software\\KestrianE2ERemoval\\Machine", "", "machine default"},
    {Hive::kMachine, "Software\\KestrianE2ERemoval\\Machine", "MachineValue", "machine-wide"},
};

// The keys "state" reports, parents after their children.
struct PlantedKey {
  Hive hive;
  const char* key;
};
constexpr PlantedKey kKeys[] = {
    {Hive::kUser, "Software\\KestrianE2ERemoval\\Values"},
    {Hive::kUser, "Software\\KestrianE2ERemoval\\Whole\\Sub"},
    {Hive::kUser, "Software\\KestrianE2ERemoval\\Whole"},
    {Hive::kUser, "Software\\KestrianE2ERemoval\\Nameless"},
    {Hive::kUser, kMicrosoftKey},
    {Hive::kMachine, "Software\\KestrianE2ERemoval\\Machine"},
    {Hive::kUser, "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run"},
    {Hive::kMachine, "SYSTEM\\ControlSet002"},
    {Hive::kUser, "Software\\KestrianE2ERemoval\\Twofold"},
};

// Values of every type inside the whole key the removal takes, for the restore to bring back.
struct TypedValue {
  const char* name;
  DWORD type;
  std::string data;
};
const TypedValue kTypedValues[] = {
    {"Dword", REG_DWORD, std::string("\x2a\x00\x00\x00", 4)},
    {"Qword", REG_QWORD, std::string("\x01\x02\x03\x04\x05\x06\x07\x08", 8)},
    {"Binary", REG_BINARY, std::string("\x00\xff\x10", 3)},
    {"Expand", REG_EXPAND_SZ, std::string("%SystemRoot%\\x\0", 15)},
    {"Multi", REG_MULTI_SZ, std::string("one\0two\0\0", 9)},
    {"Lines", REG_SZ, std::string("one\r\ntwo\0", 9)},
    {"Empty", REG_SZ, std::string("\0", 1)},
};
constexpr char kTypedKey[] = "Software\\KestrianE2ERemoval\\Whole\\Sub";
constexpr char kRunOnceKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
constexpr char kRunOnceValue[] = "Kestrian finish removal";

HKEY RootOf(Hive hive) { return hive == Hive::kUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE; }
const char* NameOf(Hive hive) {
  return hive == Hive::kUser ? "HKEY_CURRENT_USER" : "HKEY_LOCAL_MACHINE";
}

// ---- Files ---------------------------------------------------------------------------------

void CopyTree(const std::string& from, const std::string& to) {
  if (!::CreateDirectoryA(to.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) {
    return Fail("cannot create " + to);
  }
  WIN32_FIND_DATAA entry{};
  const HANDLE search = ::FindFirstFileA((from + "\\*").c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return Fail("cannot list " + from);
  do {
    const std::string name = entry.cFileName;
    if (name == "." || name == "..") continue;
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      CopyTree(from + "\\" + name, to + "\\" + name);
    } else if (!::CopyFileA((from + "\\" + name).c_str(), (to + "\\" + name).c_str(), FALSE)) {
      Fail("cannot copy " + from + "\\" + name);
    }
  } while (::FindNextFileA(search, &entry));
  ::FindClose(search);
}

std::string SystemFolder() {
  char folder[MAX_PATH] = {};
  const UINT length = ::GetSystemDirectoryA(folder, MAX_PATH);
  return length == 0 || length >= MAX_PATH ? std::string() : std::string(folder, length);
}

// The short 8.3 form of an existing path; the path itself when the system gives none.
std::string ShortPath(const std::string& path) {
  char shortPath[MAX_PATH] = {};
  const DWORD length = ::GetShortPathNameA(path.c_str(), shortPath, MAX_PATH);
  return length == 0 || length >= MAX_PATH ? path : std::string(shortPath, length);
}

// ---- Registry ------------------------------------------------------------------------------

void DeleteValue(HKEY root, const char* path, const char* name) {
  HKEY key = nullptr;
  if (::RegOpenKeyExA(root, path, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
  const auto status = ::RegDeleteValueA(key, name);
  ::RegCloseKey(key);
  if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) {
    ::SetLastError(status);
    Fail(std::string("cannot delete value ") + name);
  }
}

// ---- Commands ------------------------------------------------------------------------------

int Clean() {
  const Folders folders = KnownFolders();
  if (folders.drive.size() != 3) {
    Fail("no system drive");
    return 1;
  }
  StopProcessesIn(folders.run);
  RemoveTree(folders.scratch);
  RemoveTree(folders.programFiles);
  RemoveCookies(folders.cookies, kCookies, kSavedSettingsKey);
  DeleteValue(HKEY_CURRENT_USER, kMicrosoftKey, kMicrosoftValue);
  DeleteValue(HKEY_CURRENT_USER, kShellFoldersKey, kShellFolderValue);
  for (const MadeKey& made : kMadeKeys) {
    if (ValueExists(HKEY_CURRENT_USER, kSavedSettingsKey, made.mark)) DeleteTree(made.Root(), made.key);
  }
  DeleteValue(HKEY_LOCAL_MACHINE, kRunOnceKey, kRunOnceValue);
  DeleteValue(HKEY_CURRENT_USER, kRunOnceKey, kRunOnceValue);
  if (ValueExists(HKEY_CURRENT_USER, kSavedSettingsKey, kSavedMark)) {
    RestoreSettings(kSavedSettingsKey, kSettings);
  }
  DeleteTree(HKEY_CURRENT_USER, kScratchKey);
  DeleteTree(HKEY_LOCAL_MACHINE, kScratchKey);
  return ExitCode();
}

int Plant(const std::string& sleeper, const std::string& holder, const std::string& probe,
          const std::string& app, const std::string& out) {
  Clean();
  if (Failed()) return 1;
  SaveSettings(kSavedSettingsKey, kSettings);
  SetString(HKEY_CURRENT_USER, kSavedSettingsKey, kSavedMark, "");
  if (!EnsureCookieFolder(kSavedSettingsKey)) return 1;
  const Folders folders = KnownFolders();
  if (folders.drive.size() != 3 || folders.cookies.empty()) {
    Fail("a folder of the scan is unknown");
    return 1;
  }
  PlantSettings(kSettings);
  for (const MadeKey& made : kMadeKeys) {
    if (KeyExists(made.Root(), made.key)) {
      Fail(std::string(made.key) + " exists already");
      return 1;
    }
    SetString(HKEY_CURRENT_USER, kSavedSettingsKey, made.mark, "");
  }
  for (const PlantedValue& value : kValues) {
    if (value.data != nullptr) SetString(RootOf(value.hive), value.key, value.name, value.data);
  }
  for (const TypedValue& value : kTypedValues) {
    SetRaw(HKEY_CURRENT_USER, kTypedKey, value.name, value.type, value.data);
  }
  CreateKey(HKEY_CURRENT_USER, "Software\\KestrianE2ERemoval\\Whole\\Empty");

  for (const std::string& folder :
       {folders.scratch, folders.programFiles, folders.run, folders.run + "\\look"}) {
    if (!::CreateDirectoryA(folder.c_str(), nullptr)) Fail("cannot create " + folder);
  }
  CopyTree(app, folders.app);
  const std::string originals = out + "\\originals";
  ::CreateDirectoryA(originals.c_str(), nullptr);
  std::string plantedList;
  int number = 0;
  for (const PlantedFile& file : PlantedFiles(folders)) {
    bool written = false;
    switch (file.source) {
      case Source::kText:
        written = WriteWholeFile(file.path, file.text);
        break;
      case Source::kProbe:
        written = ::CopyFileA(probe.c_str(), file.path.c_str(), FALSE);
        break;
      case Source::kSleeper:
        written = ::CopyFileA(sleeper.c_str(), file.path.c_str(), FALSE);
        break;
    }
    if (!written) Fail("cannot plant " + file.path);
    const std::string name = file.path.substr(file.path.rfind('\\') + 1);
    const std::string copy = std::to_string(++number) + "-" + name;
    if (!::CopyFileA(file.path.c_str(), (originals + "\\" + copy).c_str(), FALSE)) {
      Fail("cannot keep a copy of " + file.path);
    }
    plantedList += file.path + "|" + copy + "\n";
  }
  for (const Cookie& cookie : kCookies) {
    const std::string path = folders.cookies + "\\" + cookie.fileName;
    if (!WriteWholeFile(path, cookie.content)) Fail("cannot plant cookie " + path);
    const std::string copy = std::to_string(++number) + "-" + cookie.fileName;
    if (!WriteWholeFile(originals + "\\" + copy, cookie.content)) Fail("cannot keep " + copy);
    plantedList += path + "|" + copy + "\n";
  }
  if (Failed()) return 1;

  // The running program a file definition names, a look-alike of a process Windows needs,
  // and the holders of the held files.
  for (const char* program : {"kse2r_runner.exe", "look\\services.exe"}) {
    const std::string path = folders.run + "\\" + program;
    if (Start(path, "") != 0 && !WaitFor([&] {
          for (const Planted& process : ProcessesIn(folders.run)) {
            if (_stricmp(process.path.c_str(), path.c_str()) == 0) return true;
          }
          return false;
        })) {
      Fail("no module path for " + path);
    }
  }
  const std::string holderCopy = folders.run + "\\" + kHolderName;
  if (!::CopyFileA(holder.c_str(), holderCopy.c_str(), FALSE)) Fail("cannot copy to " + holderCopy);
  for (const Held& held : kHeld) {
    const std::string ready = folders.run + "\\" + held.fileName + ".ready";
    const std::string arguments = " \"" + folders.scratch + "\\" + held.fileName + "\" " +
                                  held.share + " \"" + ready + "\"";
    if (Start(holderCopy, arguments) != 0 && !WaitFor([&] { return Exists(ready); })) {
      Fail(std::string("the holder of ") + held.fileName + " did not get ready");
    }
  }

  WriteText(out + "\\planted.txt", plantedList);
  WriteText(out + "\\values.txt", "DRIVE=" + folders.drive + "\nCOOKIES=" + folders.cookies +
                                      "\nAPP=" + folders.app + "\nSHORT_APP=" + ShortPath(folders.app) +
                                      "\nSYSTEM=" + SystemFolder() + "\nOLD_TOTAL=" + kOldTotal + "\n");
  return ExitCode();
}

int Census(const std::string& out) {
  WriteCensus(out, KnownFolders().cookies, kCookies);
  return ExitCode();
}

const char* Presence(bool present) { return present ? "present" : "absent"; }

int State(const std::string& out) {
  const Folders folders = KnownFolders();
  std::string lines;
  for (const PlantedFile& file : PlantedFiles(folders)) {
    lines += "file " + file.path + " " + Presence(Exists(file.path)) + "\n";
  }
  for (const char* name : kProgramFiles) {
    const std::string path = folders.app + "\\" + name;
    lines += "file " + path + " " + Presence(Exists(path)) + "\n";
  }
  for (const Cookie& cookie : kCookies) {
    const std::string path = folders.cookies + "\\" + cookie.fileName;
    lines += "cookie " + path + " " + Presence(Exists(path)) + "\n";
  }
  for (const PlantedKey& key : kKeys) {
    lines += std::string("key ") + NameOf(key.hive) + "\\" + key.key + " " +
             Presence(KeyExists(RootOf(key.hive), key.key)) + "\n";
  }
  for (const PlantedValue& value : kValues) {
    lines += std::string("value ") + NameOf(value.hive) + "\\" + value.key + " [" + value.name +
             "] " + Presence(ValueExists(RootOf(value.hive), value.key, value.name)) + "\n";
  }
  std::vector<std::string> running;
  for (const Planted& process : ProcessesIn(folders.run)) {
    running.push_back("process " + process.path + " running\n");
  }
  // Windows' own process of the look-alike's name.
  const std::string services = SystemFolder() + "\\services.exe";
  for (const Planted& process : ProcessesIn(SystemFolder())) {
    if (_stricmp(process.path.c_str(), services.c_str()) == 0) {
      running.push_back("process " + process.path + " running\n");
    }
  }
  std::sort(running.begin(), running.end());
  for (const std::string& line : running) lines += line;
  WriteText(out, lines);
  return ExitCode();
}

int Collect(const std::string& out) {
  CopyTree(KnownFolders().app, out);
  return ExitCode();
}

std::string Hex(const std::string& bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  for (unsigned char byte : bytes) text += std::string{kDigits[byte >> 4], kDigits[byte & 0x0F]};
  return text;
}

// The key, each of its values and each of its sub-keys, one line each.
void DumpKey(HKEY root, const std::string& rootName, const std::string& path, std::string& lines) {
  if (path == kSavedSettingsKey) return;  // the planter's own
  HKEY key = nullptr;
  if (::RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  const std::string where = rootName + "\\" + path;
  lines += "key " + where + "\n";
  char name[16384];
  std::string data(1 << 16, '\0');
  for (DWORD index = 0;; ++index) {
    DWORD nameLength = sizeof name;
    DWORD type = 0;
    auto size = static_cast<DWORD>(data.size());
    if (::RegEnumValueA(key, index, name, &nameLength, nullptr, &type,
                        reinterpret_cast<BYTE*>(data.data()), &size) != ERROR_SUCCESS) {
      break;
    }
    lines += "value " + where + " [" + std::string(name, nameLength) + "] type " + std::to_string(type) + " " +
             Hex(data.substr(0, size)) + "\n";
  }
  std::vector<std::string> children;
  for (DWORD index = 0;; ++index) {
    DWORD nameLength = sizeof name;
    if (::RegEnumKeyExA(key, index, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    children.emplace_back(name, nameLength);
  }
  ::RegCloseKey(key);
  for (const std::string& child : children) DumpKey(root, rootName, path + "\\" + child, lines);
}

// A file held open without sharing cannot be read: it counts as `planted`, which the removal
// never changes (it cannot back it up, so it never deletes it).
std::string FileLine(const std::string& kind, const std::string& path, const std::string& planted = {}) {
  std::string bytes;
  HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE && ::GetLastError() == ERROR_SHARING_VIOLATION) {
    return kind + " " + path + " " + Hex(planted) + "\n";
  }
  if (file == INVALID_HANDLE_VALUE) return kind + " " + path + " absent\n";
  char buffer[4096];
  DWORD read = 0;
  while (::ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) bytes.append(buffer, read);
  ::CloseHandle(file);
  return kind + " " + path + " " + Hex(bytes) + "\n";
}

int Dump(const std::string& out) {
  const Folders folders = KnownFolders();
  std::string lines;
  for (const PlantedFile& file : PlantedFiles(folders)) {
    // The library held open all along cannot be read while planted; nothing touches it.
    if (file.path == folders.scratch + "\\kse2r_locked.dll") continue;
    lines += FileLine("file", file.path, file.text);
  }
  for (const Cookie& cookie : kCookies) lines += FileLine("cookie", folders.cookies + "\\" + cookie.fileName);
  DumpKey(HKEY_CURRENT_USER, "HKEY_CURRENT_USER", kScratchKey, lines);
  DumpKey(HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", kScratchKey, lines);
  DWORD type = 0;
  std::string data;
  if (ReadRaw(HKEY_CURRENT_USER, kMicrosoftKey, kMicrosoftValue, type, data)) {
    lines += "value HKEY_CURRENT_USER\\Software\\Microsoft [" + std::string(kMicrosoftValue) + "] type " +
             std::to_string(type) + " " + Hex(data) + "\n";
  }
  WriteText(out, lines);
  return ExitCode();
}

int Logon() {
  const Folders folders = KnownFolders();
  StopProcessesIn(folders.run);
  const std::string pending = folders.scratch + "\\kse2r_pending.dat";
  HANDLE file = ::CreateFileA(pending.c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  DWORD written = 0;
  const char change[] = "Changed after the removal.\r\n";
  if (file == INVALID_HANDLE_VALUE || !::WriteFile(file, change, sizeof change - 1, &written, nullptr)) {
    Fail("cannot change " + pending);
  }
  if (file != INVALID_HANDLE_VALUE) ::CloseHandle(file);
  return ExitCode();
}

int Usage() {
  std::fputs("usage: kscan_remove_plant plant SLEEPER HOLDER PROBE APP OUT | census OUT | "
             "state OUT | collect OUT | dump OUT | logon | clean\n",
             stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  SetPlanterName("kscan_remove_plant");
  if (argc < 2) return Usage();
  const std::string command = argv[1];
  if (command == "plant" && argc == 7) return Plant(argv[2], argv[3], argv[4], argv[5], argv[6]);
  if (command == "census" && argc == 3) return Census(argv[2]);
  if (command == "state" && argc == 3) return State(argv[2]);
  if (command == "collect" && argc == 3) return Collect(argv[2]);
  if (command == "dump" && argc == 3) return Dump(argv[2]);
  if (command == "logon" && argc == 2) return Logon();
  if (command == "clean" && argc == 2) return Clean();
  return Usage();
}
