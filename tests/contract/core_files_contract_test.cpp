// The data-file and settings behaviour on both machines: the fake, and Windows under Wine.
#include <gtest/gtest.h>

#include "contract/contract_world.h"
#include "core/definition_files.h"
#include "core/file_tests.h"
#include "core/settings_store.h"
#include "support/scripted_host.h"

namespace kestrian::testing {
namespace {

using namespace platform;

class CoreOnPlatform : public ::testing::Test {
 protected:
  std::unique_ptr<ContractWorld> world = MakeContractWorld();
  FileSystem& files = world->Machine().files;
  core::ApplicationFolder folder{world->Scratch()};
  ScriptedHost host;
  void Plant(std::string_view name, std::string_view bytes,
             std::uint32_t attributes = attributes::kArchive) {
    world->PlantFile(folder.FilePath(name), bytes, attributes);
  }
  std::string Read(std::string_view name) {
    return files.ReadAll(folder.FilePath(name)).value_or("<missing>");
  }
  std::vector<core::DefinitionFileKind> Install(std::string& exclusions) {
    return core::InstallDownloadedDefinitions(files, folder, settings, host,
                                              [](std::string_view, std::string_view content) { return content != "bad"; },
                                              exclusions);
  }
  core::SettingsStore settings{world->Machine().registry, world->ScratchApplication()};
};

TEST_F(CoreOnPlatform, FileExistsAdmitsOnlyNormalFiles) {
  Plant("normal.dat", "x");
  Plant("readonly.dat", "x", attributes::kReadOnly);
  Plant("hidden.dat", "x", attributes::kHidden);
  Plant("system.dat", "x", attributes::kSystem);
  world->PlantFolder(folder.FilePath("folder.dat"));
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
  std::string exclusions = "stale";
  Install(exclusions);
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

// A download that fails its test load is set aside; a hidden one is left alone.
TEST_F(CoreOnPlatform, ADownloadThatFailsItsTestLoadIsSetAsideAndAHiddenOneLeftAlone) {
  Plant("ExeDefinition.dat", "old");
  Plant("DLExeDefinition.dat", "bad");
  Plant("DLExeDefinition.dat.rejected", "an earlier one");
  Plant("FileDefinition.dat", "old");
  Plant("DLFileDefinition.dat", "new", attributes::kHidden);
  std::string exclusions;
  EXPECT_EQ(Install(exclusions).size(), 1u);
  EXPECT_EQ(Read("ExeDefinition.dat"), "old");
  EXPECT_EQ(Read("DLExeDefinition.dat"), "<missing>");
  EXPECT_EQ(Read("DLExeDefinition.dat.rejected"), "bad");
  EXPECT_EQ(Read("ExeDefinition.dat.previous"), "<missing>");
  EXPECT_EQ(Read("FileDefinition.dat"), "old");
}

TEST_F(CoreOnPlatform, AnInstallThatCannotMoveKeepsBothFiles) {
  Plant("BlockedCookies.dat", "old");
  Plant("DLBlockedCookies.dat", "new");
  world->HoldOpenExclusively(folder.FilePath("BlockedCookies.dat"));
  std::string exclusions;
  Install(exclusions);
  world->ReleaseAll();
  EXPECT_EQ(Read("BlockedCookies.dat"), "old");
  EXPECT_EQ(Read("DLBlockedCookies.dat"), "new");
  EXPECT_EQ(exclusions, "");
  // The next start installs it.
  Install(exclusions);
  EXPECT_EQ(Read("BlockedCookies.dat"), "new");
}

TEST_F(CoreOnPlatform, CountingAndPresenceOfDefinitionFiles) {
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
}

TEST_F(CoreOnPlatform, UnreadableFilesCountAsEmptyAndTheRestGoesOn) {
  Plant("BlockedCookies.dat", "a\r\nb\r\n");
  Plant("ExeDefinition.dat", "a\r\n");
  Plant("ENoSignature.txt", "C:\\x.exe\r\n");
  world->HoldOpenExclusively(folder.FilePath("BlockedCookies.dat"));
  world->HoldOpenExclusively(folder.FilePath("ENoSignature.txt"));
  core::DefinitionCounts counts;
  EXPECT_EQ(core::CountDefinitionLines(files, folder, counts), 1);
  EXPECT_EQ(counts.cookies, 0);
  EXPECT_EQ(counts.executables, 1);
  std::string exclusions = "stale";
  Install(exclusions);
  EXPECT_EQ(exclusions, "");
  world->ReleaseAll();
  Install(exclusions);
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
  world->Machine().registry.SetValue(
      roots::kCurrentUser, core::SettingsStore::SectionPath(world->ScratchApplication(), "Settings"),
      "lblDefRemoved", RegistryValue::Dword(7));
  EXPECT_EQ(settings.Get(core::settings::kDefinitionsRemoved), "0");
}

}  // namespace
}  // namespace kestrian::testing
