#include "bench/bare_floors.h"

#include <windows.h>

#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>

namespace kestrian::bench {

namespace {
// One reusable buffer: the floor pays for the calls, not for allocations.
std::vector<char>& Buffer() {
  static std::vector<char> buffer;
  return buffer;
}

bool ReadWhole(const char* path) {
  HANDLE file = ::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size{};
  ::GetFileSizeEx(file, &size);
  auto& buffer = Buffer();
  if (buffer.size() < static_cast<std::size_t>(size.QuadPart) + 1) {
    buffer.resize(static_cast<std::size_t>(size.QuadPart) + 1);
  }
  DWORD read = 0;
  ::ReadFile(file, buffer.data(), static_cast<DWORD>(size.QuadPart), &read, nullptr);
  ::CloseHandle(file);
  return true;
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

double RegistryFloor(const std::string& definitionFile, const std::vector<RegistryProbe>& probes) {
  const double start = NowMs();
  ReadWhole(definitionFile.c_str());
  BYTE data[512];
  for (const auto& probe : probes) {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(probe.root, probe.keyPath.c_str(), 0, 0x3F, &key) != ERROR_SUCCESS) continue;
    if (!probe.valueName.empty()) {
      DWORD type = 0;
      DWORD size = sizeof data;
      ::RegQueryValueExA(key, probe.valueName.c_str(), nullptr, &type, data, &size);
    }
    ::RegCloseKey(key);
  }
  return NowMs() - start;
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

double FileFindNextAfterFound(const std::vector<std::string>& paths) {
  WIN32_FIND_DATAA data;
  double total = 0;
  for (const auto& path : paths) {
    HANDLE find = ::FindFirstFileA(path.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) continue;
    const double start = NowMs();
    ::FindNextFileA(find, &data);
    total += NowMs() - start;
    ::FindClose(find);
  }
  return total;
}

}  // namespace kestrian::bench
