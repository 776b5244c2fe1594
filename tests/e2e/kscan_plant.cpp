// Plants the machine the kscan end-to-end run scans, and takes it away again.
//   kscan_plant plant SLEEPER OUT  registry keys, settings, files, cookies and two running
//                                  copies of SLEEPER; then the folders the scan will work
//                                  out, as NAME=value lines in OUT
//   kscan_plant census OUT         what the scan counts beyond the plant: the processes
//                                  running now and the cookie files nobody planted
//   kscan_plant running OUT        the planted processes still running, one name a line
//   kscan_plant clean              stops the planted processes and removes what was planted
// Every command writes only to files and standard error; exit code 0 on success, 1 on a
// failure. "plant" cleans first, so leftovers of a run that was killed never pile up.
#include <windows.h>

#include <psapi.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

// The plant's keys live under the scratch key of both roots; what it changes in the settings
// store is kept under SavedSettings until "clean" puts it back.
constexpr char kScratchKey[] = "Software\\KestrianE2E";
constexpr char kSavedSettingsKey[] = "Software\\KestrianE2E\\SavedSettings";
constexpr char kCreatedCookieFolder[] = "(created cookie folder)";
constexpr char kStore[] = "Software\\VB and VBA Program Settings";
constexpr char kProgramKey[] = "Software\\VB and VBA Program Settings\\Kestrian";
constexpr char kOptionsKey[] =
    "Software\\VB and VBA Program Settings\\Kestrian\\OptionAndSettings";
constexpr char kSettingsKey[] = "Software\\VB and VBA Program Settings\\Kestrian\\Settings";

// The settings store's keys the run may create, deepest first.
constexpr const char* kStoreKeys[] = {kOptionsKey, kSettingsKey, kProgramKey, kStore};

struct Setting {
  const char* key;
  const char* name;
  const char* value;  // null: written by the scan, not by the plant
};
// The phases the run needs, whatever other tests left in the store, and the dates the scan
// stores. All of them are put back as they were.
constexpr Setting kSettings[] = {{kOptionsKey, "chkScanCookies", "1"},
                                 {kOptionsKey, "chkSweepMemory", "True"},
                                 {kOptionsKey, "chkScanRegistry", "True"},
                                 {kSettingsKey, "lblLastScan", nullptr},
                                 {kSettingsKey, "lblLastFullScan", nullptr}};

constexpr char kScratchFolder[] = "KestrianE2E";  // under each of the template folders
constexpr char kRunFolder[] = "run";              // under [Drive]KestrianE2E
constexpr const char* kProcessNames[] = {"kse2espy.exe", "kse2eexcl.exe"};

bool failed = false;

void Fail(const std::string& what) {
  std::fprintf(stderr, "kscan_plant: %s (error %lu)\n", what.c_str(), ::GetLastError());
  failed = true;
}

std::string WithoutTrailingBackslash(std::string path) {
  while (path.size() > 3 && path.back() == '\\') path.pop_back();
  return path;
}

std::string WithTrailingBackslash(std::string path) {
  if (!path.empty() && path.back() != '\\') path.push_back('\\');
  return path;
}

// Two bytes per character, as version resources store their strings.
std::string Wide(std::string_view text) {
  std::string wide;
  for (char c : text) {
    wide.push_back(c);
    wide.push_back('\0');
  }
  return wide;
}

std::string Bytes(const char* data, std::size_t size) { return std::string(data, size); }

// A version string record as resources store it: length words, type word 1, the key and its
// terminator, then the value right after (no alignment padding).
std::string WideRecord(std::string_view key, std::string_view value) {
  std::string record = Bytes("\x40\x00\x10\x00\x01\x00", 6);
  record += Wide(key) + Bytes("\0\0", 2);
  if (!value.empty()) record += Wide(value) + Bytes("\0\0", 2);
  return record;
}

std::string ExecutableStub() {
  std::string stub = "MZ";
  stub.append(62, '\0');
  stub += "This program cannot be run in DOS mode.\r\n";
  stub.append(16, '\0');
  return stub;
}

std::string WideVersionBlock(std::string_view company) {
  return ExecutableStub() + WideRecord("VS_VERSION_INFO", "") + WideRecord("StringFileInfo", "") +
         WideRecord("040904b0", "") + WideRecord("CompanyName", company) +
         WideRecord("FileDescription", "Planted by the kscan end-to-end run") +
         WideRecord("FileVersion", "1.0.0.0");
}

// The one-byte form: "CompanyName", a zero, the value, three zeros.
std::string PlainVersionBlock(std::string_view company) {
  std::string block = ExecutableStub() + "VS_VERSION_INFO" + Bytes("\0\0\0\0", 4) +
                      "StringFileInfo" + Bytes("\0\0", 2) + "040904b0" + Bytes("\0\0", 2);
  block += "CompanyName" + Bytes("\0", 1) + std::string(company) + Bytes("\0\0\0", 3);
  block += "FileDescription" + Bytes("\0", 1) + "Planted by the kscan end-to-end run" +
           Bytes("\0\0\0", 3);
  return block;
}

const std::string kPlainContent = "Planted by the kscan end-to-end run.\r\n";

// ---- Folders -------------------------------------------------------------------------------

std::string SpecialFolder(int id) {
  char buffer[MAX_PATH + 1] = {};
  // The call the scan makes: a folder that does not exist gives nothing.
  if (!::SHGetSpecialFolderPathA(nullptr, buffer, id, FALSE)) return {};
  return buffer;
}

std::string FolderFrom(UINT (*getter)(LPSTR, UINT)) {
  char buffer[MAX_PATH + 1] = {};
  const UINT length = getter(buffer, MAX_PATH);
  return (length == 0 || length > MAX_PATH) ? std::string() : std::string(buffer, length);
}

struct Folders {
  std::string windows;  // without a trailing backslash, as are the others but `drive`
  std::string system;
  std::string desktop;
  std::string drive;  // "C:\"
  std::string cookies;
};

Folders KnownFolders() {
  Folders folders;
  folders.windows = WithoutTrailingBackslash(FolderFrom(&::GetWindowsDirectoryA));
  folders.system = WithoutTrailingBackslash(FolderFrom(&::GetSystemDirectoryA));
  folders.desktop = WithoutTrailingBackslash(SpecialFolder(CSIDL_DESKTOPDIRECTORY));
  folders.drive = WithTrailingBackslash(SpecialFolder(CSIDL_PROGRAMS)).substr(0, 3);
  folders.cookies = WithoutTrailingBackslash(SpecialFolder(CSIDL_COOKIES));
  return folders;
}

// The folders the file definitions' templates name, each with the scratch folder appended.
std::vector<std::string> ScratchFolders(const Folders& folders) {
  std::vector<std::string> scratch;
  if (folders.drive.size() == 3) {
    scratch.push_back(folders.drive + kScratchFolder);
    scratch.push_back(folders.drive + "Program Files\\" + kScratchFolder);
  }
  if (!folders.desktop.empty()) scratch.push_back(folders.desktop + "\\" + kScratchFolder);
  if (!folders.windows.empty()) scratch.push_back(folders.windows + "\\" + kScratchFolder);
  return scratch;
}

std::string RunFolder(const Folders& folders) {
  return folders.drive + kScratchFolder + "\\" + kRunFolder;
}

// ---- What is planted -----------------------------------------------------------------------

enum class Place { kSystem, kProgramFiles, kDrive, kDesktop, kWindows };

struct PlantedFile {
  Place place;
  const char* name;
  std::string content;
  DWORD attributes;
};

std::vector<PlantedFile> PlantedFiles() {
  return {
      {Place::kSystem, "kse2e_visible.dll", kPlainContent, FILE_ATTRIBUTE_NORMAL},
      {Place::kSystem, "kse2e_readonly.dll", kPlainContent, FILE_ATTRIBUTE_READONLY},
      {Place::kSystem, "kse2e_hidden.dll", kPlainContent, FILE_ATTRIBUTE_HIDDEN},
      {Place::kSystem, "kse2e_system.dll", kPlainContent, FILE_ATTRIBUTE_SYSTEM},
      {Place::kSystem, "kse2e_twin1.dll", kPlainContent, FILE_ATTRIBUTE_NORMAL},
      {Place::kSystem, "kse2e_twin2.dll", kPlainContent, FILE_ATTRIBUTE_NORMAL},
      {Place::kSystem, "kse2e_mswide.dll", WideVersionBlock("Microsoft Corporation"),
       FILE_ATTRIBUTE_NORMAL},
      {Place::kSystem, "kse2e_msplain.dll", PlainVersionBlock("Microsoft Corporation"),
       FILE_ATTRIBUTE_NORMAL},
      {Place::kSystem, "kse2e_vendor.dll", WideVersionBlock("Kestrian Test Vendor"),
       FILE_ATTRIBUTE_NORMAL},
      {Place::kSystem, "kse2e_excluded.dll", kPlainContent, FILE_ATTRIBUTE_NORMAL},
      {Place::kProgramFiles, "kse2e_pfiles.exe", kPlainContent, FILE_ATTRIBUTE_NORMAL},
      // Found only if "[PFILES]" were read as "[pfiles]".
      {Place::kProgramFiles, "kse2e_case.exe", kPlainContent, FILE_ATTRIBUTE_NORMAL},
      {Place::kDrive, "kse2e_drive.exe", kPlainContent, FILE_ATTRIBUTE_NORMAL},
      {Place::kDesktop, "kse2e_desktop.exe", kPlainContent, FILE_ATTRIBUTE_NORMAL},
      {Place::kWindows, "kse2e_windows.exe", kPlainContent, FILE_ATTRIBUTE_NORMAL},
  };
}

std::string PathOf(const PlantedFile& file, const Folders& folders) {
  switch (file.place) {
    case Place::kSystem: return folders.system + "\\" + file.name;
    case Place::kProgramFiles:
      return folders.drive + "Program Files\\" + kScratchFolder + "\\" + file.name;
    case Place::kDrive: return folders.drive + kScratchFolder + "\\" + file.name;
    case Place::kDesktop: return folders.desktop + "\\" + kScratchFolder + "\\" + file.name;
    case Place::kWindows: return folders.windows + "\\" + kScratchFolder + "\\" + file.name;
  }
  return {};
}

struct Cookie {
  const char* fileName;
  const char* content;
};

// Internet Explorer's layout: name, value, host and path, flags, times, "*". The cookie's
// name holds the key too, but without a "/" it names no site.
constexpr Cookie kCookies[] = {
    {"kestrian@adtrack[1].txt", "adtrack_id\n4711\nadtrack.example/\n1024\n0\n0\n0\n0\n*\n"},
    {"kestrian@goodsite[1].txt", "session\n42\ngoodsite.example/\n1024\n0\n0\n0\n0\n*\n"},
    {"kestrian@www.popspy[1].txt", "uid\n9\nwww.popspy.example/\n1024\n0\n0\n0\n0\n*\n"},
    {"kestrian@counter7[1].txt", "hits\n3\ncounter7.example/\n1024\n0\n0\n0\n0\n*\n"},
    {"kestrian@AdTrack[2].txt", "uid\n5\nAdTrack.example/\n1024\n0\n0\n0\n0\n*\n"},
    {"kestrian@xbanner[1].txt", "seen\n1\nxbanner.example/banners\n1024\n0\n0\n0\n0\n*\n"},
    {"kestrian@ybanner[1].txt", "seen\n1\nybanner.example/banners\n1024\n0\n0\n0\n0\n*\n"},
    {"kestrian@clickz[1].txt", "c\n1\nclickz.example/\n1024\n0\n0\n0\n0\n*\n"},
    {"kestrian@qlickz[1].txt", "c\n1\nqlickz.example/\n1024\n0\n0\n0\n0\n*\n"},
};

// ---- Files ---------------------------------------------------------------------------------

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

bool Exists(const std::string& path) {
  return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
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

void PlantFile(const std::string& path, const std::string& content, DWORD attributes) {
  const std::string folder = path.substr(0, path.rfind('\\'));
  ::CreateDirectoryA(folder.c_str(), nullptr);
  if (!WriteWholeFile(path, content)) return Fail("cannot write " + path);
  if (!::SetFileAttributesA(path.c_str(), attributes)) Fail("cannot set attributes of " + path);
}

// ---- Registry ------------------------------------------------------------------------------

void SetRaw(HKEY root, const std::string& path, const char* name, DWORD type,
            const std::string& data) {
  HKEY key = nullptr;
  if (::RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
    return Fail("cannot create key " + path);
  }
  const auto status =
      ::RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                       static_cast<DWORD>(data.size()));
  ::RegCloseKey(key);
  if (status != ERROR_SUCCESS) Fail("cannot set " + path + "\\" + (name ? name : ""));
}

void SetString(HKEY root, const std::string& path, const char* name, DWORD type,
               const std::string& text) {
  SetRaw(root, path, name, type, text + std::string(1, '\0'));
}

void CreateKey(HKEY root, const std::string& path) {
  HKEY key = nullptr;
  if (::RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
    return Fail("cannot create key " + path);
  }
  ::RegCloseKey(key);
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

void DeleteTree(HKEY root, const char* path) {
  const auto status = ::RegDeleteTreeA(root, path);
  if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) {
    ::SetLastError(status);
    Fail(std::string("cannot delete key ") + path);
  }
  // RegDeleteTree empties the key; the key itself goes with RegDeleteKey.
  if (KeyExists(root, path) && ::RegDeleteKeyA(root, path) != ERROR_SUCCESS) {
    Fail(std::string("cannot delete key ") + path);
  }
}

// What the run changes in the settings store is kept under the scratch key: each value by
// its key's last name and its own, and a mark for each key that did not exist.
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
  CreateKey(HKEY_CURRENT_USER, kSavedSettingsKey);
  for (const char* key : kStoreKeys) {
    if (!KeyExists(HKEY_CURRENT_USER, key)) {
      SetString(HKEY_CURRENT_USER, kSavedSettingsKey, MissingKeyMark(key).c_str(), REG_SZ, "");
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
}

void RestoreSettings() {
  if (!KeyExists(HKEY_CURRENT_USER, kSavedSettingsKey)) return;
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
    DWORD type = 0;
    std::string data;
    if (ReadRaw(HKEY_CURRENT_USER, kSavedSettingsKey, MissingKeyMark(key).c_str(), type, data) &&
        IsEmptyKey(HKEY_CURRENT_USER, key)) {
      ::RegDeleteKeyA(HKEY_CURRENT_USER, key);
    }
  }
}

void PlantRegistry() {
  const std::string base = kScratchKey;
  const std::string values = base + "\\Values";
  SetString(HKEY_CURRENT_USER, values, "StringValue", REG_SZ, "planted string");
  SetString(HKEY_CURRENT_USER, values, "ExpandValue", REG_EXPAND_SZ, "%SystemRoot%\\kse2e.exe");
  SetRaw(HKEY_CURRENT_USER, values, "DwordValue", REG_DWORD, std::string("\x07\x00\x00\x00", 4));
  SetRaw(HKEY_CURRENT_USER, values, "BinaryValue", REG_BINARY, std::string("\x01\x02\x03\x04", 4));
  SetRaw(HKEY_CURRENT_USER, values, "MultiValue", REG_MULTI_SZ, std::string("one\0two\0\0", 9));
  SetRaw(HKEY_CURRENT_USER, values, "QwordValue", REG_QWORD, std::string(8, '\x01'));
  SetString(HKEY_CURRENT_USER, base + "\\Twin", "TwinValue", REG_SZ, "second trace");
  SetString(HKEY_CURRENT_USER, base + "\\Microsoft\\Windows\\CurrentVersion\\Run", "SpyValue",
            REG_SZ, "C:\\KestrianE2E\\run\\kse2espy.exe");
  CreateKey(HKEY_CURRENT_USER, base + "\\Excluded");
  CreateKey(HKEY_CURRENT_USER, base + "\\Nameless");
  SetString(HKEY_LOCAL_MACHINE, base + "\\Machine", "MachineValue", REG_SZ, "machine-wide");
  for (const Setting& setting : kSettings) {
    if (setting.value != nullptr) {
      SetString(HKEY_CURRENT_USER, setting.key, setting.name, REG_SZ, setting.value);
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

bool StartsWithIgnoringCase(const std::string& text, const std::string& prefix) {
  return text.size() >= prefix.size() &&
         ::CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, text.data(),
                          static_cast<int>(prefix.size()), prefix.data(),
                          static_cast<int>(prefix.size())) == CSTR_EQUAL;
}

struct Planted {
  DWORD id;
  std::string path;
};

std::vector<Planted> PlantedProcesses(const Folders& folders) {
  std::vector<Planted> planted;
  const std::string prefix = RunFolder(folders) + "\\";
  for (DWORD id : ProcessIds()) {
    std::string path = ModulePath(id);
    if (StartsWithIgnoringCase(path, prefix)) planted.push_back({id, std::move(path)});
  }
  return planted;
}

void StartProcess(const std::string& sleeper, const std::string& path) {
  if (!::CopyFileA(sleeper.c_str(), path.c_str(), FALSE)) return Fail("cannot copy to " + path);
  std::string commandLine = "\"" + path + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process)) {
    return Fail("cannot start " + path);
  }
  // The scan reads the main module's path; wait until the process has one.
  bool ready = false;
  for (int attempt = 0; attempt < 500 && !ready; ++attempt) {
    ready = !ModulePath(process.dwProcessId).empty();
    if (!ready) ::Sleep(20);
  }
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  if (!ready) Fail("no module path for " + path);
}

void StopPlantedProcesses(const Folders& folders) {
  for (const Planted& process : PlantedProcesses(folders)) {
    const HANDLE handle = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, process.id);
    if (handle == nullptr) continue;  // ended meanwhile
    ::TerminateProcess(handle, 0);
    if (::WaitForSingleObject(handle, 5000) != WAIT_OBJECT_0) Fail("cannot stop " + process.path);
    ::CloseHandle(handle);
  }
}

// ---- Commands ------------------------------------------------------------------------------

bool WriteLines(const char* path, const std::string& text) {
  std::FILE* out = std::fopen(path, "wb");
  if (out == nullptr) {
    Fail(std::string("cannot write ") + path);
    return false;
  }
  std::fwrite(text.data(), 1, text.size(), out);
  std::fclose(out);
  return true;
}

int Clean() {
  const Folders folders = KnownFolders();
  if (folders.drive.size() == 3) StopPlantedProcesses(folders);
  for (const PlantedFile& file : PlantedFiles()) {
    if (file.place == Place::kSystem && !folders.system.empty()) RemoveFile(PathOf(file, folders));
  }
  for (const std::string& folder : ScratchFolders(folders)) RemoveTree(folder);
  if (!folders.cookies.empty()) {
    for (const Cookie& cookie : kCookies) RemoveFile(folders.cookies + "\\" + cookie.fileName);
    DWORD type = 0;
    std::string data;
    if (ReadRaw(HKEY_CURRENT_USER, kSavedSettingsKey, kCreatedCookieFolder, type, data)) {
      ::RemoveDirectoryA(folders.cookies.c_str());  // only when nothing else is in it
    }
  }
  RestoreSettings();
  DeleteTree(HKEY_CURRENT_USER, kScratchKey);
  DeleteTree(HKEY_LOCAL_MACHINE, kScratchKey);
  return failed ? 1 : 0;
}

int Plant(const std::string& sleeper, const char* foldersOut) {
  Clean();
  if (failed) return 1;
  SaveSettings();
  // The scan finds no cookie folder that does not exist; a fresh prefix has none yet.
  if (SpecialFolder(CSIDL_COOKIES).empty()) {
    char created[MAX_PATH + 1] = {};
    if (FAILED(::SHGetFolderPathA(nullptr, CSIDL_COOKIES | CSIDL_FLAG_CREATE, nullptr, 0,
                                  created))) {
      Fail("cannot create the cookie folder");
      return 1;
    }
    SetString(HKEY_CURRENT_USER, kSavedSettingsKey, kCreatedCookieFolder, REG_SZ, created);
  }
  const Folders folders = KnownFolders();
  if (folders.windows.empty() || folders.system.empty() || folders.desktop.empty() ||
      folders.drive.size() != 3 || folders.cookies.empty()) {
    Fail("a folder of the scan is unknown");
    return 1;
  }
  PlantRegistry();
  for (const std::string& folder : ScratchFolders(folders)) {
    if (!::CreateDirectoryA(folder.c_str(), nullptr)) Fail("cannot create " + folder);
  }
  for (const PlantedFile& file : PlantedFiles()) {
    PlantFile(PathOf(file, folders), file.content, file.attributes);
  }
  for (const Cookie& cookie : kCookies) {
    PlantFile(folders.cookies + "\\" + cookie.fileName, cookie.content, FILE_ATTRIBUTE_NORMAL);
  }
  const std::string runFolder = RunFolder(folders);
  if (!::CreateDirectoryA(runFolder.c_str(), nullptr)) Fail("cannot create " + runFolder);
  for (const char* name : kProcessNames) StartProcess(sleeper, runFolder + "\\" + name);
  WriteLines(foldersOut, "WINDIR=" + folders.windows + "\nSYSDIR=" + folders.system +
                             "\nDESKTOP=" + folders.desktop + "\nDRIVE=" + folders.drive +
                             "\nCOOKIES=" + folders.cookies + "\n");
  return failed ? 1 : 0;
}

int Census(const char* out) {
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
  const std::size_t processes = ProcessIds().size();
  WriteLines(out, "PROCESSES=" + std::to_string(processes) +
                      "\nOTHER_COOKIE_FILES=" + std::to_string(others) + "\n");
  return failed ? 1 : 0;
}

int Running(const char* out) {
  std::string lines;
  for (const Planted& process : PlantedProcesses(KnownFolders())) {
    lines += process.path.substr(process.path.rfind('\\') + 1) + "\n";
  }
  WriteLines(out, lines);
  return failed ? 1 : 0;
}

int Usage() {
  std::fputs(
      "usage: kscan_plant plant SLEEPER OUT | census OUT | running OUT | clean\n", stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  const std::string command = argv[1];
  if (command == "plant" && argc == 4) return Plant(argv[2], argv[3]);
  if (command == "census" && argc == 3) return Census(argv[2]);
  if (command == "running" && argc == 3) return Running(argv[2]);
  if (command == "clean" && argc == 2) return Clean();
  return Usage();
}
