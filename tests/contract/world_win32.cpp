#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <string_view>
#include <vector>

#include "contract/contract_world.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_machine.h"

namespace kestrian::testing {

namespace {
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
    // Distinct per world: the process id and the world's address.
    const std::string suffix = std::to_string(::GetCurrentProcessId()) + "_" +
                               std::to_string(reinterpret_cast<std::uintptr_t>(this) & 0xFFFFFF);
    scratch_ = (std::filesystem::temp_directory_path() / ("kestrian_contract_" + suffix)).string();
    ::CreateDirectoryA(scratch_.c_str(), nullptr);
    application_ = "KestrianContract" + suffix;
  }
  ~Win32World() override {
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
  void ReleaseAll() override { held_.clear(); }
  std::uint32_t OwnProcessId() override { return ::GetCurrentProcessId(); }
  std::string ShortPath(std::string_view path) override {
    char shortPath[MAX_PATH] = {};
    const DWORD length = ::GetShortPathNameA(std::string(path).c_str(), shortPath, MAX_PATH);
    return length == 0 || length >= MAX_PATH ? std::string() : std::string(shortPath, length);
  }

 private:
  platform::win32::Win32Machine machine_;
  std::string scratch_;
  std::string application_;
  std::vector<platform::win32::UniqueFileHandle> held_;
};
}  // namespace

std::unique_ptr<ContractWorld> MakeContractWorld() { return std::make_unique<Win32World>(); }

}  // namespace kestrian::testing
