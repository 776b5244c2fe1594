#include "bench/bare_floors.h"

#include <windows.h>

#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>

#include "core/definition_line.h"
#include "core/line_reader.h"

namespace kestrian::bench {

namespace {
// One reusable buffer: the floor pays for the calls, not for allocations.
std::vector<char>& Buffer() {
  static std::vector<char> buffer;
  return buffer;
}

// The bytes read; 0 when the file cannot be opened.
std::size_t ReadWhole(const char* path) {
  HANDLE file = ::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  LARGE_INTEGER size{};
  ::GetFileSizeEx(file, &size);
  auto& buffer = Buffer();
  if (buffer.size() < static_cast<std::size_t>(size.QuadPart) + 1) {
    buffer.resize(static_cast<std::size_t>(size.QuadPart) + 1);
  }
  DWORD read = 0;
  ::ReadFile(file, buffer.data(), static_cast<DWORD>(size.QuadPart), &read, nullptr);
  ::CloseHandle(file);
  return read;
}

// Reads the file and decodes every line, as the phases do before their walk.
void ReadAndDecode(const char* path) {
  const std::size_t bytes = ReadWhole(path);
  core::LineReader reader(std::string_view(Buffer().data(), bytes));
  std::string_view line;
  while (reader.Next(line)) core::DecodeDefinitionLine(line);
}
}  // namespace

double NowMs() {
  static const double frequency = [] {
    LARGE_INTEGER f{};
    ::QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart);
  }();
  LARGE_INTEGER now{};
  ::QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) * 1000.0 / frequency;
}

double FileFloor(const std::string& definitionFile, const std::vector<std::string>& paths) {
  const double start = NowMs();
  ReadWhole(definitionFile.c_str());
  WIN32_FIND_DATAA data;
  for (const auto& path : paths) {
    HANDLE find = ::FindFirstFileA(path.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) continue;
    ::FindClose(find);
    ReadWhole(path.c_str());
  }
  return NowMs() - start;
}

double RegistryFloor(const std::string& definitionFile, const std::vector<KeyProbe>& keys,
                     bool decodeLines) {
  const double start = NowMs();
  if (decodeLines) {
    ReadAndDecode(definitionFile.c_str());
  } else {
    ReadWhole(definitionFile.c_str());
  }
  BYTE data[256];
  for (const auto& probe : keys) {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(probe.root, probe.keyPath.c_str(), 0, 0x3F, &key) != ERROR_SUCCESS) continue;
    for (const auto& name : probe.valueNames) {
      DWORD type = 0;
      DWORD size = sizeof data;
      ::RegQueryValueExA(key, name.c_str(), nullptr, &type, data, &size);
    }
    ::RegCloseKey(key);
  }
  return NowMs() - start;
}

double FileListingFloor(const std::string& definitionFile, const std::vector<std::string>& folders,
                        const std::vector<std::string>& foundFiles) {
  const double start = NowMs();
  ReadAndDecode(definitionFile.c_str());
  WIN32_FIND_DATAA data;
  for (const auto& folder : folders) {
    HANDLE find = ::FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) continue;
    while (::FindNextFileA(find, &data)) {
    }
    ::FindClose(find);
  }
  for (const auto& path : foundFiles) ReadWhole(path.c_str());
  return NowMs() - start;
}

EnumerationCost SubKeyEnumerationAgainstOpens(HKEY root, const std::string& parent,
                                              const std::vector<std::string>& paths) {
  EnumerationCost cost;
  double start = NowMs();
  HKEY key = nullptr;
  if (::RegOpenKeyExA(root, parent.c_str(), 0, KEY_ENUMERATE_SUB_KEYS, &key) == ERROR_SUCCESS) {
    char name[256];
    for (DWORD index = 0;; ++index) {
      DWORD length = sizeof name;
      if (::RegEnumKeyExA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
        break;
      }
      ++cost.subKeys;
    }
    ::RegCloseKey(key);
  }
  cost.enumerateMs = NowMs() - start;
  start = NowMs();
  for (const auto& path : paths) {
    if (::RegOpenKeyExA(root, path.c_str(), 0, 0x3F, &key) == ERROR_SUCCESS) ::RegCloseKey(key);
  }
  cost.openMs = NowMs() - start;
  return cost;
}

double ProcessFloor(const std::string& definitionFile, const std::vector<std::uint32_t>& listedIds,
                    int& processCount) {
  const double start = NowMs();
  ReadWhole(definitionFile.c_str());
  processCount = 0;
  HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return NowMs() - start;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  std::vector<DWORD> ids;
  for (BOOL more = ::Process32First(snapshot, &entry); more; more = ::Process32Next(snapshot, &entry)) {
    ++processCount;
    if (std::binary_search(listedIds.begin(), listedIds.end(), entry.th32ProcessID)) {
      ids.push_back(entry.th32ProcessID);
    }
  }
  ::CloseHandle(snapshot);
  for (DWORD id : ids) {
    HANDLE process = ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id);
    if (process == nullptr) continue;
    HMODULE modules[25];
    DWORD needed = 0;
    char path[MAX_PATH];
    if (::EnumProcessModules(process, modules, sizeof modules, &needed)) {
      ::GetModuleFileNameExA(process, modules[0], path, MAX_PATH);
    }
    ::CloseHandle(process);
  }
  return NowMs() - start;
}

double CookieFloor(const std::string& patternFile, const std::string& cookieFolder) {
  const double start = NowMs();
  ReadWhole(patternFile.c_str());
  WIN32_FIND_DATAA data;
  HANDLE find = ::FindFirstFileA((cookieFolder + "\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return NowMs() - start;
  std::string path = cookieFolder + "\\";
  const std::size_t folderLength = path.size();
  do {
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    path.resize(folderLength);
    path.append(data.cFileName);
    ReadWhole(path.c_str());
  } while (::FindNextFileA(find, &data));
  ::FindClose(find);
  return NowMs() - start;
}

}  // namespace kestrian::bench
