#include <gtest/gtest.h>

#include "scan/file_definition.h"
#include "scan/registry_definition.h"

namespace kestrian::scan {
namespace {

TEST(RegistryDefinitionTest, SplitsAtTheLastEqualsAndEveryCaret) {
  const std::pair<const char*, std::optional<RegistryDefinition>> cases[] = {
      {"2^Software\\X^=Name", RegistryDefinition{"2", "Software\\X", "", "Name"}},
      {"1^Software\\Run^Spy=  Spy Threat  ", RegistryDefinition{"1", "Software\\Run", "Spy", "Spy Threat"}},
      // A key path or value name may hold "=", the threat name cannot.
      {"0^a=b^c=d=Threat", RegistryDefinition{"0", "a=b", "c=d", "Threat"}},
      {"1^Key^Value=", RegistryDefinition{"1", "Key", "Value", ""}},
      {"1^Key^Value^extra=T", RegistryDefinition{"1", "Key", "Value", "T"}},
      {"1^Key^Value", std::nullopt},  // no "="
      {"1^Key=T", std::nullopt},      // two fields only
      {"=T", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& [line, expected] : cases) EXPECT_EQ(ParseRegistryDefinition(line), expected) << line;
}

TEST(RegistryDefinitionTest, RootFieldsSelectTheRootsOfTheTable) {
  const std::pair<const char*, platform::RootKey> cases[] = {
      {"0", platform::roots::kClassesRoot}, {"1", platform::roots::kCurrentUser},
      {"2", platform::roots::kLocalMachine}, {"3", platform::roots::kUsers},
      {"4", platform::roots::kCurrentConfig}, {"5", platform::roots::kDynData},
      {"6", platform::roots::kNone},        {"7", platform::roots::kNone},
      {"-1", platform::roots::kNone},       {"abc", platform::roots::kClassesRoot},
      {"", platform::roots::kClassesRoot},  {" 2", platform::roots::kLocalMachine},
      {"2x", platform::roots::kLocalMachine}, {"99999999999", platform::roots::kNone},
  };
  for (const auto& [field, root] : cases) EXPECT_EQ(RootKeyFromField(field), root) << field;
}

TEST(RegistryDefinitionTest, RootsShowAsSignedDecimalsAndNames) {
  EXPECT_EQ(RootKeyAsSignedDecimal(platform::roots::kClassesRoot), "-2147483648");
  EXPECT_EQ(RootKeyAsSignedDecimal(platform::roots::kLocalMachine), "-2147483646");
  EXPECT_EQ(RootKeyAsSignedDecimal(platform::roots::kDynData), "-2147483642");
  EXPECT_EQ(RootKeyName(platform::roots::kCurrentConfig), "HKEY_CURRENT_CONFIG");
  EXPECT_EQ(RootKeyName(platform::roots::kNone), "");
}

TEST(FileDefinitionTest, SplitsAtBarsThenAtEquals) {
  const std::pair<const char*, std::optional<FileDefinition>> cases[] = {
      {"x.dll=Threat", FileDefinition{"x.dll", "Threat", ""}},
      {"x.dll= Spaced Threat |[pfiles]Acme\\", FileDefinition{"x.dll", " Spaced Threat ", "[pfiles]Acme\\"}},
      {"sub\\x.dll=T=ignored|[wDir]|ignored too", FileDefinition{"sub\\x.dll", "T", "[wDir]"}},
      {"x.dll=|", FileDefinition{"x.dll", "", ""}},
      {"x.dll|[wDir]", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& [line, expected] : cases) EXPECT_EQ(ParseFileDefinition(line), expected) << line;
}

TEST(FileDefinitionTest, BuildsThePathFromTheFoldersOfThisMachine) {
  const KnownFolders folders{"C:\\WINDOWS\\system32\\", "C:\\", "C:\\Program Files\\",
                             "C:\\Users\\me\\Desktop\\", "C:\\WINDOWS\\"};
  const std::pair<FileDefinition, const char*> cases[] = {
      {{"x.dll", "T", ""}, "C:\\WINDOWS\\system32\\x.dll"},
      {{"x.dll", "T", "[pfiles]Acme\\"}, "C:\\Program Files\\Acme\\x.dll"},
      {{"x.dll", "T", "[Drive]Acme"}, "C:\\Acme\\x.dll"},
      {{"x.dll", "T", "[dDir]"}, "C:\\Users\\me\\Desktop\\x.dll"},
      {{"x.dll", "T", "[wDir]Temp"}, "C:\\WINDOWS\\Temp\\x.dll"},
      // Placeholders match in their own letter case only.
      {{"x.dll", "T", "[PFILES]Acme"}, "[PFILES]Acme\\x.dll"},
      {{"x.dll", "T", "[drive]"}, "[drive]\\x.dll"},
      // Each of the two passes halves a run of backslashes once: eight become two.
      {{"x.dll", "T", "C:\\\\\\\\\\\\\\\\Odd"}, "C:\\\\Odd\\x.dll"},
      {{"sub\\x.dll", "T", "[wDir]"}, "C:\\WINDOWS\\sub\\x.dll"},
  };
  for (const auto& [definition, path] : cases) {
    EXPECT_EQ(DefinitionPath(definition, folders), path) << definition.folderTemplate;
  }
}

TEST(FileDefinitionTest, MissingFoldersExpandToNothing) {
  const KnownFolders folders{"C:\\WINDOWS\\system32\\", "", "Program Files\\", "", "C:\\WINDOWS\\"};
  EXPECT_EQ(DefinitionPath({"x.dll", "T", "[dDir]"}, folders), "\\x.dll");
  EXPECT_EQ(DefinitionPath({"x.dll", "T", "[pfiles]Acme"}, folders), "Program Files\\Acme\\x.dll");
}

}  // namespace
}  // namespace kestrian::scan
