#include "scan/file_scanner.h"

#include "scan/company_name.h"
#include "scan/file_definition.h"
#include "scan/registry_definition.h"
#include "scan_fixture.h"

namespace kestrian::scan {
namespace {

using namespace std::string_literals;
namespace attributes = platform::attributes;

class FileScannerTest : public ScanFixture {
 protected:
  void Scan() { scanner.ScanFileDefinitions(); }
  const ui::ListView& Results() const { return form.lvwPicRemoveListOfSpywareFoundAndToBeRemoved; }

  FileScanner scanner{context};
};

TEST_F(FileScannerTest, FoldersComeFromTheShellAndTheSystem) {
  const auto folders = [this] {
    const KnownFolders found = scanner.FoldersOfThisMachine();
    return std::vector<std::string>{found.system, found.drive, found.programFiles, found.desktop, found.windows};
  };
  EXPECT_EQ(folders(), (std::vector<std::string>{"C:\\WINDOWS\\system32\\", "C:\\", "C:\\Program Files\\",
                                                 "C:\\Documents and Settings\\user\\Desktop\\", "C:\\WINDOWS\\"}));
  machine.environment.specialFolders.clear();
  EXPECT_EQ(folders(), (std::vector<std::string>{"C:\\WINDOWS\\system32\\", "", "Program Files\\", "", "C:\\WINDOWS\\"}));
}

TEST_F(FileScannerTest, PresentFilesAreTracesAndAbsentOnesAreListedAsNotFound) {
  machine.files.PutFile("C:\\WINDOWS\\system32\\x.dll", "MZ");
  machine.files.PutFile("C:\\Program Files\\Acme\\acme.exe", "MZ");
  machine.files.PutFile("C:\\Program Files\\Acme\\acme3.exe", "MZ");
  machine.files.PutFile("C:\\Documents and Settings\\user\\Desktop\\hidden.exe", "MZ", attributes::kHidden);
  machine.files.PutFile("C:\\WINDOWS\\sys.dll", "MZ", attributes::kSystem);
  machine.files.PutFolder("C:\\WINDOWS\\folder.dll");
  PutDefinitions("FileDefinition.dat",
                 {"x.dll=X Threat", "acme.exe=Acme|[pfiles]Acme\\", "hidden.exe=Hid|[dDir]",
                  "sys.dll=Sys|[wDir]", "folder.dll=Dir|[wDir]", "acme2.exe=Acme|[pfiles]Acme",
                  "acme3.exe=ACME|[pfiles]Acme"});  // the same threat in other letters: one row
  Scan();
  EXPECT_EQ(Texts(form.lvwFilesToBeDeleted),
            (std::vector<std::string>{"C:\\WINDOWS\\system32\\x.dll", "C:\\Program Files\\Acme\\acme.exe",
                                      "C:\\Program Files\\Acme\\acme3.exe"}));
  EXPECT_EQ(Column(form.lvwFilesToBeDeleted, 1), (std::vector<std::string>{"X Threat", "Acme", "ACME"}));
  EXPECT_EQ(Texts(form.lvwFileNotFounds),
            (std::vector<std::string>{"hidden.exe", "sys.dll", "folder.dll", "acme2.exe"}));
  EXPECT_EQ(Column(form.lvwFileNotFounds, 1), (std::vector<std::string>{"Hid", "Sys", "Dir", "Acme"}));
  EXPECT_EQ(Texts(form.lvwSpywareFound), (std::vector<std::string>{"X Threat - Found", "Acme - Found"}));
  EXPECT_EQ(Texts(Results()), (std::vector<std::string>{"X Threat", "Acme"}));
  EXPECT_EQ(Column(Results(), 1), (std::vector<std::string>{"C:\\WINDOWS\\system32\\x.dll",
                                                            "C:\\Program Files\\Acme\\acme.exe"}));
  EXPECT_EQ(Results().Item(0).smallIcon, 3);
  EXPECT_EQ(form.lbltracesFound.Caption(), "3");
  EXPECT_EQ(state.session.spywareFound, 2);
  EXPECT_EQ(state.session.filesFoldersInspected, 7);
}

TEST_F(FileScannerTest, EachFolderIsListedOnceAndOnlyWildcardsAreSearched) {
  machine.files.PutFile("C:\\WINDOWS\\system32\\x.dll", "MZ");
  machine.files.PutFile("C:\\WINDOWS\\system32\\Long Name.dll", "MZ");
  machine.files.SetShortName("C:\\WINDOWS\\system32\\Long Name.dll", "LONGNA~1.DLL");
  machine.files.PutFile("C:\\Program Files\\Acme\\a.exe", "MZ", attributes::kHidden);
  PutDefinitions("FileDefinition.dat",
                 {"x.dll=X", "X.DLL=X", "longna~1.dll=L", "gone.dll=G", "a.exe=A|[pfiles]Acme\\",
                  "b.exe=B|[pfiles]Acme", "*.dll=W", "c.exe=C|[pfiles]Gone\\", "d.exe=D|[pfiles]Gone"});
  Scan();
  EXPECT_EQ(Texts(Results()), (std::vector<std::string>{"X", "L", "W"}));
  EXPECT_EQ(Texts(form.lvwFileNotFounds), (std::vector<std::string>{"gone.dll", "a.exe", "b.exe", "c.exe", "d.exe"}));
  EXPECT_EQ(machine.files.listings, 3);  // system32, Acme, and Gone, which fails
  EXPECT_EQ(machine.files.searches, 2);  // the definition file and the wildcard
}

// Microsoft files are never reported either.
TEST_F(FileScannerTest, ExcludedDefinitionsAreNeitherTestedNorListed) {
  for (const char* name : {"a.dll", "b.dll", "c.dll", "d.dll", "e.dll"}) {
    machine.files.PutFile("C:\\WINDOWS\\system32\\"s + name, "MZ");
  }
  machine.files.PutFile("C:\\WINDOWS\\system32\\ms.dll",
                        "StringFileInfo CompanyName\0  MICROSOFT Corporation \0\0\0"s);
  machine.files.PutFile("C:\\WINDOWS\\system32\\other.dll", "CompanyName\0Other Ltd\0\0\0"s);
  // As the Exclude command stores a file finding: its location, then its name. The blank
  // line gives an empty entry, which excludes no empty threat name.
  PutExclusions("Name Excluded\r\nc:\\windows\\system32\\b.dll\r\na.dll\r\n\r\n");
  PutDefinitions("FileDefinition.dat", {"a.dll=A", "b.dll=B", "c.dll=Name Excluded", "d.dll=D",
                                        "gone.dll=Name Excluded", "e.dll=", "ms.dll=MS", "other.dll=Other"});
  Scan();
  EXPECT_EQ(Texts(form.lvwFilesToBeDeleted),
            (std::vector<std::string>{"C:\\WINDOWS\\system32\\d.dll", "C:\\WINDOWS\\system32\\e.dll",
                                      "C:\\WINDOWS\\system32\\other.dll"}));
  EXPECT_EQ(Texts(Results()), (std::vector<std::string>{"D", "", "Other"}));
  EXPECT_TRUE(form.lvwFileNotFounds.Empty());
}

TEST_F(FileScannerTest, AnUnreadableDefinitionFileSkipsThePhaseAndStopEndsItBeforeTheNextDefinition) {
  machine.files.PutFile("C:\\WINDOWS\\system32\\a.dll", "MZ");
  machine.files.PutFile("C:\\WINDOWS\\system32\\b.dll", "MZ");
  PutDefinitions("FileDefinition.dat", {"a.dll=A", "b.dll=B"});
  machine.files.Lock(folder.FilePath("FileDefinition.dat"));
  Scan();
  EXPECT_EQ(state.session.filesFoldersInspected, 0);
  EXPECT_TRUE(Results().Empty());
  machine.files.Lock(folder.FilePath("FileDefinition.dat"), false);
  host.AtYield(host.Yields() + 1, [&] { state.session.stopRequested = true; });
  Scan();
  EXPECT_EQ(Texts(Results()), std::vector<std::string>{"A"});
  EXPECT_EQ(state.session.filesFoldersInspected, 1);
}

std::string Wide(std::string_view text) {
  std::string out;
  for (char c : text) {
    out.push_back(c);
    out.push_back('\0');
  }
  return out;
}

// A version string record as a resource compiler lays it out: length and value-length
// words, type word 1, the key and its terminator, then the value and its terminator.
std::string WideRecord(std::string_view key, std::string_view value) {
  return "\x40\x00\x10\x00"s + "\x01\x00"s + Wide(key) + "\0\0"s + Wide(value) + "\0\0"s;
}

std::string WideBlock(std::string_view company) {
  return "MZ header bytes"s + "\x01\x00"s + Wide("StringFileInfo") + "\0\0"s + "pad"s +
         WideRecord("CompanyName", company) + "\0\0"s + WideRecord("FileDescription", "Tool");
}

TEST(CompanyNameTest, FindsTheValueInTheRawBytesAndKnowsMicrosoft) {
  const struct {
    const char* name;
    std::string bytes;
    std::string expected;
  } cases[] = {
      {"two-byte block", WideBlock("Microsoft Corporation"), "Microsoft Corporation"},
      {"two-byte block, other company", WideBlock("Foo Inc"), "Foo Inc"},
      {"plain text block",
       "xx StringFileInfo yy CompanyName\0Microsoft Corporation\0\0\0FileDescription\0T\0\0\0"s,
       "Microsoft Corporation"},
      {"plain key without a block name", "CompanyName\0Acme Ltd\0\0\0"s, "Acme Ltd"},
      {"plain block name, two-byte key",
       "StringFileInfo"s + "\x01\x00"s + Wide("CompanyName") + "\0\0"s + Wide("Wide Co") + "\0\0\0\0"s,
       "Wide Co"},
      {"no version block", "MZ just code bytes\0\0\0"s, ""},
      {"key without three zero bytes after it", "CompanyName\0Acme"s, ""},
      {"empty file", "", ""},
      // The value runs into the next key: it ends at the first control byte after its start.
      {"value running into the next key", "CompanyName\0Acme\x01" "FileDescription\0\0\0"s, "Acme"},
  };
  for (const auto& c : cases) EXPECT_EQ(CompanyNameFromBytes(c.bytes), c.expected) << c.name;
  // Microsoft in any case, with spaces around, is Microsoft.
  EXPECT_TRUE(IsMicrosoftCompany("Microsoft Corporation"));
  EXPECT_TRUE(IsMicrosoftCompany("  MICROSOFT corporation "));
  EXPECT_FALSE(IsMicrosoftCompany("Microsoft Corp"));
  EXPECT_FALSE(IsMicrosoftCompany(""));
}

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

TEST(RegistryDefinitionTest, RootFieldsSelectTheRootsOfTheTableShownAsDecimalsAndNames) {
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

TEST(FileDefinitionTest, BuildsThePathFromTheFoldersOfThisMachineOrNothing) {
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
  // Missing folders expand to nothing.
  const KnownFolders missing{"C:\\WINDOWS\\system32\\", "", "Program Files\\", "", "C:\\WINDOWS\\"};
  EXPECT_EQ(DefinitionPath({"x.dll", "T", "[dDir]"}, missing), "\\x.dll");
  EXPECT_EQ(DefinitionPath({"x.dll", "T", "[pfiles]Acme"}, missing), "Program Files\\Acme\\x.dll");
}

}  // namespace
}  // namespace kestrian::scan
