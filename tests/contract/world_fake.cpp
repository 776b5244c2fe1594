#include "contract/contract_world.h"
#include "core/file_tests.h"
#include "core/text.h"
#include "support/fake_machine.h"

#include <cctype>
#include <map>
#include <vector>

namespace kestrian::testing {

namespace {
// A name that is its own 8.3 name.
bool IsShortName(std::string_view name) {
  const std::size_t dot = name.find('.');
  const std::string_view base = name.substr(0, dot);
  const std::string_view extension = dot == std::string_view::npos ? "" : name.substr(dot + 1);
  const auto plain = [](std::string_view part) {
    for (const char c : part) {
      if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '~') return false;
    }
    return true;
  };
  return !base.empty() && base.size() <= 8 && extension.size() <= 3 && plain(base) && plain(extension);
}

// An 8.3 name as Windows makes one: six characters of the name, "~", a number, and three of
// the extension, in upper case.
std::string MakeShortName(std::string_view name, int number) {
  const std::size_t dot = name.rfind('.');
  std::string base;
  for (const char c : name.substr(0, dot)) {
    if (std::isalnum(static_cast<unsigned char>(c))) base.push_back(static_cast<char>(std::toupper(c)));
  }
  std::string shortName = base.substr(0, 6) + "~" + std::to_string(number);
  if (dot != std::string_view::npos) {
    std::string extension;
    for (const char c : name.substr(dot + 1, 3)) extension.push_back(static_cast<char>(std::toupper(c)));
    shortName += "." + extension;
  }
  return shortName;
}

class FakeWorld final : public ContractWorld {
 public:
  FakeWorld() {
    fake_.files.PutFolder(scratch_);
    fake_.processes.Start("services.exe", "");  // a process the tests may not open
    ownId_ = fake_.processes.Start("contract_tests.exe", kOwnPath);
  }
  platform::Machine& Machine() override { return fake_.Get(); }
  const std::string& Scratch() const override { return scratch_; }
  const std::string& ScratchApplication() const override { return application_; }
  void PlantFile(std::string_view path, std::string_view bytes, std::uint32_t attributes) override {
    fake_.files.PutFile(path, bytes, attributes);
    const std::string shortPath = ShortPath(path);
    if (shortPath != path) fake_.files.SetShortName(path, std::string(core::FileNamePart(shortPath)));
  }
  // A long name gets an 8.3 name the first time it is asked for, which then leads to it.
  std::string ShortPath(std::string_view path) override {
    const std::string_view name = core::FileNamePart(path);
    if (IsShortName(name)) return std::string(path);
    const auto [made, isNew] = shortPaths_.try_emplace(std::string(path));
    if (isNew) {
      const std::string folder(path.substr(0, path.size() - name.size()));
      made->second = folder + MakeShortName(name, ++shortNamesIn_[folder]);
      fake_.files.AddAlias(made->second, std::string(path));
    }
    return made->second;
  }
  void HoldOpenExclusively(std::string_view path) override {
    fake_.files.Lock(path);
    held_.emplace_back(path);
  }
  void HoldOpenSharingReads(std::string_view path) override {
    fake_.files.HoldSharingReads(path);
    held_.emplace_back(path);
  }
  void ReleaseAll() override {
    for (const auto& path : held_) {
      fake_.files.Lock(path, false);
      fake_.files.HoldSharingReads(path, false);
    }
    held_.clear();
  }
  std::uint32_t OwnProcessId() override { return ownId_; }
  std::string OwnExecutablePath() override { return kOwnPath; }
  std::uint32_t StartWaitingProgram(std::string_view path, bool) override {
    // The fake has no short names: the program runs under its long name.
    fake_.files.PutFile(path, "MZ");
    return fake_.processes.Start(std::string(core::FileNamePart(path)), std::string(path));
  }

 private:
  FakeMachine fake_;
  std::string scratch_ = "C:\\Scratch\\Contract";
  std::string application_ = "KestrianContract";
  std::vector<std::string> held_;
  std::map<std::string, std::string, NoCaseLess> shortPaths_;  // by long path
  std::map<std::string, int, NoCaseLess> shortNamesIn_;  // by folder
  static constexpr const char* kOwnPath = "C:\\Tests\\contract_tests.exe";
  std::uint32_t ownId_ = 0;
};
}  // namespace

std::unique_ptr<ContractWorld> MakeContractWorld() { return std::make_unique<FakeWorld>(); }

}  // namespace kestrian::testing
