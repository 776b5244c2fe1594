// What the scanners need of the machine: the registry tests of the registry scan, running
// processes, the shell's special folders and the operating system family. Every case runs
// against the fake machine natively and against the real services under Wine.
#include <gtest/gtest.h>

#include <algorithm>
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

TEST_F(ScanPlatformContract, OnlyStringExpandableAndDoubleWordValuesExistForTheScan) {
  const struct {
    const char* name;
    RegistryValue value;
    bool exists;
    const char* text;
  } cases[] = {
      {"Text", RegistryValue::String("hello"), true, "hello"},
      {"Empty", RegistryValue::String(""), true, ""},
      {"Expand", {value_types::kExpandString, std::string("%windir%\0", 9)}, true, "%windir%"},
      {"Number", RegistryValue::Dword(4000000000u), true, "4000000000"},
      {"Bytes", {value_types::kBinary, std::string("\x01\x02", 2)}, false, ""},
      {"Multi", {value_types::kMultiString, std::string("a\0\0", 3)}, false, ""},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(machine.registry.SetValue(roots::kCurrentUser, Key("Values"), c.name, c.value), kOk);
  }
  for (const auto& c : cases) {
    std::string data = "0";
    EXPECT_EQ(core::ValueExists(machine.registry, roots::kCurrentUser, Key("Values"), c.name, data),
              c.exists) << c.name;
    if (c.exists) {
      EXPECT_EQ(data, c.text) << c.name;
    }
  }
  std::string data;
  EXPECT_FALSE(core::ValueExists(machine.registry, roots::kCurrentUser, Key("Values"), "Absent", data));
  EXPECT_TRUE(core::KeyExists(machine.registry, roots::kCurrentUser, Key("Values")));
  EXPECT_FALSE(core::KeyExists(machine.registry, roots::kCurrentUser, Key("Absent")));
  EXPECT_FALSE(core::KeyExists(machine.registry, roots::kNone, "Software"));
}

TEST_F(ScanPlatformContract, SetValueWritesNumbersAsDoubleWordsAndTextTrimmed) {
  core::SetValue(machine.registry, roots::kCurrentUser, Key("Set"), "Number", "42");
  core::SetValue(machine.registry, roots::kCurrentUser, Key("Set"), "Text", "  C:\\App\\app.exe  ");
  RegistryValue value;
  ASSERT_EQ(machine.registry.QueryValue(roots::kCurrentUser, Key("Set"), key_access::kRead, "Number", value), kOk);
  EXPECT_EQ(value, RegistryValue::Dword(42));
  ASSERT_EQ(machine.registry.QueryValue(roots::kCurrentUser, Key("Set"), key_access::kRead, "Text", value), kOk);
  EXPECT_EQ(value, RegistryValue::String("C:\\App\\app.exe"));
}

TEST_F(ScanPlatformContract, TheStringReaderTakesOnlyStringsThatFitItsBuffer) {
  const std::string fits(core::kRegistryStringBytes - 1, 'a');  // and its terminating zero
  const struct {
    const char* name;
    RegistryValue value;
    bool read;
    std::string_view text;
  } cases[] = {
      {"Text", RegistryValue::String("http://a.example/"), true, "http://a.example/"},
      {"Empty", RegistryValue::String(""), true, ""},
      {"Fits", RegistryValue::String(fits), true, fits},
      {"TooLong", RegistryValue::String(fits + "a"), false, ""},
      {"Expand", {value_types::kExpandString, std::string("%windir%\0", 9)}, true, ""},
      {"Number", RegistryValue::Dword(7), true, ""},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(machine.registry.SetValue(roots::kCurrentUser, Key("Read"), c.name, c.value), kOk);
  }
  for (const auto& c : cases) {
    std::string text = "stale";
    EXPECT_EQ(core::ReadRegistryString(machine.registry, roots::kCurrentUser, Key("Read"), c.name, text),
              c.read) << c.name;
    EXPECT_EQ(text, c.text) << c.name;
  }
  std::string text = "stale";
  EXPECT_FALSE(core::ReadRegistryString(machine.registry, roots::kCurrentUser, Key("Read"), "Absent", text));
  EXPECT_EQ(text, "");
  text = "stale";
  EXPECT_FALSE(core::ReadRegistryString(machine.registry, roots::kCurrentUser, Key("Absent"), "Text", text));
  EXPECT_EQ(text, "");
}

TEST_F(ScanPlatformContract, TheUserValueWriterWritesOnlyIntoAKeyThatExists) {
  ASSERT_EQ(machine.registry.SetValue(roots::kCurrentUser, Key("Write"), "Other", RegistryValue::Dword(1)), kOk);
  core::WriteUserRegistryValue(machine.registry, Key("Write"), "Page", "http://a.example/", value_types::kString);
  core::WriteUserRegistryValue(machine.registry, Key("Write"), "Number", "42", value_types::kDword);
  core::WriteUserRegistryValue(machine.registry, Key("Write"), "NotANumber", "x", value_types::kDword);
  core::WriteUserRegistryValue(machine.registry, Key("Write"), "Bytes", "x", value_types::kBinary);
  core::WriteUserRegistryValue(machine.registry, Key("Missing"), "Page", "x", value_types::kString);
  RegistryValue value;
  ASSERT_EQ(machine.registry.QueryValue(roots::kCurrentUser, Key("Write"), key_access::kRead, "Page", value), kOk);
  EXPECT_EQ(value, RegistryValue::String("http://a.example/"));
  ASSERT_EQ(machine.registry.QueryValue(roots::kCurrentUser, Key("Write"), key_access::kRead, "Number", value), kOk);
  EXPECT_EQ(value, RegistryValue::Dword(42));
  EXPECT_NE(machine.registry.QueryValue(roots::kCurrentUser, Key("Write"), key_access::kRead, "NotANumber", value), kOk);
  EXPECT_NE(machine.registry.QueryValue(roots::kCurrentUser, Key("Write"), key_access::kRead, "Bytes", value), kOk);
  EXPECT_FALSE(core::KeyExists(machine.registry, roots::kCurrentUser, Key("Missing")));
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
