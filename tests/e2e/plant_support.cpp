#include "plant_support.h"

#include <psapi.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstring>

namespace kestrian::e2e {

namespace {

const char* planterName = "planter";
bool failed = false;

// Marks, in the saved-settings key, that the plant created the cookie folder.
constexpr char kCreatedCookieFolder[] = "(created cookie folder)";

HKEY CreateOrOpen(HKEY root, const std::string& path) {
  HKEY key = nullptr;
  if (::RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
    Fail("cannot create key " + path);
    return nullptr;
  }
  return key;
}

// Each kept value is named by its key's last name and its own; each missing key is marked.
std::string SavedName(const char* key, const char* name) {
  const std::string path = key;
  return path.substr(path.rfind('\\') + 1) + "\\" + name;
}

std::string MissingKeyMark(const char* key) { return std::string("(missing) ") + key; }

}  // namespace

// ---- Failures ------------------------------------------------------------------------------

void SetPlanterName(const char* name) { planterName = name; }

void Fail(const std::string& what) {
  std::fprintf(stderr, "%s: %s (error %lu)\n", planterName, what.c_str(), ::GetLastError());
  failed = true;
}

bool Failed() { return failed; }

int ExitCode() { return failed ? 1 : 0; }

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

bool WriteText(const std::string& path, const std::string& text) {
  if (WriteWholeFile(path, text)) return true;
  Fail("cannot write " + path);
  return false;
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

// ---- Registry ------------------------------------------------------------------------------

void CreateKey(HKEY root, const std::string& path) {
  const HKEY key = CreateOrOpen(root, path);
  if (key != nullptr) ::RegCloseKey(key);
}

void SetRaw(HKEY root, const std::string& path, const char* name, DWORD type,
            const std::string& data) {
  const HKEY key = CreateOrOpen(root, path);
  if (key == nullptr) return;
  const auto status =
      ::RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                       static_cast<DWORD>(data.size()));
  ::RegCloseKey(key);
  if (status != ERROR_SUCCESS) Fail("cannot set " + path + "\\" + (name ? name : ""));
}

void SetString(HKEY root, const std::string& path, const char* name, const std::string& text,
               DWORD type) {
  SetRaw(root, path, name, type, text + std::string(1, '\0'));
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

// ---- The settings store --------------------------------------------------------------------

void PlantSettings(std::span<const Setting> settings) {
  for (const Setting& setting : settings) {
    if (setting.value != nullptr) {
      SetString(HKEY_CURRENT_USER, setting.key, setting.name, setting.value);
    }
  }
}

void SaveSettings(const char* savedKey, std::span<const Setting> settings) {
  for (const char* key : kStoreKeys) {
    if (!KeyExists(HKEY_CURRENT_USER, key)) {
      SetString(HKEY_CURRENT_USER, savedKey, MissingKeyMark(key).c_str(), "");
    }
  }
  for (const Setting& setting : settings) {
    DWORD type = 0;
    std::string data;
    if (ReadRaw(HKEY_CURRENT_USER, setting.key, setting.name, type, data)) {
      SetRaw(HKEY_CURRENT_USER, savedKey, SavedName(setting.key, setting.name).c_str(), type,
             data);
    }
  }
}

void RestoreSettings(const char* savedKey, std::span<const Setting> settings) {
  for (const Setting& setting : settings) {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, setting.key, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) {
      continue;
    }
    DWORD type = 0;
    std::string data;
    if (ReadRaw(HKEY_CURRENT_USER, savedKey, SavedName(setting.key, setting.name).c_str(), type,
                data)) {
      ::RegSetValueExA(key, setting.name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                       static_cast<DWORD>(data.size()));
    } else {
      ::RegDeleteValueA(key, setting.name);
    }
    ::RegCloseKey(key);
  }
  for (const char* key : kStoreKeys) {
    if (ValueExists(HKEY_CURRENT_USER, savedKey, MissingKeyMark(key).c_str()) &&
        IsEmptyKey(HKEY_CURRENT_USER, key)) {
      ::RegDeleteKeyA(HKEY_CURRENT_USER, key);
    }
  }
}

// ---- Folders and cookies -------------------------------------------------------------------

std::string SpecialFolder(int csidl) {
  char buffer[MAX_PATH + 1] = {};
  // The call the scan makes: a folder that does not exist gives nothing.
  if (!::SHGetSpecialFolderPathA(nullptr, buffer, csidl, FALSE)) return {};
  return buffer;
}

std::string WithoutTrailingBackslash(std::string path) {
  while (path.size() > 3 && path.back() == '\\') path.pop_back();
  return path;
}

bool EnsureCookieFolder(const char* savedKey) {
  if (!SpecialFolder(CSIDL_COOKIES).empty()) return true;
  char created[MAX_PATH + 1] = {};
  if (FAILED(::SHGetFolderPathA(nullptr, CSIDL_COOKIES | CSIDL_FLAG_CREATE, nullptr, 0,
                                created))) {
    Fail("cannot create the cookie folder");
    return false;
  }
  SetString(HKEY_CURRENT_USER, savedKey, kCreatedCookieFolder, created);
  return true;
}

void RemoveCookies(const std::string& folder, std::span<const Cookie> cookies,
                   const char* savedKey) {
  if (folder.empty()) return;
  for (const Cookie& cookie : cookies) RemoveFile(folder + "\\" + cookie.fileName);
  if (ValueExists(HKEY_CURRENT_USER, savedKey, kCreatedCookieFolder)) {
    ::RemoveDirectoryA(folder.c_str());  // only when nothing else is in it
  }
}

void WriteCensus(const std::string& out, const std::string& cookieFolder,
                 std::span<const Cookie> cookies) {
  int others = 0;
  WIN32_FIND_DATAA entry{};
  const HANDLE search = ::FindFirstFileA((cookieFolder + "\\*").c_str(), &entry);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
      bool planted = false;
      for (const Cookie& cookie : cookies) {
        planted = planted || _stricmp(cookie.fileName, entry.cFileName) == 0;
      }
      if (!planted) ++others;
    } while (::FindNextFileA(search, &entry));
    ::FindClose(search);
  }
  WriteText(out, "PROCESSES=" + std::to_string(ProcessIds().size()) +
                     "\nOTHER_COOKIE_FILES=" + std::to_string(others) + "\n");
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

std::vector<Planted> ProcessesIn(const std::string& folder) {
  std::vector<Planted> planted;
  const std::string prefix = folder + "\\";
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

void StopProcessesIn(const std::string& folder) {
  for (const Planted& process : ProcessesIn(folder)) {
    const HANDLE handle = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, process.id);
    if (handle == nullptr) continue;  // ended meanwhile
    ::TerminateProcess(handle, 0);
    if (::WaitForSingleObject(handle, 5000) != WAIT_OBJECT_0) Fail("cannot stop " + process.path);
    ::CloseHandle(handle);
  }
}

DWORD Start(const std::string& program, const std::string& arguments) {
  std::string commandLine = "\"" + program + "\"" + arguments;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process)) {
    Fail("cannot start " + program);
    return 0;
  }
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return process.dwProcessId;
}

}  // namespace kestrian::e2e
