// The platform services' contract: every case runs against the fake machine natively and
// against the real Win32 services under Wine.
#include <gtest/gtest.h>

#include "contract/contract_world.h"
#include "core/text.h"

namespace kestrian::testing {
namespace {

using namespace platform;

class PlatformContract : public ::testing::Test {
 protected:
  std::unique_ptr<ContractWorld> world = MakeContractWorld();
  Registry& registry = world->Machine().registry;
  FileSystem& files = world->Machine().files;
  std::string Path(std::string_view name) const { return world->Scratch() + "\\" + std::string(name); }
  std::string Key(std::string_view sub = {}) const {
    return sub.empty() ? world->ScratchKey() : world->ScratchKey() + "\\" + std::string(sub);
  }
};

// ------------------------------------------------------------------ registry

TEST_F(PlatformContract, ValuesKeepTheirTypeAndBytes) {
  const struct {
    const char* name;
    RegistryValue value;
  } cases[] = {
      {"Text", RegistryValue::String("hello")},
      {"Empty", RegistryValue::String("")},
      {"Expand", {value_types::kExpandString, std::string("%windir%\\x\0", 11)}},
      {"Number", RegistryValue::Dword(0x01020304)},
      {"Bytes", {value_types::kBinary, std::string("\x00\xff\x10", 3)}},
      {"Multi", {value_types::kMultiString, std::string("a\0b\0\0", 5)}},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(registry.SetValue(roots::kCurrentUser, Key("Types"), c.name, c.value), kOk) << c.name;
  }
  for (const auto& c : cases) {
    RegistryValue read;
    EXPECT_EQ(registry.QueryValue(roots::kCurrentUser, Key("Types"), key_access::kQueryValue, c.name, read), kOk);
    EXPECT_EQ(read, c.value) << c.name;
  }
}

// Names ignore case, missing keys and values are not found, trees go whole.
TEST_F(PlatformContract, KeysAndValuesByNameWhateverTheirCase) {
  const auto query = [&](const std::string& key, const char* name, RegistryValue& read) {
    return registry.QueryValue(roots::kCurrentUser, key, key_access::kQueryValue, name, read);
  };
  RegistryValue read;
  ASSERT_EQ(registry.SetValue(roots::kCurrentUser, Key("Mixed"), "EXEDefinition", RegistryValue::String("44")), kOk);
  ASSERT_EQ(registry.SetValue(roots::kCurrentUser, Key("mixed"), "ExeDefinition", RegistryValue::String("45")), kOk);
  EXPECT_EQ(query(Key("MIXED"), "exedefinition", read), kOk);
  EXPECT_EQ(read, RegistryValue::String("45"));
  EXPECT_EQ(registry.OpenKey(roots::kCurrentUser, Key("Mixed"), 0x3F), kOk);
  EXPECT_EQ(registry.OpenKey(roots::kCurrentUser, Key("Mixed\\"), key_access::kRead), kOk);

  EXPECT_EQ(registry.OpenKey(roots::kCurrentUser, Key("Absent"), key_access::kRead), kFileNotFound);
  EXPECT_EQ(query(Key("Absent"), "x", read), kFileNotFound);
  EXPECT_EQ(query(Key("Mixed"), "b", read), kFileNotFound);
  EXPECT_EQ(read.type, value_types::kNone);
  EXPECT_NE(registry.OpenKey(roots::kNone, "Software", key_access::kRead), kOk);

  ASSERT_EQ(registry.SetValue(roots::kCurrentUser, Key("Tree\\Sub\\Leaf"), "v", RegistryValue::String("x")), kOk);
  ASSERT_EQ(registry.SetValue(roots::kCurrentUser, Key("Tree"), "w", RegistryValue::String("y")), kOk);
  EXPECT_EQ(registry.DeleteValue(roots::kCurrentUser, Key("Tree"), "W"), kOk);
  EXPECT_EQ(registry.DeleteValue(roots::kCurrentUser, Key("Tree"), "w"), kFileNotFound);
  EXPECT_EQ(registry.DeleteTree(roots::kCurrentUser, Key("TREE")), kOk);
  EXPECT_EQ(registry.OpenKey(roots::kCurrentUser, Key("Tree\\Sub\\Leaf"), key_access::kRead), kFileNotFound);
  EXPECT_EQ(registry.OpenKey(roots::kCurrentUser, Key("Tree"), key_access::kRead), kFileNotFound);
  EXPECT_EQ(registry.OpenKey(roots::kCurrentUser, Key(), key_access::kRead), kOk);
}

// ------------------------------------------------------------------ files

TEST_F(PlatformContract, DirectorySearchReportsNamesAndAttributes) {
  const struct {
    const char* name;
    std::uint32_t attributes;
  } planted[] = {{"Normal.txt", attributes::kArchive},
                 {"Hidden.txt", attributes::kHidden | attributes::kArchive},
                 {"System.txt", attributes::kSystem | attributes::kArchive},
                 {"ReadOnly.txt", attributes::kReadOnly | attributes::kArchive}};
  for (const auto& p : planted) world->PlantFile(Path(p.name), "x", p.attributes);
  world->PlantFolder(Path("Folder"));

  for (const auto& p : planted) {
    const auto found = files.Find(Path(p.name));
    ASSERT_EQ(found.size(), 1u) << p.name;
    EXPECT_EQ(found[0].name, p.name);
    EXPECT_EQ(found[0].attributes & 0x37, p.attributes & 0x37) << p.name;
  }
  const auto folder = files.Find(Path("FOLDER"));
  ASSERT_EQ(folder.size(), 1u);
  EXPECT_EQ(folder[0].name, "Folder");
  EXPECT_NE(folder[0].attributes & attributes::kDirectory, 0u);

  EXPECT_EQ(files.Find(Path("normal.TXT")).at(0).name, "Normal.txt");
  EXPECT_EQ(files.Find(Path("*.txt")).size(), 4u);
  EXPECT_EQ(files.Find(Path("N?rmal.txt")).size(), 1u);
  EXPECT_TRUE(files.Find(Path("Absent.txt")).empty());
  EXPECT_TRUE(files.Find(Path("NoFolder\\Normal.txt")).empty());
  EXPECT_TRUE(files.Find(Path("Folder\\")).empty());
}

TEST_F(PlatformContract, ReadAllGivesTheExactBytesOrSaysWhyNot) {
  const std::string bytes("one\r\ntwo\rthree\nfour\x00\xc0\xfd\xff", 22);
  world->PlantFile(Path("data.dat"), bytes, attributes::kArchive);
  world->PlantFile(Path("empty.dat"), "", attributes::kArchive);
  EXPECT_EQ(files.ReadAll(Path("DATA.DAT")).value_or("<failed>"), bytes);
  EXPECT_EQ(files.ReadAll(Path("empty.dat")).value_or("<failed>"), "");
  EXPECT_EQ(files.ReadAll(Path("absent.dat")).status(), kFileNotFound);
  EXPECT_FALSE(files.ReadAll(Path("NoFolder\\absent.dat")).ok());
  world->PlantFolder(Path("AFolder"));
  EXPECT_FALSE(files.ReadAll(Path("AFolder")).ok());
  world->HoldOpenExclusively(Path("data.dat"));
  EXPECT_EQ(files.ReadAll(Path("data.dat")).status(), kSharingViolation);
}

TEST_F(PlatformContract, WriteAppendAndCopy) {
  EXPECT_EQ(files.Append(Path("log.txt"), "a\r\n"), kOk);
  EXPECT_EQ(files.Append(Path("log.txt"), "b\r\n"), kOk);
  EXPECT_EQ(files.ReadAll(Path("log.txt")).value(), "a\r\nb\r\n");
  EXPECT_EQ(files.WriteAll(Path("log.txt"), "c"), kOk);
  EXPECT_EQ(files.ReadAll(Path("log.txt")).value(), "c");
  EXPECT_EQ(files.Copy(Path("log.txt"), Path("copy.txt"), true), kOk);
  EXPECT_EQ(files.Copy(Path("log.txt"), Path("copy.txt"), true), kFileAlreadyExists);
  EXPECT_EQ(files.ReadAll(Path("copy.txt")).value(), "c");
  EXPECT_NE(files.WriteAll(Path("NoFolder\\x.txt"), "x"), kOk);
  EXPECT_EQ(files.CreateFolder(Path("New")), kOk);
  EXPECT_EQ(files.CreateFolder(Path("New")), kAlreadyExists);
  EXPECT_EQ(files.Delete(Path("copy.txt")), kOk);
  EXPECT_EQ(files.Delete(Path("copy.txt")), kFileNotFound);
  // A read-only file is deleted only once it lost the attribute.
  world->PlantFile(Path("kept.txt"), "k", attributes::kReadOnly | attributes::kArchive);
  EXPECT_EQ(files.Delete(Path("kept.txt")), kAccessDenied);
  EXPECT_EQ(files.ClearReadOnly(Path("kept.txt")), kOk);
  EXPECT_EQ(files.Find(Path("kept.txt")).at(0).attributes, attributes::kArchive);
  EXPECT_EQ(files.Delete(Path("kept.txt")), kOk);
  EXPECT_EQ(files.ClearReadOnly(Path("kept.txt")), kFileNotFound);
}

TEST_F(PlatformContract, MoveReplacingIsAllOrNothing) {
  world->PlantFile(Path("DLfile.dat"), "new", attributes::kArchive);
  world->PlantFile(Path("file.dat"), "old", attributes::kArchive);
  EXPECT_EQ(files.MoveReplacing(Path("DLfile.dat"), Path("file.dat")), kOk);
  EXPECT_EQ(files.ReadAll(Path("file.dat")).value(), "new");
  EXPECT_TRUE(files.Find(Path("DLfile.dat")).empty());

  EXPECT_NE(files.MoveReplacing(Path("DLfile.dat"), Path("file.dat")), kOk);
  EXPECT_EQ(files.ReadAll(Path("file.dat")).value(), "new");

  world->PlantFile(Path("DLfile.dat"), "newer", attributes::kArchive);
  for (const bool sharingReads : {false, true}) {  // a held target stays, and so does the source
    sharingReads ? world->HoldOpenSharingReads(Path("file.dat")) : world->HoldOpenExclusively(Path("file.dat"));
    EXPECT_NE(files.MoveReplacing(Path("DLfile.dat"), Path("file.dat")), kOk);
    world->ReleaseAll();
    EXPECT_EQ(files.ReadAll(Path("file.dat")).value(), "new");
    EXPECT_EQ(files.ReadAll(Path("DLfile.dat")).value(), "newer");
  }
}

// Every form of a path names the same file once resolved: short 8.3 names, the "\\?\" and
// "\\.\" prefixes, "." and ".." parts; a missing file keeps its name after its resolved
// folder; a name no path may hold cannot be resolved.
TEST_F(PlatformContract, ResolvedPathsNameTheFileAsWindowsDoes) {
  const std::string folder = Path("Long Folder Name");
  const std::string file = folder + "\\long file name.txt";
  world->PlantFolder(folder);
  world->PlantFile(file, "x", attributes::kArchive);
  const std::string shortFolder = world->ShortPath(folder);
  ASSERT_FALSE(shortFolder.empty());
  const auto expected = files.ResolvedPath(file);
  ASSERT_TRUE(expected.ok());
  EXPECT_TRUE(core::EqualsIgnoringCase(expected.value(), file)) << expected.value();
  for (const std::string& form :
       {shortFolder + "\\long file name.txt", "\\\\?\\" + file, "\\\\.\\" + file,
        "\\\\?\\" + shortFolder + "\\long file name.txt", folder + "\\.\\sub\\..\\long file name.txt"}) {
    const auto resolved = files.ResolvedPath(form);
    ASSERT_TRUE(resolved.ok()) << form;
    EXPECT_TRUE(core::EqualsIgnoringCase(resolved.value(), expected.value())) << form << " -> " << resolved.value();
  }
  const auto missing = files.ResolvedPath(shortFolder + "\\not there\\x.dat");
  ASSERT_TRUE(missing.ok());
  EXPECT_TRUE(core::EqualsIgnoringCase(missing.value(), folder + "\\not there\\x.dat")) << missing.value();
  EXPECT_FALSE(files.ResolvedPath(folder + "\\a|b").ok());
}

// ------------------------------------------------------------------ clock

// The general date format writes a date and time of exactly midnight as the date alone, and
// reads back what it writes.
TEST_F(PlatformContract, GeneralDatesAtMidnightShowTheDateAlone) {
  Clock& clock = world->Machine().clock;
  const DateTime midnight{2026, 12, 6, 0, 0, 0};
  const std::string noon = clock.GeneralDateText({2026, 12, 6, 12, 0, 0});
  EXPECT_EQ(clock.GeneralDateText(midnight), noon.substr(0, noon.find(' ')));
  for (const DateTime& value : {midnight, DateTime{2026, 12, 6, 0, 0, 1}}) {
    EXPECT_EQ(clock.ParseDateText(clock.GeneralDateText(value)), value);
  }
}

}  // namespace
}  // namespace kestrian::testing
