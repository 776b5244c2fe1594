// kestrian_bench: times each scan phase on a planted machine against the bare platform calls
// the phase cannot avoid, and prints the ratio of the two.
//   kestrian_bench [--reps N] [--only PHASE]
//     --reps N       at least N runs of each side, the best counting (default 3, but 2 for a
//                    phase whose runs take over 5 s, to keep the whole run near 2 minutes)
//     --only PHASE   time one phase: cookies, processes, registry or files
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
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
#include "scan/registry_scanner.h"
#include "scan/scan_context.h"

namespace kestrian::bench {
namespace {

constexpr double kGoal = 1.5;
constexpr int kMaxReps = 15;
constexpr double kShortPhaseMs = 5000;
constexpr double kLongRunMs = 5000;

struct Phase {
  const char* name;
  std::string items;
  // Runs the scanner on a fresh rig; returns the findings it listed.
  std::function<std::size_t(Rig&)> scan;
  std::function<double()> floor;
  std::function<std::vector<Step>()> steps;
  std::vector<Step> bestSteps{};
  double scanMs = 1e300;
  double silentMs = 1e300;
  double floorMs = 1e300;
  std::size_t found = 0;
  int runs = 0;
  double peakMb = 0;
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

int Run(int reps, bool repsGiven, const std::string& only) {
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
  const core::ApplicationFolder folder(planted.ApplicationFolder());
  core::DefinitionCounts counts;
  counts.total = core::CountDefinitionLines(machine.files, folder, counts);
  std::printf("Planted in %.1f s.\n", (NowMs() - started) / 1000.0);
  std::printf("Definitions: %s registry, %s file, %s executable, %s cookie lines\n",
              Grouped(counts.registry).c_str(), Grouped(counts.files).c_str(),
              Grouped(counts.executables).c_str(), Grouped(counts.cookies).c_str());
  std::printf("Planted: %d registry keys and values, %d files, %d of %s cookie files to match\n",
              planted.PlantedKeysAndValues(), planted.PlantedFiles(), planted.MatchingCookieFiles(),
              Grouped(DefinitionSetSize{}.cookieFiles).c_str());

  // The floors' inputs, worked out with the program's own parsers before any timing.
  std::vector<RegistryProbe> registryProbes;
  int valueProbesInExistingKeys = 0;
  for (const auto& line : planted.RegistryLines()) {
    const auto definition = scan::ParseRegistryDefinition(line);
    if (!definition) continue;
    const platform::RootKey root = scan::RootKeyFromField(definition->rootField);
    if (root == platform::roots::kNone) continue;
    registryProbes.push_back({RootHandle(root), definition->keyPath, definition->valueName});
    HKEY key = nullptr;
    if (!definition->valueName.empty() &&
        ::RegOpenKeyExA(RootHandle(root), definition->keyPath.c_str(), 0, 0x3F, &key) == ERROR_SUCCESS) {
      ++valueProbesInExistingKeys;
      ::RegCloseKey(key);
    }
  }
  std::vector<std::string> filePaths;
  for (const auto& line : planted.FileLines()) {
    const auto definition = scan::ParseFileDefinition(line);
    if (definition) filePaths.push_back(scan::DefinitionPath(*definition, folders));
  }
  std::printf("Registry value lines whose key exists: %s\n",
              Grouped(valueProbesInExistingKeys).c_str());
  std::printf("Ready to time after %.1f s.\n", (NowMs() - started) / 1000.0);

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

  const std::string cookieFolder = planted.CookieFolder();
  const StepInputs stepInputs{machine, folder, counts, planted, folders};
  int processCount = 0;
  std::vector<Phase> phases;
  phases.push_back({"cookies",
                    Grouped(DefinitionSetSize{}.cookieFiles) + " files x " +
                        Grouped(counts.cookies) + " patterns",
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
                    [&] { return CookieSteps(stepInputs); }});
  phases.push_back({"processes", "",
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
                    [&] { return ProcessSteps(stepInputs); }});
  phases.push_back({"registry", Grouped(counts.registry) + " lines",
                    [&](Rig& rig) {
                      rig.state.session.statusPrefix = "Scanning Registry: ";
                      scan::RegistryScanner scanner(rig.context);
                      scanner.ScanRegistryDefinitions();
                      return rig.form.lvwRegistryToBeDeleted.Count();
                    },
                    [&] {
                      return RegistryFloor(planted.DefinitionFile("RegistryDefinition.dat"),
                                           registryProbes);
                    },
                    [&] { return RegistrySteps(stepInputs); }});
  phases.push_back({"files", Grouped(counts.files) + " lines",
                    [&](Rig& rig) {
                      rig.state.session.statusPrefix = "Scanning Known Spyware/Adware: ";
                      scan::FileScanner scanner(rig.context);
                      scanner.ScanFileDefinitions();
                      return rig.form.lvwFilesToBeDeleted.Count();
                    },
                    [&] { return FileFloor(planted.DefinitionFile("FileDefinition.dat"), filePaths); },
                    [&] { return FileSteps(stepInputs); }});

  if (!only.empty()) {
    std::erase_if(phases, [&](const Phase& phase) { return only != phase.name; });
  }
  for (auto& phase : phases) {
    std::printf("Timing %s...\n", phase.name);
    std::fflush(stdout);
    auto timeScan = [&](bool silent, std::size_t& found) {
      auto rig = std::make_unique<Rig>(machine, folder, counts, silent);
      const double start = NowMs();
      found = phase.scan(*rig);
      return NowMs() - start;
    };
    // Floor, scan and the scan's steps alternate, so all see the same cache state and the
    // same load on the machine. Short phases run more often: on a busy machine their best
    // run is otherwise still noisy. Long phases skip the run without yields.
    const double phaseStart = NowMs();
    for (int rep = 0; rep < reps || (rep < kMaxReps && NowMs() - phaseStart < kShortPhaseMs); ++rep) {
      phase.floorMs = std::min(phase.floorMs, phase.floor());
      phase.scanMs = std::min(phase.scanMs, timeScan(false, phase.found));
      if (phase.floorMs <= kLongRunMs) {
        std::size_t ignored = 0;
        phase.silentMs = std::min(phase.silentMs, timeScan(true, ignored));
      }
      std::vector<Step> steps = phase.steps();
      if (phase.bestSteps.empty()) phase.bestSteps = std::move(steps);
      for (std::size_t i = 0; i < steps.size() && i < phase.bestSteps.size(); ++i) {
        phase.bestSteps[i].ms = std::min(phase.bestSteps[i].ms, steps[i].ms);
      }
      phase.runs = rep + 1;
      if (!repsGiven && phase.runs >= 2 && phase.floorMs > kLongRunMs) break;
    }
    phase.peakMb = PeakWorkingSetMb();
    std::printf("  %d runs of each side in %.1f s\n", phase.runs, (NowMs() - phaseStart) / 1000.0);
  }
  for (auto& phase : phases) {
    if (phase.items.empty()) {
      phase.items = Grouped(counts.executables) + " names x " + std::to_string(processCount) +
                    " processes";
    }
  }

  std::printf("\nBest of the runs of each side; \"no-yield\": the scan with a host that never "
              "pumps (short phases only).\n\n");
  std::printf("%-10s %-30s %6s %5s %10s %10s %6s %10s %8s\n", "phase", "items", "found", "runs",
              "scan ms", "floor ms", "ratio", "no-yield", "peak MB");
  bool allWithin = true;
  for (const auto& phase : phases) {
    const double ratio = phase.floorMs > 0 ? phase.scanMs / phase.floorMs : 0;
    const bool within = ratio <= kGoal;
    allWithin = allWithin && within;
    char silent[32] = "-";
    if (phase.silentMs < 1e300) std::snprintf(silent, sizeof silent, "%.1f", phase.silentMs);
    std::printf("%-10s %-30s %6zu %5d %10.1f %10.1f %5.2fx %10s %8.1f%s\n", phase.name,
                phase.items.c_str(), phase.found, phase.runs, phase.scanMs, phase.floorMs, ratio,
                silent, phase.peakMb, within ? "" : "  OVER");
  }
  std::printf("\nPeak working set: %.1f MB\n", PeakWorkingSetMb());

  // Where a phase over its goal spends the time its floor does not: each step alone, best
  // of the phase's runs.
  for (const auto& phase : phases) {
    if (phase.scanMs <= kGoal * phase.floorMs) continue;
    std::printf("\n%s: scan %.1f ms, floor %.1f ms, %.1f ms over the floor; steps alone:\n",
                phase.name, phase.scanMs, phase.floorMs, phase.scanMs - phase.floorMs);
    for (const auto& step : phase.bestSteps) {
      std::printf("  %9.1f ms  %s\n", step.ms, step.what.c_str());
    }
  }
  std::printf("\n");
  std::printf("Goal (every phase within %.1fx its floor): %s\n", kGoal, allWithin ? "met" : "NOT met");
  planted.Remove();
  std::string settingsKey = core::SettingsStore::SectionPath(kApplicationName, "");
  settingsKey.pop_back();  // the application's key itself, not an empty section under it
  ::RegDeleteTreeA(HKEY_CURRENT_USER, settingsKey.c_str());
  std::printf("Total wall time: %.1f s\n", (NowMs() - started) / 1000.0);
  return allWithin ? 0 : 1;
}

}  // namespace
}  // namespace kestrian::bench

int main(int argc, char** argv) {
  int reps = 3;
  bool repsGiven = false;
  std::string only;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--reps") == 0 && i + 1 < argc) {
      reps = std::max(1, std::atoi(argv[++i]));
      repsGiven = true;
    } else if (std::strcmp(argv[i], "--only") == 0 && i + 1 < argc) {
      only = argv[++i];
    } else {
      std::fprintf(stderr, "usage: kestrian_bench [--reps N] [--only PHASE]\n");
      return 2;
    }
  }
  return kestrian::bench::Run(reps, repsGiven, only);
}
