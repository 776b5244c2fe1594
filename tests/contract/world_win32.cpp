#include <windows.h>

#include <shellapi.h>

#include <cstdint>
#include <filesystem>
#include <string_view>
#include <vector>

#include "contract/contract_world.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_machine.h"

namespace kestrian::testing {

namespace {
using platform::win32::UniqueFileHandle;
using platform::win32::UniqueHandle;

// A copy of this program started with this argument only waits (StartWaitingProgram), and
// ends by itself after a minute should nobody end it.
constexpr const char* kWaitArgument = "--kestrian-contract-wait";
[[maybe_unused]] const bool kWaitingCopy = [] {
  const std::string_view commandLine = ::GetCommandLineA();
  if (commandLine.find(kWaitArgument) == std::string_view::npos) return false;
  ::Sleep(60 * 1000);
  ::ExitProcess(0);
  return true;
}();

// Distinct per world: the process id and the world's address.
std::string UniqueSuffix(const void* world) {
  return std::to_string(::GetCurrentProcessId()) + "_" +
         std::to_string(reinterpret_cast<std::uintptr_t>(world) & 0xFFFFFF);
}

// Read-only and hidden files go too.
void RemoveFolderTree(const std::string& folder) {
  std::error_code ignored;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder, ignored)) {
    ::SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
  }
  std::filesystem::remove_all(folder, ignored);
}

class Win32World final : public ContractWorld {
 public:
  Win32World() {
    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    const std::string suffix = UniqueSuffix(this);
    scratch_ = std::string(temp) + "kestrian_contract_" + suffix;
    ::CreateDirectoryA(scratch_.c_str(), nullptr);
    application_ = "KestrianContract" + suffix;
  }
  ~Win32World() override {
    for (const auto& process : waiting_) {
      ::TerminateProcess(process.get(), 0);
      ::WaitForSingleObject(process.get(), 5000);
    }
    waiting_.clear();
    ReleaseAll();
    RemoveFolderTree(scratch_);
    ::RegDeleteTreeA(HKEY_CURRENT_USER, ("Software\\VB and VBA Program Settings\\" + application_).c_str());
  }
  platform::Machine& Machine() override { return machine_.Get(); }
  const std::string& Scratch() const override { return scratch_; }
  const std::string& ScratchApplication() const override { return application_; }

  void PlantFile(std::string_view path, std::string_view bytes, std::uint32_t attributes) override {
    const std::string name(path);
    machine_.Get().files.WriteAll(name, bytes);
    ::SetFileAttributesA(name.c_str(), attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes);
  }
  void HoldOpenExclusively(std::string_view path) override {
    held_.emplace_back(::CreateFileA(std::string(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  }
  void HoldOpenSharingReads(std::string_view path) override {
    held_.emplace_back(::CreateFileA(std::string(path).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  }
  void ReleaseAll() override { held_.clear(); }
  std::uint32_t OwnProcessId() override { return ::GetCurrentProcessId(); }
  std::string OwnExecutablePath() override {
    char path[MAX_PATH] = {};
    return std::string(path, ::GetModuleFileNameA(nullptr, path, MAX_PATH));
  }
  std::string ShortPath(std::string_view path) override {
    char shortPath[MAX_PATH] = {};
    const DWORD length = ::GetShortPathNameA(std::string(path).c_str(), shortPath, MAX_PATH);
    return length == 0 || length >= MAX_PATH ? std::string() : std::string(shortPath, length);
  }

  std::uint32_t StartWaitingProgram(std::string_view path, bool throughShortPath) override {
    std::string program(path);
    if (!::CopyFileA(OwnExecutablePath().c_str(), program.c_str(), FALSE)) return 0;
    if (throughShortPath && (program = ShortPath(program)).empty()) return 0;
    std::string commandLine = "\"" + program + "\" " + kWaitArgument;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!::CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                          DETACHED_PROCESS, nullptr, nullptr, &startup, &started)) {
      return 0;
    }
    ::CloseHandle(started.hThread);
    waiting_.emplace_back(started.hProcess);
    // Its module list exists once the loader has run in it.
    for (int attempt = 0; attempt < 500; ++attempt) {
      if (machine_.Get().processes.MainModulePath(started.dwProcessId).ok()) break;
      ::Sleep(20);
    }
    return started.dwProcessId;
  }

 private:
  platform::win32::Win32Machine machine_;
  std::string scratch_;
  std::string application_;
  std::vector<UniqueFileHandle> held_;
  std::vector<UniqueHandle> waiting_;
};
}  // namespace

std::unique_ptr<ContractWorld> MakeContractWorld() { return std::make_unique<Win32World>(); }

}  // namespace kestrian::testing
