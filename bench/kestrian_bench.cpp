// kestrian_bench: times each scan phase on a planted machine against the bare platform calls
// the phase cannot avoid, and prints the ratio of the two. The registry and file phases run
// on two definition sets: "large" (50,000 lines each, nearly every one naming a key or folder
// of its own) and "mix" (as many lines over about 5,000 keys and 300 folders, as real sets
// spread them). Each of the two also runs the way it ran before (an open per line, a search
// per definition) against that way's floor, and the whole scan is summed both ways.
//   kestrian_bench [--reps N] [--only PHASE] [--set SET]
//     --reps N       at least N runs of each side, the best counting (default 3, but 2 for a
//                    phase with a side over 5 s, to keep the whole run within a few minutes)
//     --only PHASE   time one phase: cookies, processes, registry or files
//     --set SET      time the registry and file phases on one set: large or mix
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <set>
#include <memory>
#include <string>
#include <vector>

#include "app/win32_host.h"
#include "bench/bare_floors.h"
#include "bench/planted_machine.h"
#include "bench/session_rig.h"
#include "bench/phase_steps.h"
#include "core/application_folder.h"
#include "core/definition_files.h"
#include "core/definition_line.h"
#include "core/line_reader.h"
#include "core/program_state.h"
#include "core/settings_store.h"
#include "core/text.h"
#include "platform/win32/win32_machine.h"
#include "scan/cookie_scanner.h"
#include "scan/file_definition.h"
#include "scan/file_scanner.h"
#include "scan/process_names.h"
#include "scan/process_scanner.h"
#include "scan/registry_definition.h"
#include "scan/registry_lines.h"
#include "scan/registry_scanner.h"
#include "scan/scan_context.h"

namespace kestrian::bench {
namespace {

constexpr double kGoal = 1.5;
constexpr double kFileSpeedUpGoal = 10;   // the file phase on the mix, against the way before
constexpr double kScanSpeedUpGoal = 3;    // the whole scan on the mix, against the way before
constexpr double kMemoryGoalMb = 100;
constexpr int kMaxReps = 15;
constexpr double kShortPhaseMs = 5000;
constexpr double kLongRunMs = 5000;

// The best of a side's runs.
struct Best {
  double ms = 1e300;
  void Keep(double run) { ms = std::min(ms, run); }
  bool Ran() const { return ms < 1e300; }
};

struct Phase {
  const char* name;
  const char* set;  // "-": the phase reads no set of its own
  std::string items;
  const core::ApplicationFolder* folder;
  const core::DefinitionCounts* counts;
  // Runs the scanner on a fresh rig; returns the findings it listed.
  std::function<std::size_t(Rig&)> scan;
  std::function<double()> floor;
  std::function<std::vector<Step>()> steps;
  // The way the phase ran before, and that way's floor; empty when it has not changed.
  std::function<std::size_t(Rig&)> before{};
  std::function<double()> beforeFloor{};
  std::vector<Step> bestSteps{};
  Best scanMs{}, silentMs{}, floorMs{}, beforeMs{}, beforeFloorMs{};
  std::size_t found = 0;
  int runs = 0;
  double peakMb = 0;
};

// A definition set and what its floors probe, worked out with the program's own parsers
// before any timing.
struct DefinitionSet {
  const char* name;
  core::ApplicationFolder folder;
  core::DefinitionCounts counts;
  std::vector<KeyProbe> lineProbes;       // one per registry line
  std::vector<KeyProbe> keyProbes;        // one per distinct key
  std::vector<std::string> clsidPaths;    // the distinct keys directly under HKCR\CLSID
  std::vector<std::string> filePaths;     // one per file definition
  std::vector<std::string> folders;       // the distinct folders of those paths
  std::vector<std::string> foundFiles;    // the paths a normal file answers to
};

double PeakWorkingSetMb() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  if (!::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters)) return 0;
  return static_cast<double>(counters.PeakWorkingSetSize) / (1024.0 * 1024.0);
}

std::string Grouped(std::int64_t value) { return core::FormatGrouped(value); }

HKEY RootHandle(platform::RootKey root) {
  return reinterpret_cast<HKEY>(
      static_cast<ULONG_PTR>(static_cast<LONG_PTR>(static_cast<LONG>(root))));
}

void ProbeRegistryLines(DefinitionSet& set, const std::vector<std::string>& lines) {
  std::map<std::string, std::size_t> keyIndex;
  std::set<std::string> clsids;
  for (const auto& line : lines) {
    const auto definition = scan::ParseRegistryDefinition(line);
    if (!definition) continue;
    const platform::RootKey root = scan::RootKeyFromField(definition->rootField);
    if (root == platform::roots::kNone) continue;
    set.lineProbes.push_back({RootHandle(root), definition->keyPath, {}});
    if (!definition->valueName.empty()) set.lineProbes.back().valueNames.push_back(definition->valueName);
    const auto [it, added] = keyIndex.try_emplace(
        std::to_string(root) + "|" + core::ToUpper(definition->keyPath), set.keyProbes.size());
    if (added) set.keyProbes.push_back({RootHandle(root), definition->keyPath, {}});
    if (!definition->valueName.empty()) set.keyProbes[it->second].valueNames.push_back(definition->valueName);
    const std::string& path = definition->keyPath;
    if (root == platform::roots::kClassesRoot && core::StartsWithIgnoringCase(path, "CLSID\\") &&
        path.find('\\', 6) == std::string::npos && clsids.insert(core::ToUpper(path)).second) {
      set.clsidPaths.push_back(path);
    }
  }
}

void ProbeFileLines(DefinitionSet& set, const std::vector<std::string>& lines,
                    const scan::KnownFolders& known, const PlantedMachine& planted) {
  std::set<std::string> folders;
  for (const auto& line : lines) {
    const auto definition = scan::ParseFileDefinition(line);
    if (!definition) continue;
    set.filePaths.push_back(scan::DefinitionPath(*definition, known));
    const std::string& path = set.filePaths.back();
    const std::string folder = path.substr(0, path.rfind('\\'));
    if (folders.insert(folder).second) set.folders.push_back(folder);
  }
  // Only the planted files are there, and each set names each of them once.
  set.foundFiles = planted.PlantedFilePaths();
}

DefinitionSet PrepareSet(const char* name, const std::string& appFolder, platform::Machine& machine,
                         const std::vector<std::string>& registryLines,
                         const std::vector<std::string>& fileLines, const scan::KnownFolders& known,
                         const PlantedMachine& planted) {
  DefinitionSet set{name, core::ApplicationFolder(appFolder), {}, {}, {}, {}, {}, {}, {}};
  set.counts.total = core::CountDefinitionLines(machine.files, set.folder, set.counts);
  ProbeRegistryLines(set, registryLines);
  ProbeFileLines(set, fileLines, known, planted);
  std::printf("Set %s: %s registry lines over %s keys (%s directly under HKCR\\CLSID), %s file lines "
              "over %s folders\n",
              name, Grouped(set.counts.registry).c_str(), Grouped(std::ssize(set.keyProbes)).c_str(),
              Grouped(std::ssize(set.clsidPaths)).c_str(), Grouped(set.counts.files).c_str(),
              Grouped(std::ssize(set.folders)).c_str());
  return set;
}

// Existence of many sub-keys of one parent could come from one enumeration of the parent's
// sub-keys instead of an open each: what the two cost on this machine.
void PrintSubKeyEnumeration(const DefinitionSet& set) {
  if (set.clsidPaths.empty()) return;
  const EnumerationCost cost = SubKeyEnumerationAgainstOpens(HKEY_CLASSES_ROOT, "CLSID", set.clsidPaths);
  std::printf("Set %s: enumerating the %s sub-keys of HKCR\\CLSID takes %.1f ms; opening the %s "
              "keys the lines name under it takes %.1f ms\n",
              set.name, Grouped(static_cast<std::int64_t>(cost.subKeys)).c_str(), cost.enumerateMs,
              Grouped(std::ssize(set.clsidPaths)).c_str(), cost.openMs);
}

void AddSetPhases(std::vector<Phase>& phases, const DefinitionSet& set, const StepInputs& steps) {
  phases.push_back({"registry", set.name, Grouped(set.counts.registry) + " lines", &set.folder,
                    &set.counts,
                    [](Rig& rig) {
                      rig.state.session.statusPrefix = "Scanning Registry: ";
                      scan::RegistryScanner(rig.context).ScanRegistryDefinitions();
                      return rig.form.lvwRegistryToBeDeleted.Count();
                    },
                    [&set] {
                      return RegistryFloor(set.folder.FilePath("RegistryDefinition.dat"), set.keyProbes,
                                           true);
                    },
                    [steps] { return RegistrySteps(steps); },
                    [](Rig& rig) {
                      rig.state.session.statusPrefix = "Scanning Registry: ";
                      scan::RegistryScanner(rig.context, scan::KeyOpens::EveryLine).ScanRegistryDefinitions();
                      return rig.form.lvwRegistryToBeDeleted.Count();
                    },
                    [&set] {
                      return RegistryFloor(set.folder.FilePath("RegistryDefinition.dat"), set.lineProbes,
                                           false);
                    }});
  phases.push_back({"files", set.name, Grouped(set.counts.files) + " lines", &set.folder, &set.counts,
                    [](Rig& rig) {
                      rig.state.session.statusPrefix = "Scanning Known Spyware/Adware: ";
                      scan::FileScanner(rig.context).ScanFileDefinitions();
                      return rig.form.lvwFilesToBeDeleted.Count();
                    },
                    [&set] {
                      return FileListingFloor(set.folder.FilePath("FileDefinition.dat"), set.folders,
                                              set.foundFiles);
                    },
                    [steps] { return FileSteps(steps); },
                    [](Rig& rig) {
                      rig.state.session.statusPrefix = "Scanning Known Spyware/Adware: ";
                      scan::FileScanner(rig.context, scan::FileSearches::EveryDefinition).ScanFileDefinitions();
                      return rig.form.lvwFilesToBeDeleted.Count();
                    },
                    [&set] { return FileFloor(set.folder.FilePath("FileDefinition.dat"), set.filePaths); }});
}

// Floor, scan, the scan without yields, the way before, its floor and the scan's steps
// alternate, so all see the same cache state and the same load on the machine. Short phases
// run more often: on a busy machine their best run is otherwise still noisy. Long phases
// skip the run without yields.
void TimePhase(Phase& phase, platform::Machine& machine, int reps, bool repsGiven) {
  std::printf("Timing %s%s%s...\n", phase.name, *phase.set == '-' ? "" : " on ", *phase.set == '-' ? "" : phase.set);
  std::fflush(stdout);
  auto timeScan = [&](const std::function<std::size_t(Rig&)>& scan, bool silent, std::size_t& found) {
    auto rig = std::make_unique<Rig>(machine, *phase.folder, *phase.counts, silent);
    const double start = NowMs();
    found = scan(*rig);
    return NowMs() - start;
  };
  const double phaseStart = NowMs();
  for (int rep = 0; rep < reps || (rep < kMaxReps && NowMs() - phaseStart < kShortPhaseMs); ++rep) {
    std::size_t ignored = 0;
    phase.floorMs.Keep(phase.floor());
    phase.scanMs.Keep(timeScan(phase.scan, false, phase.found));
    if (phase.floorMs.ms <= kLongRunMs) phase.silentMs.Keep(timeScan(phase.scan, true, ignored));
    if (phase.before) phase.beforeMs.Keep(timeScan(phase.before, false, ignored));
    if (phase.beforeFloor) phase.beforeFloorMs.Keep(phase.beforeFloor());
    std::vector<Step> steps = phase.steps();
    if (phase.bestSteps.empty()) phase.bestSteps = std::move(steps);
    for (std::size_t i = 0; i < steps.size() && i < phase.bestSteps.size(); ++i) {
      phase.bestSteps[i].ms = std::min(phase.bestSteps[i].ms, steps[i].ms);
    }
    phase.runs = rep + 1;
    const double longest = std::max({phase.floorMs.ms, phase.scanMs.ms,
                                     phase.beforeMs.Ran() ? phase.beforeMs.ms : 0.0});
    if (!repsGiven && phase.runs >= 2 && longest > kLongRunMs) break;
  }
  phase.peakMb = PeakWorkingSetMb();
  std::printf("  %d runs of each side in %.1f s\n", phase.runs, (NowMs() - phaseStart) / 1000.0);
}

std::string Ms(const Best& best) {
  char text[32] = "-";
  if (best.Ran()) std::snprintf(text, sizeof text, "%.1f", best.ms);
  return text;
}

bool PrintTable(const std::vector<Phase>& phases) {
  std::printf("\nBest of the runs of each side. \"before\": the phase as it ran before (an open per "
              "registry line, a search per file definition) and that way's floor; \"no-yield\": "
              "the scan with a host that never pumps (short phases only).\n\n");
  std::printf("%-10s %-5s %-30s %6s %5s %10s %10s %6s %10s %10s %8s %10s %8s\n", "phase", "set",
              "items", "found", "runs", "scan ms", "floor ms", "ratio", "before ms", "b. floor",
              "speed-up", "no-yield", "peak MB");
  bool allWithin = true;
  for (const auto& phase : phases) {
    const double ratio = phase.scanMs.ms / phase.floorMs.ms;
    const bool within = ratio <= kGoal;
    allWithin = allWithin && within;
    char speedUp[32] = "-";
    if (phase.beforeMs.Ran()) std::snprintf(speedUp, sizeof speedUp, "%.1fx", phase.beforeMs.ms / phase.scanMs.ms);
    std::printf("%-10s %-5s %-30s %6zu %5d %10.1f %10.1f %5.2fx %10s %10s %8s %10s %8.1f%s\n",
                phase.name, phase.set, phase.items.c_str(), phase.found, phase.runs, phase.scanMs.ms,
                phase.floorMs.ms, ratio, Ms(phase.beforeMs).c_str(), Ms(phase.beforeFloorMs).c_str(),
                speedUp, Ms(phase.silentMs).c_str(), phase.peakMb, within ? "" : "  OVER");
  }
  return allWithin;
}

const Phase* Find(const std::vector<Phase>& phases, std::string_view name, std::string_view set) {
  for (const auto& phase : phases) {
    if (name == phase.name && set == phase.set) return &phase;
  }
  return nullptr;
}

// The four phases summed, now and as before, for each set whose phases all ran. Returns
// whether the mix meets its speed-up goals (true when the mix did not run in full).
bool PrintWholeScans(const std::vector<Phase>& phases) {
  bool met = true;
  const Phase* cookies = Find(phases, "cookies", "-");
  const Phase* processes = Find(phases, "processes", "-");
  for (const char* set : {"large", "mix"}) {
    const Phase* registry = Find(phases, "registry", set);
    const Phase* files = Find(phases, "files", set);
    if (!cookies || !processes || !registry || !files) continue;
    const double shared = cookies->scanMs.ms + processes->scanMs.ms;
    const double now = shared + registry->scanMs.ms + files->scanMs.ms;
    const double before = shared + registry->beforeMs.ms + files->beforeMs.ms;
    std::printf("Whole scan on %s: %.1f ms, before %.1f ms (%.1fx); file phase %.1fx, registry phase "
                "%.1fx faster\n",
                set, now, before, before / now, files->beforeMs.ms / files->scanMs.ms,
                registry->beforeMs.ms / registry->scanMs.ms);
    if (std::string_view(set) == "mix") {
      met = before / now >= kScanSpeedUpGoal && files->beforeMs.ms / files->scanMs.ms >= kFileSpeedUpGoal;
    }
  }
  return met;
}

// Where a phase over its goal spends the time its floor does not: each step alone, best of
// the phase's runs.
void PrintSteps(const std::vector<Phase>& phases) {
  for (const auto& phase : phases) {
    if (phase.scanMs.ms <= kGoal * phase.floorMs.ms) continue;
    std::printf("\n%s on %s: scan %.1f ms, floor %.1f ms, %.1f ms over the floor; steps alone:\n",
                phase.name, phase.set, phase.scanMs.ms, phase.floorMs.ms,
                phase.scanMs.ms - phase.floorMs.ms);
    for (const auto& step : phase.bestSteps) {
      std::printf("  %9.1f ms  %s\n", step.ms, step.what.c_str());
    }
  }
}

int Run(int reps, bool repsGiven, const std::string& only, const std::string& onlySet) {
  const double started = NowMs();
  platform::win32::Win32Machine win32Machine;
  platform::Machine& machine = win32Machine.Get();

  // The folders the file scan expands its templates to, as a session works them out.
  scan::KnownFolders folders;
  {
    const core::ApplicationFolder none("");
    Rig rig(machine, none, {}, true);
    folders = scan::FileScanner(rig.context).FoldersOfThisMachine();
  }

  std::printf("Planting the machine...\n");
  std::fflush(stdout);
  PlantedMachine planted({});
  planted.Plant(folders.programFiles, folders.windows);
  std::printf("Planted in %.1f s: %d registry keys and values, %d files, %d of %s cookie files to "
              "match\n",
              (NowMs() - started) / 1000.0, planted.PlantedKeysAndValues(), planted.PlantedFiles(),
              planted.MatchingCookieFiles(), Grouped(DefinitionSetSize{}.cookieFiles).c_str());
  const DefinitionSet large = PrepareSet("large", planted.ApplicationFolder(), machine,
                                         planted.RegistryLines(), planted.FileLines(), folders, planted);
  const DefinitionSet mix = PrepareSet("mix", planted.MixApplicationFolder(), machine,
                                       planted.MixRegistryLines(), planted.MixFileLines(), folders, planted);
  PrintSubKeyEnumeration(mix);
  planted.ForgetLines();

  // The processes whose names are listed: the only ones the process phase must open.
  std::vector<std::uint32_t> listedProcessIds;
  {
    std::string names;
    const auto content = machine.files.ReadAll(planted.DefinitionFile("ExeDefinition.dat"));
    core::LineReader reader(content.ok() ? content.value() : std::string());
    std::string_view line;
    while (reader.Next(line)) names.append(core::DecodeDefinitionLine(line)).append("\r\n");
    for (const auto& entry : machine.processes.Snapshot()) {
      if (scan::MatchesExeDefinition(names, core::ToUpper(entry.exeFile))) {
        listedProcessIds.push_back(entry.id);
      }
    }
    std::sort(listedProcessIds.begin(), listedProcessIds.end());
  }
  std::printf("Running processes under listed names: %zu\n", listedProcessIds.size());
  std::printf("Ready to time after %.1f s; peak working set so far %.1f MB (the planted lines and "
              "what the floors probe).\n",
              (NowMs() - started) / 1000.0, PeakWorkingSetMb());

  const std::string cookieFolder = planted.CookieFolder();
  const StepInputs largeSteps{machine, large.folder, large.counts, planted, folders};
  const StepInputs mixSteps{machine, mix.folder, mix.counts, planted, folders};
  int processCount = 0;
  std::vector<Phase> phases;
  phases.push_back({"cookies", "-",
                    Grouped(DefinitionSetSize{}.cookieFiles) + " files x " +
                        Grouped(large.counts.cookies) + " patterns",
                    &large.folder, &large.counts,
                    [&](Rig& rig) {
                      rig.state.session.statusPrefix = "Detecting Cookies: ";
                      scan::CookieScanner scanner(rig.context);
                      std::int32_t files = 0;
                      scanner.ScanCookieFolder(cookieFolder, files);
                      return rig.form.lvwCookiesToDelete.Count();
                    },
                    [&] {
                      return CookieFloor(planted.DefinitionFile("BlockedCookies.dat"), cookieFolder);
                    },
                    [&] { return CookieSteps(largeSteps); }});
  phases.push_back({"processes", "-", "", &large.folder, &large.counts,
                    [&](Rig& rig) {
                      rig.state.session.statusPrefix = "Inspecting Memory: ";
                      scan::ProcessScanner scanner(rig.context, nullptr);
                      scanner.ScanProcessesNT();
                      return static_cast<std::size_t>(rig.state.session.spywareFound);
                    },
                    [&] {
                      return ProcessFloor(planted.DefinitionFile("ExeDefinition.dat"),
                                          listedProcessIds, processCount);
                    },
                    [&] { return ProcessSteps(largeSteps); }});
  AddSetPhases(phases, large, largeSteps);
  AddSetPhases(phases, mix, mixSteps);
  std::erase_if(phases, [&](const Phase& phase) {
    return (!only.empty() && only != phase.name) ||
           (!onlySet.empty() && *phase.set != '-' && onlySet != phase.set);
  });
  for (auto& phase : phases) TimePhase(phase, machine, reps, repsGiven);
  for (auto& phase : phases) {
    if (phase.items.empty()) {
      phase.items = Grouped(large.counts.executables) + " names x " + std::to_string(processCount) +
                    " processes";
    }
  }

  const bool allWithin = PrintTable(phases);
  std::printf("\n");
  const bool fasterEnough = PrintWholeScans(phases);
  const double peakMb = PeakWorkingSetMb();
  std::printf("Peak working set: %.1f MB\n", peakMb);
  PrintSteps(phases);
  std::printf("\n");
  std::printf("Goal (every phase within %.1fx its floor): %s\n", kGoal, allWithin ? "met" : "NOT met");
  std::printf("Goal (on the mix, the file phase %.0fx and the whole scan %.0fx faster than before): %s\n",
              kFileSpeedUpGoal, kScanSpeedUpGoal, fasterEnough ? "met" : "NOT met");
  std::printf("Goal (peak working set under %.0f MB): %s\n", kMemoryGoalMb,
              peakMb < kMemoryGoalMb ? "met" : "NOT met");
  planted.Remove();
  std::string settingsKey = core::SettingsStore::SectionPath(kApplicationName, "");
  settingsKey.pop_back();  // the application's key itself, not an empty section under it
  ::RegDeleteTreeA(HKEY_CURRENT_USER, settingsKey.c_str());
  std::printf("Total wall time: %.1f s\n", (NowMs() - started) / 1000.0);
  return allWithin && fasterEnough && peakMb < kMemoryGoalMb ? 0 : 1;
}

}  // namespace
}  // namespace kestrian::bench

int main(int argc, char** argv) {
  int reps = 3;
  bool repsGiven = false;
  std::string only;
  std::string onlySet;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--reps") == 0 && i + 1 < argc) {
      reps = std::max(1, std::atoi(argv[++i]));
      repsGiven = true;
    } else if (std::strcmp(argv[i], "--only") == 0 && i + 1 < argc) {
      only = argv[++i];
    } else if (std::strcmp(argv[i], "--set") == 0 && i + 1 < argc) {
      onlySet = argv[++i];
    } else {
      std::fprintf(stderr, "usage: kestrian_bench [--reps N] [--only PHASE] [--set large|mix]\n");
      return 2;
    }
  }
  return kestrian::bench::Run(reps, repsGiven, only, onlySet);
}
