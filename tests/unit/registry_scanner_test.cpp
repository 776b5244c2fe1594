#include "scan/registry_scanner.h"

#include "scan_fixture.h"

namespace kestrian::scan {
namespace {

using platform::RegistryValue;
using platform::roots::kCurrentUser;
using platform::roots::kLocalMachine;

class RegistryScannerTest : public ScanFixture {
 protected:
  void Scan() { scanner.ScanRegistryDefinitions(); }
  const ui::ListView& Traces() const { return form.lvwRegistryToBeDeleted; }
  const ui::ListView& Results() const { return form.lvwPicRemoveListOfSpywareFoundAndToBeRemoved; }

  RegistryScanner scanner{context};
};

// A second trace of a threat adds a trace but no second threat.
TEST_F(RegistryScannerTest, AFoundKeyGivesATraceAndOneThreat) {
  machine.registry.CreateKey(kLocalMachine, "Software\\X");
  machine.registry.CreateKey(kCurrentUser, "Software\\A");
  machine.registry.SetValue(kCurrentUser, "Software\\B", "v", RegistryValue::String("x"));
  PutDefinitions("RegistryDefinition.dat", {"2^Software\\X^=Name", "2^Software\\Missing^=Name",
                                            "1^Software\\A^= Twin ", "1^Software\\B^v=Twin"});
  Scan();
  EXPECT_EQ(Texts(Traces()), (std::vector<std::string>{"-2147483646", "-2147483647", "-2147483647"}));
  EXPECT_EQ(Column(Traces(), 1), (std::vector<std::string>{"Software\\X", "Software\\A", "Software\\B"}));
  EXPECT_EQ(Column(Traces(), 2), (std::vector<std::string>{"", "", "v"}));
  EXPECT_EQ(Column(Traces(), 3), (std::vector<std::string>{"Name", "Twin", "Twin"}));
  EXPECT_EQ(Texts(form.lvwSpywareFound).front(), "Name - Found");
  EXPECT_EQ(Texts(Results()), (std::vector<std::string>{"Name", "Twin"}));
  EXPECT_EQ(Column(Results(), 1).front(), "HKEY_LOCAL_MACHINE\\Software\\X");
  EXPECT_EQ(Results().Item(0).smallIcon, 2);
  EXPECT_EQ(form.lvwSpywareFound.Item(0).smallIcon, 2);
  EXPECT_EQ(form.lbltracesFound.Caption(), "3");
  EXPECT_EQ(state.session.spywareFound, 2);
  EXPECT_EQ(state.session.registryEntriesInspected, 4);
}

// Keys without write rights and unknown roots count as absent; malformed lines are passed over.
TEST_F(RegistryScannerTest, OnlyStringExpandableAndDoubleWordValuesAreFound) {
  const std::pair<const char*, RegistryValue> values[] = {
      {"Str", RegistryValue::String("text")},
      {"Expand", RegistryValue{platform::value_types::kExpandString, std::string("%x%\0", 4)}},
      {"Dword", RegistryValue::Dword(7)},
      {"Binary", RegistryValue{platform::value_types::kBinary, "\x01\x02"}},
      {"Multi", RegistryValue{platform::value_types::kMultiString, std::string("a\0\0", 3)}},
  };
  for (const auto& [name, value] : values) machine.registry.SetValue(kCurrentUser, "Software\\V", name, value);
  machine.registry.CreateKey(kLocalMachine, "Software\\Locked");
  machine.registry.MakeReadOnly(kLocalMachine, "Software\\Locked");
  machine.registry.CreateKey(kCurrentUser, "Software\\Y");
  PutDefinitions("RegistryDefinition.dat",
                 {"1^Software\\V^Str=S", "1^Software\\V^Expand=E", "1^Software\\V^Dword=D",
                  "1^Software\\V^Binary=B", "1^Software\\V^Multi=M", "1^Software\\V^Absent=A",
                  "2^Software\\Locked^=L", "7^Software\\Y^=Seven", "no fields=X", "1^Software\\Y"});
  Scan();
  EXPECT_EQ(Texts(Results()), (std::vector<std::string>{"S", "E", "D"}));
  EXPECT_EQ(state.session.registryEntriesInspected, 10);
}

TEST_F(RegistryScannerTest, LocationsAndTextsOfEachKindOfRow) {
  machine.registry.SetValue(kCurrentUser, "Software\\Run", "Spy", RegistryValue::String("x"));
  machine.registry.CreateKey(kCurrentUser, "Software\\Blank");
  PutDefinitions("RegistryDefinition.dat",
                 {"1^Software\\Run^Spy=Spy Threat", "1^Software\\Blank^=", "1^Software\\Run^Spy=  "});
  Scan();
  EXPECT_EQ(Texts(form.lvwSpywareFound),
            (std::vector<std::string>{"Spy Threat - Found", "RegKey Software\\Blank - Found",
                                      "RegKey -2147483647 - Found"}));
  EXPECT_EQ(Texts(Results()), (std::vector<std::string>{"Spy Threat", "Software\\Blank", "Software\\Run"}));
  EXPECT_EQ(Column(Results(), 1),
            (std::vector<std::string>{"HKEY_CURRENT_USER\\Software\\RunSpy",
                                      "HKEY_CURRENT_USER\\Software\\Blank",
                                      "HKEY_CURRENT_USER\\Software\\RunSpy"}));
  EXPECT_EQ(state.session.spywareFound, 3);
}

TEST_F(RegistryScannerTest, LinesOfOneKeyShareOneOpenAndAMissingKeyReadsNoValue) {
  machine.registry.SetValue(kCurrentUser, "Software\\A", "v", RegistryValue::String("x"));
  std::string content;
  for (const char* line : {"1^Software\\A^v=V", "1^Software\\Gone^v=G", "1^SOFTWARE\\a^=K",
                           "1^Software\\Gone^=G", "7^Software\\A^=R", "1^software\\A^w=W"}) {
    content += core::EncodeDefinitionLine(line) + "\r\n";
  }
  // A key named by more lines than one open answers is opened again for the rest.
  for (std::size_t i = 0; i <= RegistryLineAnswers::kLinesPerOpen; ++i) {
    content += core::EncodeDefinitionLine("1^Software\\Many^v=M") + "\r\n";
  }
  machine.registry.CreateKey(kCurrentUser, "Software\\Many");
  machine.files.PutFile(folder.FilePath("RegistryDefinition.dat"), content);
  Scan();
  EXPECT_EQ(Texts(Results()), (std::vector<std::string>{"V", "K"}));
  EXPECT_EQ(machine.registry.readOpens, 5);  // A, Gone, root 7, Many twice
  EXPECT_EQ(machine.registry.valueReads, 2 + static_cast<int>(RegistryLineAnswers::kLinesPerOpen) + 1);
}

TEST_F(RegistryScannerTest, ExcludedLocationsAndNamesAreNotReportedAgain) {
  machine.registry.CreateKey(kCurrentUser, "Software\\ByPlace");
  machine.registry.CreateKey(kCurrentUser, "Software\\ByName");
  machine.registry.CreateKey(kCurrentUser, "Software\\Kept");
  PutExclusions("hkey_current_user\\software\\byplace\r\nNamed Threat\r\n\r\n");
  PutDefinitions("RegistryDefinition.dat", {"1^Software\\ByPlace^=Placed", "1^Software\\ByName^=Named Threat",
                                            "1^Software\\Kept^=Kept"});
  Scan();
  EXPECT_EQ(Texts(Results()), std::vector<std::string>{"Kept"});
  EXPECT_EQ(Traces().Count(), 1u);
}

TEST_F(RegistryScannerTest, ProgressShowsThePrefixAndTheLowerCasedKey) {
  state.definitionCounts = {0, 0, 1, 0, 1};
  state.session.progressRefreshCounter = 99;  // the next call refreshes
  form.SetVisible(false);
  PutDefinitions("RegistryDefinition.dat", {"1^Software\\MiXed^Val=T"});
  Scan();
  EXPECT_EQ(form.lblStatus.Caption(), "Prefix: \r\nsoftware\\mixed\\val");
  EXPECT_EQ(form.pb1.Value(), 100);
  EXPECT_EQ(form.pb2.Value(), 100);
}

TEST_F(RegistryScannerTest, AMissingOrUnreadableDefinitionFileSkipsThePhaseAndStopEndsItAfterTheLine) {
  Scan();
  EXPECT_EQ(state.session.registryEntriesInspected, 0);
  for (const char* key : {"Software\\A", "Software\\B", "Software\\C"}) machine.registry.CreateKey(kCurrentUser, key);
  PutDefinitions("RegistryDefinition.dat", {"1^Software\\A^=A", "1^Software\\B^=B", "1^Software\\C^=C"});
  machine.files.Lock(folder.FilePath("RegistryDefinition.dat"));
  Scan();
  EXPECT_EQ(state.session.registryEntriesInspected, 0);
  EXPECT_TRUE(Results().Empty());
  machine.files.Lock(folder.FilePath("RegistryDefinition.dat"), false);
  host.AtYield(host.Yields() + 1, [&] { state.session.stopRequested = true; });
  Scan();
  EXPECT_EQ(Texts(Results()), std::vector<std::string>{"A"});
  EXPECT_EQ(state.session.registryEntriesInspected, 1);
}

}  // namespace
}  // namespace kestrian::scan
