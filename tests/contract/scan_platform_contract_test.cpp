// What the scanners need of the machine: the registry tests of the registry scan, running
// processes, the shell's special folders and the operating system family. Every case runs
// against the fake machine natively and against the real services under Wine.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "contract/contract_world.h"
#include "core/file_tests.h"
#include "core/registry_access.h"
#include "core/text.h"
#include "scan/process_names.h"

namespace kestrian::testing {
namespace {

using namespace platform;

class ScanPlatformContract : public ::testing::Test {
 protected:
  std::unique_ptr<ContractWorld> world = MakeContractWorld();
  platform::Machine& machine = world->Machine();
  std::string Key(std::string_view sub) const { return world->ScratchKey() + "\\" + std::string(sub); }
};

// The scan's value test admits strings, expandable strings and double words; the string
// reader takes only strings that fit its buffer and leaves nothing stale behind.
TEST_F(ScanPlatformContract, TheScansValueTestAndStringReaderTakeWhatTheyShould) {
  const std::string fits(core::kRegistryStringBytes - 1, 'a');  // and its terminating zero
  const struct {
    const char* name;
    RegistryValue value;
    bool exists;
    const char* text;  // as the value test gives it
    bool read;
    std::string_view readText;
  } cases[] = {
      {"Text", RegistryValue::String("http://a.example/"), true, "http://a.example/", true, "http://a.example/"},
      {"Empty", RegistryValue::String(""), true, "", true, ""},
      {"Fits", RegistryValue::String(fits), true, fits.c_str(), true, fits},
      {"TooLong", RegistryValue::String(fits + "a"), true, nullptr, false, ""},
      {"Expand", {value_types::kExpandString, std::string("%windir%\0", 9)}, true, "%windir%", true, ""},
      {"Number", RegistryValue::Dword(4000000000u), true, "4000000000", true, ""},
      {"Bytes", {value_types::kBinary, std::string("\x01\x02", 2)}, false, nullptr, true, ""},
      {"Multi", {value_types::kMultiString, std::string("a\0\0", 3)}, false, nullptr, true, ""},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(machine.registry.SetValue(roots::kCurrentUser, Key("Values"), c.name, c.value), kOk);
  }
  for (const auto& c : cases) {
    std::string data = "0";
    EXPECT_EQ(core::ValueExists(machine.registry, roots::kCurrentUser, Key("Values"), c.name, data), c.exists) << c.name;
    EXPECT_TRUE(c.text == nullptr || data == c.text) << c.name << ": " << data;
    std::string text = "stale";
    if (c.value.type == value_types::kBinary || c.value.type == value_types::kMultiString) continue;
    EXPECT_EQ(core::ReadRegistryString(machine.registry, roots::kCurrentUser, Key("Values"), c.name, text), c.read)
        << c.name;
    EXPECT_EQ(text, c.readText) << c.name;
  }
  std::string text = "stale";
  EXPECT_FALSE(core::ValueExists(machine.registry, roots::kCurrentUser, Key("Values"), "Absent", text));
  EXPECT_FALSE(core::ReadRegistryString(machine.registry, roots::kCurrentUser, Key("Values"), "Absent", text));
  EXPECT_EQ(text, "");
  text = "stale";
  EXPECT_FALSE(core::ReadRegistryString(machine.registry, roots::kCurrentUser, Key("Absent"), "Text", text));
  EXPECT_EQ(text, "");
  EXPECT_TRUE(core::KeyExists(machine.registry, roots::kCurrentUser, Key("Values")));
  EXPECT_FALSE(core::KeyExists(machine.registry, roots::kCurrentUser, Key("Absent")));
  EXPECT_FALSE(core::KeyExists(machine.registry, roots::kNone, "Software"));
}

// The scan's writer makes numbers double words and trims text; the user value writer writes
// only into a key that exists, and only what its type can hold.
TEST_F(ScanPlatformContract, TheWritersWriteTheRightTypesWhereTheyMay) {
  auto& registry = machine.registry;
  core::SetValue(registry, roots::kCurrentUser, Key("Write"), "Count", "42");
  core::SetValue(registry, roots::kCurrentUser, Key("Write"), "Path", "  C:\\App\\app.exe  ");
  core::WriteUserRegistryValue(registry, Key("Write"), "Page", "http://a.example/", value_types::kString);
  core::WriteUserRegistryValue(registry, Key("Write"), "Number", "42", value_types::kDword);
  core::WriteUserRegistryValue(registry, Key("Write"), "NotANumber", "x", value_types::kDword);
  core::WriteUserRegistryValue(registry, Key("Write"), "Bytes", "x", value_types::kBinary);
  core::WriteUserRegistryValue(registry, Key("Missing"), "Page", "x", value_types::kString);
  const auto read = [&](const char* name) {
    RegistryValue value;
    return registry.QueryValue(roots::kCurrentUser, Key("Write"), key_access::kRead, name, value) == kOk
               ? std::optional(value)
               : std::nullopt;
  };
  EXPECT_EQ(read("Count"), RegistryValue::Dword(42));
  EXPECT_EQ(read("Path"), RegistryValue::String("C:\\App\\app.exe"));
  EXPECT_EQ(read("Page"), RegistryValue::String("http://a.example/"));
  EXPECT_EQ(read("Number"), RegistryValue::Dword(42));
  EXPECT_EQ(read("NotANumber"), std::nullopt);
  EXPECT_EQ(read("Bytes"), std::nullopt);
  EXPECT_FALSE(core::KeyExists(registry, roots::kCurrentUser, Key("Missing")));
}

TEST_F(ScanPlatformContract, TheSnapshotHoldsThisProcessWithItsModulePath) {
  const auto entries = machine.processes.Snapshot();
  const std::uint32_t own = world->OwnProcessId();
  const std::string ownPath = world->OwnExecutablePath();
  bool listed = false;
  for (const auto& entry : entries) {
    if (entry.id != own) continue;
    listed = true;
    EXPECT_TRUE(core::EqualsIgnoringCase(core::FileNamePart(entry.exeFile), core::FileNamePart(ownPath)))
        << entry.exeFile;
  }
  EXPECT_TRUE(listed);
  const auto path = machine.processes.MainModulePath(own);
  ASSERT_TRUE(path.ok());
  EXPECT_TRUE(core::EqualsIgnoringCase(path.value(), ownPath)) << path.value();
}

TEST_F(ScanPlatformContract, APlainSnapshotNameIsTheFileNameOfTheModulePath) {
  // The process scan passes over a process whose plain snapshot name does not occur in the
  // definitions without reading its module path (scan::SnapshotRulesOutProcess). That rests
  // on this: for every process whose module path can be read and whose snapshot name is
  // plain, the name is the path's file name, without regard to case. Programs under long
  // names, one of them started through its short 8.3 path, join the processes that run.
  const std::uint32_t started[] = {
      world->StartWaitingProgram(world->Scratch() + "\\Kestrian Contract Waiting Program.exe", false),
      world->StartWaitingProgram(world->Scratch() + "\\Kestrian Contract Started Short.exe", true),
      world->StartWaitingProgram(world->Scratch() + "\\KcWait.EXE", false),
  };
  for (const auto id : started) ASSERT_NE(id, 0u);
  std::vector<std::uint32_t> readable;
  int compared = 0;
  for (const auto& entry : machine.processes.Snapshot()) {
    const auto path = machine.processes.MainModulePath(entry.id);
    if (!path.ok()) continue;
    readable.push_back(entry.id);
    if (!scan::IsPlainProcessName(entry.exeFile)) continue;  // the scan reads its module path
    ++compared;
    EXPECT_TRUE(core::EqualsIgnoringCase(entry.exeFile, scan::ProcessFileName(path.value())))
        << entry.exeFile << " runs " << path.value();
  }
  for (const auto id : started) {
    EXPECT_NE(std::find(readable.begin(), readable.end(), id), readable.end()) << id;
  }
  EXPECT_GE(compared, 3);  // this process and at least the two started under their long path
}

TEST_F(ScanPlatformContract, AProcessThatDoesNotExistCannotBeEndedAndCountsAsEnded) {
  constexpr std::uint32_t kNoSuchProcess = 0x7FFFFFF0;
  EXPECT_FALSE(machine.processes.MainModulePath(kNoSuchProcess).ok());
  EXPECT_FALSE(machine.processes.Terminate(kNoSuchProcess, 0));
  EXPECT_TRUE(machine.processes.WaitForEnd(kNoSuchProcess, 1));
  EXPECT_FALSE(machine.processes.WaitForEnd(world->OwnProcessId(), 1));
}

TEST_F(ScanPlatformContract, SpecialFoldersAndTheSystemFamily) {
  for (const int folder : {special_folders::kPrograms, special_folders::kDesktop, special_folders::kCookies}) {
    const std::string path = machine.environment.SpecialFolderPath(folder);
    EXPECT_GE(path.size(), 3u) << folder;
    EXPECT_EQ(path[1], ':') << path;
    EXPECT_NE(path.back(), '\\') << path;
  }
  EXPECT_EQ(machine.environment.SpecialFolderPath(0x7F), "");  // no such folder
  EXPECT_EQ(machine.environment.PlatformId(), platform_ids::kWindowsNt);
}

}  // namespace
}  // namespace kestrian::testing
