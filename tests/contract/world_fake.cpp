#include "contract/contract_world.h"
#include "support/fake_machine.h"

#include <vector>

namespace kestrian::testing {

namespace {
class FakeWorld final : public ContractWorld {
 public:
  FakeWorld() { fake_.files.PutFolder(scratch_); }
  platform::Machine& Machine() override { return fake_.Get(); }
  const std::string& Scratch() const override { return scratch_; }
  const std::string& ScratchApplication() const override { return application_; }
  void PlantFile(std::string_view path, std::string_view bytes, std::uint32_t attributes) override {
    fake_.files.PutFile(path, bytes, attributes);
  }
  // The fake makes no 8.3 names: the unit tests give them where they matter.
  std::string ShortPath(std::string_view path) override { return std::string(path); }
  void HoldOpenExclusively(std::string_view path) override {
    fake_.files.Lock(path);
    held_.emplace_back(path);
  }
  void ReleaseAll() override {
    for (const auto& path : held_) fake_.files.Lock(path, false);
    held_.clear();
  }
  std::uint32_t OwnProcessId() override { return ownId_; }

 private:
  FakeMachine fake_;
  std::string scratch_ = "C:\\Scratch\\Contract";
  std::string application_ = "KestrianContract";
  std::vector<std::string> held_;
  std::uint32_t ownId_ = fake_.processes.Start("contract_tests.exe", "C:\\Tests\\contract_tests.exe");
};
}  // namespace

std::unique_ptr<ContractWorld> MakeContractWorld() { return std::make_unique<FakeWorld>(); }

}  // namespace kestrian::testing
