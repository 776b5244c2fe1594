// The platform services' contract, and what the core and the scan read through them: every
// case runs against the fake machine natively and against the real Win32 services under Wine.
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "contract/contract_world.h"
#include "core/definition_files.h"
#include "core/file_tests.h"
#include "core/registry_access.h"
#include "core/settings_store.h"
#include "core/text.h"
#include "support/scripted_host.h"

namespace kestrian::testing {
namespace {

using namespace platform;

class PlatformContract : public ::testing::Test {
 protected:
  std::unique_ptr<ContractWorld> world = MakeContractWorld();
  Registry& registry = world->Machine().registry;
  FileSystem& files = world->Machine().files;
  Processes& processes = world->Machine().processes;
  std::string Path(std::string_view name) const { return world->Scratch() + "\\" + std::string(name); }
  std::string Key(std::string_view sub = {}) const {
    return sub.empty() ? world->ScratchKey() : world->ScratchKey() + "\\" + std::string(sub);
  }
};

// Values keep their type and bytes. The scan's value test admits strings, expandable strings
// and double words; the string reader takes only strings that fit its buffer and leaves
// nothing stale behind.
TEST_F(PlatformContract, ValuesKeepTheirTypeAndBytesAndTheScanReadsWhatItShould) {
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
      {"Expand", {value_types::kExpandString, std::string("%windir%\\x\0", 11)}, true, "%windir%\\x", true, ""},
      {"Number", RegistryValue::Dword(4000000000u), true, "4000000000", true, ""},
      {"Bytes", {value_types::kBinary, std::string("\x00\xff\x10", 3)}, false, nullptr, true, ""},
      {"Multi", {value_types::kMultiString, std::string("a\0b\0\0", 5)}, false, nullptr, true, ""},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(registry.SetValue(roots::kCurrentUser, Key("Values"), c.name, c.value), kOk) << c.name;
  }
  for (const auto& c : cases) {
    RegistryValue read;
    EXPECT_EQ(registry.QueryValue(roots::kCurrentUser, Key("Values"), key_access::kQueryValue, c.name, read), kOk);
    EXPECT_EQ(read, c.value) << c.name;
    std::string data = "0";
    EXPECT_EQ(core::ValueExists(registry, roots::kCurrentUser, Key("Values"), c.name, data), c.exists) << c.name;
    EXPECT_TRUE(c.text == nullptr || data == c.text) << c.name << ": " << data;
    std::string text = "stale";
    if (c.value.type == value_types::kBinary || c.value.type == value_types::kMultiString) continue;
    EXPECT_EQ(core::ReadRegistryString(registry, roots::kCurrentUser, Key("Values"), c.name, text), c.read) << c.name;
    EXPECT_EQ(text, c.readText) << c.name;
  }
  std::string text = "stale";
  EXPECT_FALSE(core::ValueExists(registry, roots::kCurrentUser, Key("Values"), "Absent", text));
  EXPECT_FALSE(core::ReadRegistryString(registry, roots::kCurrentUser, Key("Values"), "Absent", text));
  EXPECT_EQ(text, "");
  text = "stale";
  EXPECT_FALSE(core::ReadRegistryString(registry, roots::kCurrentUser, Key("Absent"), "Text", text));
  EXPECT_EQ(text, "");
  EXPECT_TRUE(core::KeyExists(registry, roots::kCurrentUser, Key("Values")));
  EXPECT_FALSE(core::KeyExists(registry, roots::kCurrentUser, Key("Absent")));
  EXPECT_FALSE(core::KeyExists(registry, roots::kNone, "Software"));
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

// The scan's writer makes numbers double words and trims text; the user value writer writes
// only into a key that exists, and only what its type can hold.
TEST_F(PlatformContract, TheWritersWriteTheRightTypesWhereTheyMay) {
  core::SetValue(registry, roots::kCurrentUser, Key("Write"), "Count", "42");
  core::SetValue(registry, roots::kCurrentUser, Key("Write"), "Path", "  C:\\App\\app.exe  ");
  core::WriteUserRegistryValue(registry, Key("Write"), "Page", "http://a.example/", value_types::kString);
  core::WriteUserRegistryValue(registry, Key("Write"), "Number", "42", value_types::kDword);
  core::WriteUserRegistryValue(registry, Key("Write"), "NotANumber", "x", value_types::kDword);
  core::WriteUserRegistryValue(registry, Key("Write"), "Bytes", "x", value_types::kBinary);
  core::WriteUserRegistryValue(registry, Key("Missing"), "Page", "x", value_types::kString);
  const std::pair<const char*, std::optional<RegistryValue>> written[] = {
      {"Count", RegistryValue::Dword(42)}, {"Path", RegistryValue::String("C:\\App\\app.exe")},
      {"Page", RegistryValue::String("http://a.example/")}, {"Number", RegistryValue::Dword(42)},
      {"NotANumber", std::nullopt}, {"Bytes", std::nullopt}};
  for (const auto& [name, expected] : written) {
    RegistryValue value;
    const bool found = registry.QueryValue(roots::kCurrentUser, Key("Write"), key_access::kRead, name, value) == kOk;
    EXPECT_EQ(found ? std::optional(value) : std::nullopt, expected) << name;
  }
  EXPECT_FALSE(core::KeyExists(registry, roots::kCurrentUser, Key("Missing")));
}

TEST_F(PlatformContract, DirectorySearchReportsNamesAndAttributes) {
  const struct {
    const char* name;
    std::uint32_t attributes;
  } planted[] = {{"Normal.txt", attributes::kArchive},
                 {"Hidden.txt", attributes::kHidden | attributes::kArchive},
                 {"System.txt", attributes::kSystem | attributes::kArchive},
                 {"ReadOnly.txt", attributes::kReadOnly | attributes::kArchive}};
  for (const auto& p : planted) world->PlantFile(Path(p.name), "x", p.attributes);
  files.CreateFolder(Path("Folder"));

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

TEST_F(PlatformContract, ReadAllGivesTheExactBytesOrSaysWhyNotAndWriteAppendCopyAndDelete) {
  const std::string bytes("one\r\ntwo\rthree\nfour\x00\xc0\xfd\xff", 22);
  world->PlantFile(Path("data.dat"), bytes, attributes::kArchive);
  world->PlantFile(Path("empty.dat"), "", attributes::kArchive);
  EXPECT_EQ(files.ReadAll(Path("DATA.DAT")).value_or("<failed>"), bytes);
  EXPECT_EQ(files.ReadAll(Path("empty.dat")).value_or("<failed>"), "");
  EXPECT_EQ(files.ReadAll(Path("absent.dat")).status(), kFileNotFound);
  EXPECT_FALSE(files.ReadAll(Path("NoFolder\\absent.dat")).ok());
  files.CreateFolder(Path("AFolder"));
  EXPECT_FALSE(files.ReadAll(Path("AFolder")).ok());
  world->HoldOpenExclusively(Path("data.dat"));
  EXPECT_EQ(files.ReadAll(Path("data.dat")).status(), kSharingViolation);

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

// Every form of a path names the same file once resolved: short 8.3 names, the "\\?\" and
// "\\.\" prefixes, "." and ".." parts; a missing file keeps its name after its resolved
// folder; a name no path may hold cannot be resolved.
TEST_F(PlatformContract, ResolvedPathsNameTheFileAsWindowsDoes) {
  const std::string folder = Path("Long Folder Name");
  const std::string file = folder + "\\long file name.txt";
  files.CreateFolder(folder);
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

// A process that does not exist cannot be ended and counts as ended. The general date format
// writes a date and time of exactly midnight as the date alone, and reads back what it writes.
TEST_F(PlatformContract, AProcessThatDoesNotExistAndGeneralDatesAtMidnight) {
  constexpr std::uint32_t kNoSuchProcess = 0x7FFFFFF0;
  EXPECT_FALSE(processes.MainModulePath(kNoSuchProcess).ok());
  EXPECT_FALSE(processes.Terminate(kNoSuchProcess, 0));
  EXPECT_TRUE(processes.WaitForEnd(kNoSuchProcess, 1));
  EXPECT_FALSE(processes.WaitForEnd(world->OwnProcessId(), 1));

  Clock& clock = world->Machine().clock;
  const DateTime midnight{2026, 12, 6, 0, 0, 0};
  const std::string noon = clock.GeneralDateText({2026, 12, 6, 12, 0, 0});
  EXPECT_EQ(clock.GeneralDateText(midnight), noon.substr(0, noon.find(' ')));
  for (const DateTime& value : {midnight, DateTime{2026, 12, 6, 0, 0, 1}}) {
    EXPECT_EQ(clock.ParseDateText(clock.GeneralDateText(value)), value);
  }
}

class CoreOnPlatform : public PlatformContract {
 protected:
  core::ApplicationFolder folder{world->Scratch()};
  ScriptedHost host;
  core::SettingsStore settings{registry, world->ScratchApplication()};
  std::string exclusions = "stale";  // what the install leaves of the exclusions
  void Plant(std::string_view name, std::string_view bytes, std::uint32_t attributes = attributes::kArchive) {
    world->PlantFile(folder.FilePath(name), bytes, attributes);
  }
  std::string Read(std::string_view name) { return files.ReadAll(folder.FilePath(name)).value_or("<missing>"); }
  std::vector<core::DefinitionFileKind> Install() {
    return core::InstallDownloadedDefinitions(files, folder, settings, host,
                                              [](std::string_view, std::string_view content) { return content != "bad"; },
                                              exclusions);
  }
};

TEST_F(CoreOnPlatform, FileExistsAdmitsOnlyNormalFiles) {
  Plant("normal.dat", "x");
  Plant("readonly.dat", "x", attributes::kReadOnly);
  Plant("hidden.dat", "x", attributes::kHidden);
  Plant("system.dat", "x", attributes::kSystem);
  files.CreateFolder(folder.FilePath("folder.dat"));
  const struct {
    const char* name;
    bool exists;
  } cases[] = {{"normal.dat", true},  {"NORMAL.DAT", true},  {"readonly.dat", true},
               {"hidden.dat", false}, {"system.dat", false}, {"folder.dat", false},
               {"missing.dat", false}, {"*.dat", false},     {"", false}};
  for (const auto& c : cases) {
    EXPECT_EQ(core::FileExists(files, folder.FilePath(c.name)), c.exists) << c.name;
  }
  EXPECT_FALSE(core::FileExists(files, ""));
}

TEST_F(CoreOnPlatform, DownloadedDefinitionsReplaceTheCurrentOnes) {
  Plant("FileDefinition.dat", "old");
  Plant("DLFileDefinition.dat", "new");
  Plant("DLRegistryDefinition.dat", "registry");
  Plant("ExeDefinition.dat", "exe");
  Plant("ENoSignature.txt", "first \r\n  second\r\n");
  Install();
  EXPECT_EQ(Read("FileDefinition.dat"), "new");
  EXPECT_EQ(Read("RegistryDefinition.dat"), "registry");
  EXPECT_EQ(Read("ExeDefinition.dat"), "exe");
  EXPECT_TRUE(files.Find(folder.FilePath("DLFileDefinition.dat")).empty());
  EXPECT_TRUE(files.Find(folder.FilePath("DLRegistryDefinition.dat")).empty());
  EXPECT_TRUE(files.Find(folder.FilePath("BlockedCookies.dat")).empty());
  EXPECT_EQ(exclusions, "second\r\nfirst\r\n");
  // The replaced file is the previous generation, which a rollback puts back.
  EXPECT_EQ(Read("FileDefinition.dat.previous"), "old");
  EXPECT_EQ(Read("RegistryDefinition.dat.previous"), "<missing>");
  EXPECT_EQ(core::RollBackDefinitions(files, folder, settings).size(), 1u);
  EXPECT_EQ(Read("FileDefinition.dat"), "old");
  EXPECT_EQ(Read("FileDefinition.dat.previous"), "<missing>");
}

TEST_F(CoreOnPlatform, ADownloadThatFailsItsTestLoadIsSetAsideAndAHiddenOneLeftAlone) {
  Plant("ExeDefinition.dat", "old");
  Plant("DLExeDefinition.dat", "bad");
  Plant("DLExeDefinition.dat.rejected", "an earlier one");
  Plant("FileDefinition.dat", "old");
  Plant("DLFileDefinition.dat", "new", attributes::kHidden);
  EXPECT_EQ(Install().size(), 1u);
  EXPECT_EQ(Read("ExeDefinition.dat"), "old");
  EXPECT_EQ(Read("DLExeDefinition.dat"), "<missing>");
  EXPECT_EQ(Read("DLExeDefinition.dat.rejected"), "bad");
  EXPECT_EQ(Read("ExeDefinition.dat.previous"), "<missing>");
  EXPECT_EQ(Read("FileDefinition.dat"), "old");
}

TEST_F(CoreOnPlatform, AnInstallThatCannotMoveKeepsBothFiles) {
  Plant("BlockedCookies.dat", "old");
  Plant("DLBlockedCookies.dat", "new");
  Plant("DLFileDefinition.dat", "new");
  world->HoldOpenExclusively(folder.FilePath("BlockedCookies.dat"));
  world->HoldOpenExclusively(folder.FilePath("DLFileDefinition.dat"));  // unreadable: it waits too
  EXPECT_TRUE(Install().empty());
  world->ReleaseAll();
  EXPECT_EQ(Read("BlockedCookies.dat"), "old");
  EXPECT_EQ(Read("DLBlockedCookies.dat"), "new");
  EXPECT_EQ(Read("DLFileDefinition.dat"), "new");
  EXPECT_EQ(exclusions, "");
  // The next start installs them.
  Install();
  EXPECT_EQ(Read("BlockedCookies.dat"), "new");
  EXPECT_EQ(Read("FileDefinition.dat"), "new");
}

// Unreadable files count as empty and the rest goes on.
TEST_F(CoreOnPlatform, CountingAndPresenceOfDefinitionFilesReadableOrNot) {
  Plant("BlockedCookies.dat", "a\r\nb\r\n");
  Plant("ExeDefinition.dat", "a\rb\rc");
  Plant("RegistryDefinition.dat", "a\nb\nc\n");
  Plant("FileDefinition.dat", "x\r\n\r\n\r\ny", attributes::kHidden);
  core::DefinitionCounts counts;
  counts.total = 99;
  EXPECT_EQ(core::CountDefinitionLines(files, folder, counts), 6);
  EXPECT_EQ(counts.cookies, 2);
  EXPECT_EQ(counts.executables, 3);
  EXPECT_EQ(counts.registry, 1);
  EXPECT_EQ(counts.files, 0);
  EXPECT_FALSE(core::DefinitionFilesPresent(files, folder));
  Plant("FileDefinition.dat", "x", attributes::kArchive);
  EXPECT_TRUE(core::DefinitionFilesPresent(files, folder));

  Plant("ENoSignature.txt", "C:\\x.exe\r\n");
  world->HoldOpenExclusively(folder.FilePath("BlockedCookies.dat"));
  world->HoldOpenExclusively(folder.FilePath("ENoSignature.txt"));
  EXPECT_EQ(core::CountDefinitionLines(files, folder, counts), 5);
  EXPECT_EQ(counts.cookies, 0);
  EXPECT_EQ(counts.executables, 3);
  Install();
  EXPECT_EQ(exclusions, "");
  world->ReleaseAll();
  Install();
  EXPECT_EQ(exclusions, "C:\\x.exe\r\n");
}

// Defaults, keys whatever their case, and a value that is no text read as the default.
TEST_F(CoreOnPlatform, SettingsStoreDefaultsAndCaseInsensitiveKeys) {
  EXPECT_EQ(settings.Get(core::settings::kLastScan), "Never");
  EXPECT_EQ(settings.Get(core::settings::kMemoryShieldOn), "True");
  EXPECT_EQ(settings.Save(core::settings::kExeDefinitionVersion, "51"), kOk);
  EXPECT_EQ(settings.Get("optionandsettings", "EXEDEFINITION", "43"), "51");
  settings.Save("OPTIONANDSETTINGS", "ExeDefinition", "52");
  EXPECT_EQ(settings.Get(core::settings::kExeDefinitionVersion), "52");
  EXPECT_EQ(settings.Get(core::settings::kLastFullScan), "Never");
  registry.SetValue(roots::kCurrentUser, core::SettingsStore::SectionPath(world->ScratchApplication(), "Settings"),
                    "lblDefRemoved", RegistryValue::Dword(7));
  EXPECT_EQ(settings.Get(core::settings::kDefinitionsRemoved), "0");
}

}  // namespace
}  // namespace kestrian::testing
