// The file phase answers from one listing per folder. On generated machines it gives what a
// search per definition gives: the same rows in the same order, the same counters, and at
// every yield the same progress shown. Natively on the fake machine, under Wine on real files.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "contract/contract_world.h"
#include "core/definition_line.h"
#include "core/file_tests.h"
#include "core/program_state.h"
#include "core/settings_store.h"
#include "core/text.h"
#include "scan/file_scanner.h"
#include "support/scripted_host.h"

namespace kestrian::testing {
namespace {

using namespace std::string_literals;
namespace attributes = platform::attributes;

#ifdef _WIN32
constexpr unsigned kMachines = 40;  // real files and keys: about 0.1 s a machine under Wine
#else
constexpr unsigned kMachines = 100;
#endif

// A machine's definitions and how its phases are run.
struct Definitions {
  std::vector<std::string> files;
  std::string exclusions;
  int stopAtYield = 0;  // 0: never stopped
  std::int32_t refreshCounter = 0;
};

template <class Pool>
auto Pick(std::mt19937& random, const Pool& pool) {
  return pool[std::uniform_int_distribution<std::size_t>(0, std::size(pool) - 1)(random)];
}

bool OneIn(std::mt19937& random, int n) { return std::uniform_int_distribution<int>(1, n)(random) == 1; }

std::string Cased(std::mt19937& random, const std::string& text) {
  const int casing = std::uniform_int_distribution<int>(0, 3)(random);
  return casing == 0 ? core::ToUpper(text) : casing == 1 ? core::ToLower(text) : text;
}

constexpr const char* kThreats[] = {"T1", "T2", "T3", " T1 ", ""};

// Plants files and folders under the world's scratch folder and writes file definitions
// that name them in every way a definition can: short names, other letter case, trailing
// dots and blanks, wildcards, sub-folders, folders, missing folders, non-ASCII names.
void PlantFiles(ContractWorld& world, std::mt19937& random, const std::string& base, Definitions& definitions) {
  struct Planted {
    std::string name;
    std::uint32_t attributes;
    std::string content;
  };
  const std::string microsoft = "StringFileInfo CompanyName\0Microsoft Corporation\0\0\0"s;
  const std::vector<Planted> pool = {
      {"x.dll", 0, "MZ"}, {"Long File Name.dll", 0, "MZ"}, {"MixedCase.Exe", attributes::kArchive, "MZ"},
      {"hidden.dll", attributes::kHidden, "MZ"}, {"system.dll", attributes::kSystem, "MZ"},
      {"both.dll", attributes::kHidden | attributes::kSystem, "MZ"},
      {"readonly.dll", attributes::kReadOnly, "MZ"}, {"ms.dll", 0, microsoft},
      {"\xC3\xA9t\xC3\xA9.dll", 0, "MZ"}, {"ab.dll", 0, "MZ"}, {"ac.dll", 0, "MZ"},
      {".dotfile", 0, "MZ"}, {"another long name.exe", 0, "MZ"},
      {"\xC5\xBFx.dll", 0, "MZ"}};  // a long s, whose upper case in Unicode is S
  const std::vector<std::string> folders = {base + "\\One", base + "\\Two Words", base + "\\\xC3\x9C" "ber",
                                            base + "\\One\\Sub", base + "\\Gone"};
  const std::vector<std::string> odd = {"folder.dll", "absent.dll", "nul", "Nul.dll", "x.dll:zone", "*.dll",
                                        "a?.dll", "x.*", "Sub\\x.dll", "SUB\\X.DLL", "\xC3\x89T\xC3\x89.DLL", "sx.dll",
                                        std::string(230, 'a') + ".dll"};
  std::vector<std::pair<std::string, std::string>> planted;  // folder, long or short name
  platform::FileSystem& files = world.Machine().files;
  for (std::size_t f = 0; f + 1 < folders.size(); ++f) {
    if (f > 0 && OneIn(random, 4)) continue;  // missing this time
    files.CreateFolder(folders[f]);
    if (OneIn(random, 2)) files.CreateFolder(folders[f] + "\\folder.dll");
    for (const auto& file : pool) {
      // A name outside plain ASCII leaves the folder's other names to their search.
      if (!OneIn(random, static_cast<unsigned char>(file.name.front()) >= 0x80 ? 4 : 2)) continue;
      const std::string path = folders[f] + "\\" + file.name;
      world.PlantFile(path, file.content, file.attributes);
      planted.emplace_back(folders[f], file.name);
      const std::string shortName(core::FileNamePart(world.ShortPath(path)));
      if (!shortName.empty() && shortName != file.name) planted.emplace_back(folders[f], shortName);
    }
  }
  const int lines = std::uniform_int_distribution<int>(6, 20)(random);
  for (int i = 0; i < lines; ++i) {
    auto [folder, name] = !planted.empty() && OneIn(random, 2)
                              ? Pick(random, planted)
                              : std::pair(Pick(random, folders), Pick(random, odd));
    name = Cased(random, name);
    if (OneIn(random, 6)) name += Pick(random, std::vector<std::string>{".", " ", "..", ". "});
    if (OneIn(random, 12)) name = " " + name;
    folder = Cased(random, folder);
    if (OneIn(random, 8)) folder = base + "\\\\One";  // doubled backslashes are made single
    if (OneIn(random, 10)) folder = Pick(random, std::vector<std::string>{"[wDir]", ""});
    std::string line = name + "=" + Pick(random, kThreats);
    if (!folder.empty()) line += "|" + folder + (OneIn(random, 3) ? "\\" : "");
    definitions.files.push_back(OneIn(random, 20) ? "no threat named" : line);
    if (OneIn(random, 10)) definitions.exclusions += name + "\r\n";
  }
}

// One phase run on a fresh window model, with what it showed at every yield.
struct PhaseRun {
  PhaseRun(ContractWorld& world, const std::string& appFolder, const Definitions& definitions)
      : settings(world.Machine().registry, world.ScratchApplication()),
        folder(appFolder),
        context{form, deleteFailed, host, state, settings, world.Machine(), folder, version} {
    state.exclusionText = definitions.exclusions;
    state.session.statusPrefix = "Prefix: ";
    state.session.progressRefreshCounter = definitions.refreshCounter;
    const auto files = static_cast<std::int32_t>(definitions.files.size());
    state.definitionCounts = {3, files, 0, 2, files + 5};
    for (int yield = 1; yield <= files; ++yield) {
      host.AtYield(yield, [this, yield, stop = definitions.stopAtYield] {
        shown.push_back(Shown());
        if (yield == stop) state.session.stopRequested = true;
      });
    }
  }

  std::string Shown() const {
    const auto& s = state.session;
    return std::to_string(s.progressRefreshCounter) + "|" + std::to_string(s.filesFoldersInspected) + "|" +
           std::to_string(s.registryEntriesInspected) + "|" + std::to_string(s.spywareFound) + "|" +
           form.lbltracesFound.Caption() + "|" + form.lblStatus.Caption() + "|" +
           form.lblFilesFolderInspected.Caption() + "|" + form.lblRegistryInspected.Caption() + "|" +
           std::to_string(form.pb1.Value()) + "|" + std::to_string(form.pb2.Value());
  }

  std::vector<std::string> Rows() const {
    std::vector<std::string> rows;
    for (const ui::ListView* list : {&form.lvwSpywareFound, &form.lvwPicRemoveListOfSpywareFoundAndToBeRemoved,
                                     &form.lvwRegistryToBeDeleted, &form.lvwFilesToBeDeleted,
                                     &form.lvwFileNotFounds}) {
      for (const auto& item : list->Items()) {
        std::string row = list->Name() + ": " + item.text + " / " + std::to_string(item.smallIcon);
        for (const auto& sub : item.subItems) row += " / " + sub;
        rows.push_back(row);
      }
    }
    rows.push_back("final: " + Shown() + " yields " + std::to_string(host.Yields()));
    return rows;
  }

  ui::FrmMain form;
  ui::FrmDelete deleteFailed;
  ScriptedHost host;
  core::ProgramState state;
  core::SettingsStore settings;
  core::ApplicationFolder folder;
  platform::VersionResource version{"Kestrian", "Kestrian Software", "www.kestrian.example", 1, 6};
  scan::ScanContext context;
  std::vector<std::string> shown;
};

TEST(ScanPhasesContract, ListingsGiveWhatTheSearchPerDefinitionGives) {
  int traces = 0, notFound = 0;
  for (unsigned seed = 1; seed <= kMachines; ++seed) {
    auto world = MakeContractWorld();
    std::mt19937 random(seed);
    const std::string base = world->Scratch() + "\\m" + std::to_string(seed);
    Definitions definitions;
    world->Machine().files.CreateFolder(base);
    PlantFiles(*world, random, base, definitions);
    definitions.refreshCounter = std::uniform_int_distribution<int>(0, 99)(random);
    if (OneIn(random, 5)) definitions.stopAtYield = std::uniform_int_distribution<int>(1, 20)(random);
    const std::string app = base + "\\app";
    world->Machine().files.CreateFolder(app);
    std::string content;
    for (const auto& line : definitions.files) content += core::EncodeDefinitionLine(line) + "\r\n";
    world->PlantFile(app + "\\FileDefinition.dat", content, 0);

    PhaseRun before(*world, app, definitions);
    scan::FileScanner(before.context, scan::FileSearches::EveryDefinition).ScanFileDefinitions();
    PhaseRun after(*world, app, definitions);
    scan::FileScanner(after.context).ScanFileDefinitions();
    ASSERT_EQ(after.Rows(), before.Rows()) << "seed " << seed;  // the seed makes the machine again
    ASSERT_EQ(after.shown, before.shown) << "seed " << seed;
    traces += static_cast<int>(before.form.lvwFilesToBeDeleted.Count());
    notFound += static_cast<int>(before.form.lvwFileNotFounds.Count());
  }
  // The machines found things and missed things.
  EXPECT_GT(traces, static_cast<int>(kMachines));
  EXPECT_GT(notFound, static_cast<int>(kMachines) * 2);
}

}  // namespace
}  // namespace kestrian::testing
