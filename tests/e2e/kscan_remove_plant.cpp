// Plants the machine the kscan removal run cleans, reports what is left, and takes it away.
//   kscan_remove_plant plant SLEEPER HOLDER PROBE APP OUT
//       registry keys and values, settings, files (one of them a copy of the PROBE library,
//       one a running copy of SLEEPER, two held open by copies of HOLDER), cookies, and the
//       application folder copied from APP; then in OUT: values.txt (NAME=value lines:
//       folders and the running total before the run), planted.txt (path|copy) and
//       originals\ (a copy of each planted file and cookie as planted)
//   kscan_remove_plant census OUT    the processes running now and the cookie files nobody
//                                    planted, as NAME=value lines
//   kscan_remove_plant state OUT     every planted item, present or absent, and the planted
//                                    processes still running
//   kscan_remove_plant collect OUT   copies the application folder to OUT
//   kscan_remove_plant clean         stops the planted processes, removes what was planted
//                                    and puts the settings back
// Exit code 0 on success, 1 on a failure (written to standard error). "plant" cleans first.
#include <windows.h>

#include <psapi.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

// The scratch folder (under the drive and under Program Files) and key (under Software).
constexpr char kScratch[] = "KestrianE2ERemoval";
constexpr char kScratchKey[] = "Software\\KestrianE2ERemoval";
constexpr char kSavedSettingsKey[] = "Software\\KestrianE2ERemoval\\SavedSettings";
constexpr char kCreatedCookieFolder[] = "(created cookie folder)";
constexpr char kMicrosoftKey[] = "Software\\Microsoft";
constexpr char kMicrosoftValue[] = "KestrianE2ERemovalValue";
constexpr char kStore[] = "Software\\VB and VBA Program Settings";
constexpr char kProgramKey[] = "Software\\VB and VBA Program Settings\\Kestrian";
constexpr char kOptionsKey[] =
    "Software\\VB and VBA Program Settings\\Kestrian\\OptionAndSettings";
constexpr char kSettingsKey[] = "Software\\VB and VBA Program Settings\\Kestrian\\Settings";
constexpr const char* kStoreKeys[] = {kOptionsKey, kSettingsKey, kProgramKey, kStore};
constexpr char kOldTotal[] = "1000";  // the running total of removed items before the run

struct Setting {
  const char* key;
  const char* name;
  const char* value;  // null: written by the run, not by the plant
};
constexpr Setting kSettings[] = {{kOptionsKey, "chkScanCookies", "1"},
                                 {kOptionsKey, "chkSweepMemory", "True"},
                                 {kOptionsKey, "chkScanRegistry", "True"},
                                 {kOptionsKey, "chkMakeLog", "1"},
                                 {kSettingsKey, "lblDefRemoved", kOldTotal},
                                 {kSettingsKey, "lblLastScan", nullptr},
                                 {kSettingsKey, "lblLastFullScan", nullptr}};

bool failed = false;

void Fail(const std::string& what) {
  std::fprintf(stderr, "kscan_remove_plant: %s (error %lu)\n", what.c_str(), ::GetLastError());
  failed = true;
}

// ---- Folders -------------------------------------------------------------------------------

std::string SpecialFolder(int id) {
  char buffer[MAX_PATH + 1] = {};
  if (!::SHGetSpecialFolderPathA(nullptr, buffer, id, FALSE)) return {};
  return buffer;
}

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
  folders.cookies = SpecialFolder(CSIDL_COOKIES);
  while (folders.cookies.size() > 3 && folders.cookies.back() == '\\') folders.cookies.pop_back();
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
      {f.app + "\\kse2r_inside.txt", Source::kText, "Inside the application folder.\r\n"},
      {s + "kse2r_excluded.txt", Source::kText, "On the exclusion list.\r\n"},
  };
}

struct Cookie {
  const char* fileName;
  const char* content;
};

constexpr Cookie kCookies[] = {
    {"kse2r@remtrack[1].txt", "id\n17\nremtrack.example/\n1024\n0\n0\n0\n0\n*\n"},
    {"kse2r@www.rempop[1].txt", "uid\n3\nwww.rempop.example/\n1024\n0\n0\n0\n0\n*\n"},
    {"kse2r@keepsite[1].txt", "session\n8\nkeepsite.example/\n1024\n0\n0\n0\n0\n*\n"},
};

struct Held {
  const char* fileName;  // in the scratch folder
  const char* share;     // file_holder's mode
};
constexpr Held kHeld[] = {{"kse2r_shared.dat", "read"}, {"kse2r_locked.dat", "none"}};
constexpr char kHolderName[] = "kse2r_holder.exe";

enum class Hive { kUser, kMachine };

struct PlantedValue {
  Hive hive;
  const char* key;
  const char* name;  // "" is the default value
  const char* data;
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
};

HKEY RootOf(Hive hive) { return hive == Hive::kUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE; }
const char* NameOf(Hive hive) {
  return hive == Hive::kUser ? "HKEY_CURRENT_USER" : "HKEY_LOCAL_MACHINE";
}

// ---- Files ---------------------------------------------------------------------------------

bool Exists(const std::string& path) {
  return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool WriteWholeFile(const std::string& path, const std::string& content) {
  const HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok = ::WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written,
                              nullptr);
  ::CloseHandle(file);
  return ok && written == content.size();
}

void RemoveFile(const std::string& path) {
  if (!Exists(path)) return;
  ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (!::DeleteFileA(path.c_str())) Fail("cannot delete " + path);
}

void RemoveTree(const std::string& folder) {
  if (!Exists(folder)) return;
  WIN32_FIND_DATAA entry{};
  const HANDLE search = ::FindFirstFileA((folder + "\\*").c_str(), &entry);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = entry.cFileName;
      if (name == "." || name == "..") continue;
      const std::string path = folder + "\\" + name;
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        RemoveFile(path);
      }
    } while (::FindNextFileA(search, &entry));
    ::FindClose(search);
  }
  if (!::RemoveDirectoryA(folder.c_str())) Fail("cannot remove " + folder);
}

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

// ---- Registry ------------------------------------------------------------------------------

void SetRaw(HKEY root, const char* path, const char* name, DWORD type, const std::string& data) {
  HKEY key = nullptr;
  if (::RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
      ERROR_SUCCESS) {
    return Fail(std::string("cannot create key ") + path);
  }
  const auto status = ::RegSetValueExA(key, name, 0, type,
                                       reinterpret_cast<const BYTE*>(data.data()),
                                       static_cast<DWORD>(data.size()));
  ::RegCloseKey(key);
  if (status != ERROR_SUCCESS) Fail(std::string("cannot set a value of ") + path);
}

void SetString(HKEY root, const char* path, const char* name, const std::string& text) {
  SetRaw(root, path, name, REG_SZ, text + std::string(1, '\0'));
}

bool ReadRaw(HKEY root, const char* path, const char* name, DWORD& type, std::string& data) {
  HKEY key = nullptr;
  if (::RegOpenKeyExA(root, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
  DWORD size = 0;
  bool ok = ::RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS;
  if (ok) {
    data.assign(size, '\0');
    ok = ::RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                            &size) == ERROR_SUCCESS;
    data.resize(size);
  }
  ::RegCloseKey(key);
  return ok;
}

bool KeyExists(HKEY root, const char* path) {
  HKEY key = nullptr;
  if (::RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  ::RegCloseKey(key);
  return true;
}

bool ValueExists(HKEY root, const char* path, const char* name) {
  DWORD type = 0;
  std::string data;
  return ReadRaw(root, path, name, type, data);
}

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

void DeleteTree(HKEY root, const char* path) {
  const auto status = ::RegDeleteTreeA(root, path);
  if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) {
    ::SetLastError(status);
    Fail(std::string("cannot delete key ") + path);
  }
  if (KeyExists(root, path) && ::RegDeleteKeyA(root, path) != ERROR_SUCCESS) {
    Fail(std::string("cannot delete key ") + path);
  }
}

std::string SavedName(const char* key, const char* name) {
  const std::string path = key;
  return path.substr(path.rfind('\\') + 1) + "\\" + name;
}

std::string MissingKeyMark(const char* key) { return std::string("(missing) ") + key; }

bool IsEmptyKey(HKEY root, const char* path) {
  HKEY key = nullptr;
  if (::RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  DWORD subKeys = 0;
  DWORD values = 0;
  const bool read = ::RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr,
                                       &values, nullptr, nullptr, nullptr, nullptr) ==
                    ERROR_SUCCESS;
  ::RegCloseKey(key);
  return read && subKeys == 0 && values == 0;
}

void SaveSettings() {
  for (const char* key : kStoreKeys) {
    if (!KeyExists(HKEY_CURRENT_USER, key)) {
      SetString(HKEY_CURRENT_USER, kSavedSettingsKey, MissingKeyMark(key).c_str(), "");
    }
  }
  for (const Setting& setting : kSettings) {
    DWORD type = 0;
    std::string data;
    if (ReadRaw(HKEY_CURRENT_USER, setting.key, setting.name, type, data)) {
      SetRaw(HKEY_CURRENT_USER, kSavedSettingsKey, SavedName(setting.key, setting.name).c_str(),
             type, data);
    }
  }
  SetString(HKEY_CURRENT_USER, kSavedSettingsKey, "(saved)", "");
}

void RestoreSettings() {
  if (!ValueExists(HKEY_CURRENT_USER, kSavedSettingsKey, "(saved)")) return;
  for (const Setting& setting : kSettings) {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, setting.key, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) {
      continue;
    }
    DWORD type = 0;
    std::string data;
    if (ReadRaw(HKEY_CURRENT_USER, kSavedSettingsKey, SavedName(setting.key, setting.name).c_str(),
                type, data)) {
      ::RegSetValueExA(key, setting.name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                       static_cast<DWORD>(data.size()));
    } else {
      ::RegDeleteValueA(key, setting.name);
    }
    ::RegCloseKey(key);
  }
  for (const char* key : kStoreKeys) {
    if (ValueExists(HKEY_CURRENT_USER, kSavedSettingsKey, MissingKeyMark(key).c_str()) &&
        IsEmptyKey(HKEY_CURRENT_USER, key)) {
      ::RegDeleteKeyA(HKEY_CURRENT_USER, key);
    }
  }
}

// ---- Processes -----------------------------------------------------------------------------

std::string ModulePath(DWORD id) {
  const HANDLE process = ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id);
  if (process == nullptr) return {};
  HMODULE module = nullptr;
  DWORD needed = 0;
  char path[MAX_PATH] = {};
  DWORD length = 0;
  if (::EnumProcessModules(process, &module, sizeof module, &needed) && needed > 0) {
    length = ::GetModuleFileNameExA(process, module, path, MAX_PATH);
  }
  ::CloseHandle(process);
  return std::string(path, length);
}

std::vector<DWORD> ProcessIds() {
  std::vector<DWORD> ids;
  const HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return ids;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = ::Process32First(snapshot, &entry); more;
       more = ::Process32Next(snapshot, &entry)) {
    ids.push_back(entry.th32ProcessID);
  }
  ::CloseHandle(snapshot);
  return ids;
}

struct Planted {
  DWORD id;
  std::string path;
};

std::vector<Planted> PlantedProcesses(const Folders& folders) {
  std::vector<Planted> planted;
  const std::string prefix = folders.run + "\\";
  for (DWORD id : ProcessIds()) {
    std::string path = ModulePath(id);
    if (path.size() >= prefix.size() &&
        ::CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, path.data(),
                         static_cast<int>(prefix.size()), prefix.data(),
                         static_cast<int>(prefix.size())) == CSTR_EQUAL) {
      planted.push_back({id, std::move(path)});
    }
  }
  return planted;
}

void StopPlantedProcesses(const Folders& folders) {
  for (const Planted& process : PlantedProcesses(folders)) {
    const HANDLE handle = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, process.id);
    if (handle == nullptr) continue;
    ::TerminateProcess(handle, 0);
    if (::WaitForSingleObject(handle, 5000) != WAIT_OBJECT_0) Fail("cannot stop " + process.path);
    ::CloseHandle(handle);
  }
}

bool Start(const std::string& program, const std::string& arguments) {
  std::string commandLine = "\"" + program + "\"" + arguments;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process)) {
    Fail("cannot start " + program);
    return false;
  }
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return true;
}

// Waits until `done` holds, for at most ten seconds.
template <class Done>
bool WaitFor(Done&& done) {
  for (int attempt = 0; attempt < 500; ++attempt) {
    if (done()) return true;
    ::Sleep(20);
  }
  return false;
}

// ---- Commands ------------------------------------------------------------------------------

bool WriteText(const std::string& path, const std::string& text) {
  if (WriteWholeFile(path, text)) return true;
  Fail("cannot write " + path);
  return false;
}

int Clean() {
  const Folders folders = KnownFolders();
  if (folders.drive.size() != 3) {
    Fail("no system drive");
    return 1;
  }
  StopPlantedProcesses(folders);
  RemoveTree(folders.scratch);
  RemoveTree(folders.programFiles);
  if (!folders.cookies.empty()) {
    for (const Cookie& cookie : kCookies) RemoveFile(folders.cookies + "\\" + cookie.fileName);
    DWORD type = 0;
    std::string data;
    if (ReadRaw(HKEY_CURRENT_USER, kSavedSettingsKey, kCreatedCookieFolder, type, data)) {
      ::RemoveDirectoryA(folders.cookies.c_str());  // only when nothing else is in it
    }
  }
  DeleteValue(HKEY_CURRENT_USER, kMicrosoftKey, kMicrosoftValue);
  RestoreSettings();
  DeleteTree(HKEY_CURRENT_USER, kScratchKey);
  DeleteTree(HKEY_LOCAL_MACHINE, kScratchKey);
  return failed ? 1 : 0;
}

int Plant(const std::string& sleeper, const std::string& holder, const std::string& probe,
          const std::string& app, const std::string& out) {
  Clean();
  if (failed) return 1;
  SaveSettings();
  if (SpecialFolder(CSIDL_COOKIES).empty()) {
    char created[MAX_PATH + 1] = {};
    if (FAILED(::SHGetFolderPathA(nullptr, CSIDL_COOKIES | CSIDL_FLAG_CREATE, nullptr, 0,
                                  created))) {
      Fail("cannot create the cookie folder");
      return 1;
    }
    SetString(HKEY_CURRENT_USER, kSavedSettingsKey, kCreatedCookieFolder, created);
  }
  const Folders folders = KnownFolders();
  if (folders.drive.size() != 3 || folders.cookies.empty()) {
    Fail("a folder of the scan is unknown");
    return 1;
  }
  for (const Setting& setting : kSettings) {
    if (setting.value == nullptr) continue;
    SetString(HKEY_CURRENT_USER, setting.key, setting.name, setting.value);
  }
  for (const PlantedValue& value : kValues) {
    SetString(RootOf(value.hive), value.key, value.name, value.data);
  }

  for (const std::string& folder : {folders.scratch, folders.programFiles, folders.run}) {
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
  if (failed) return 1;

  // The running program a file definition names, and the holders of the two held files.
  const std::string runner = folders.run + "\\kse2r_runner.exe";
  if (Start(runner, "") &&
      !WaitFor([&] {
        for (const Planted& process : PlantedProcesses(folders)) {
          if (process.path.find("kse2r_runner") != std::string::npos) return true;
        }
        return false;
      })) {
    Fail("no module path for " + runner);
  }
  const std::string holderCopy = folders.run + "\\" + kHolderName;
  if (!::CopyFileA(holder.c_str(), holderCopy.c_str(), FALSE)) Fail("cannot copy to " + holderCopy);
  for (const Held& held : kHeld) {
    const std::string ready = folders.run + "\\" + held.fileName + ".ready";
    const std::string arguments = " \"" + folders.scratch + "\\" + held.fileName + "\" " +
                                  held.share + " \"" + ready + "\"";
    if (Start(holderCopy, arguments) && !WaitFor([&] { return Exists(ready); })) {
      Fail(std::string("the holder of ") + held.fileName + " did not get ready");
    }
  }

  WriteText(out + "\\planted.txt", plantedList);
  WriteText(out + "\\values.txt", "DRIVE=" + folders.drive + "\nCOOKIES=" + folders.cookies +
                                      "\nAPP=" + folders.app + "\nOLD_TOTAL=" + kOldTotal + "\n");
  return failed ? 1 : 0;
}

int Census(const std::string& out) {
  const Folders folders = KnownFolders();
  int others = 0;
  WIN32_FIND_DATAA entry{};
  const HANDLE search = ::FindFirstFileA((folders.cookies + "\\*").c_str(), &entry);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
      bool planted = false;
      for (const Cookie& cookie : kCookies) {
        planted = planted || _stricmp(cookie.fileName, entry.cFileName) == 0;
      }
      if (!planted) ++others;
    } while (::FindNextFileA(search, &entry));
    ::FindClose(search);
  }
  // This process stands in the list where the scanner will stand.
  WriteText(out, "PROCESSES=" + std::to_string(ProcessIds().size()) +
                     "\nOTHER_COOKIE_FILES=" + std::to_string(others) + "\n");
  return failed ? 1 : 0;
}

const char* Presence(bool present) { return present ? "present" : "absent"; }

int State(const std::string& out) {
  const Folders folders = KnownFolders();
  std::string lines;
  for (const PlantedFile& file : PlantedFiles(folders)) {
    lines += "file " + file.path + " " + Presence(Exists(file.path)) + "\n";
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
  for (const Planted& process : PlantedProcesses(folders)) {
    running.push_back("process " + process.path + " running\n");
  }
  std::sort(running.begin(), running.end());
  for (const std::string& line : running) lines += line;
  WriteText(out, lines);
  return failed ? 1 : 0;
}

int Collect(const std::string& out) {
  CopyTree(KnownFolders().app, out);
  return failed ? 1 : 0;
}

int Usage() {
  std::fputs("usage: kscan_remove_plant plant SLEEPER HOLDER PROBE APP OUT | census OUT | "
             "state OUT | collect OUT | clean\n",
             stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  const std::string command = argv[1];
  if (command == "plant" && argc == 7) return Plant(argv[2], argv[3], argv[4], argv[5], argv[6]);
  if (command == "census" && argc == 3) return Census(argv[2]);
  if (command == "state" && argc == 3) return State(argv[2]);
  if (command == "collect" && argc == 3) return Collect(argv[2]);
  if (command == "clean" && argc == 2) return Clean();
  return Usage();
}
