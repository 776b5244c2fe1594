// kestrian_shield_bench: what the shields' process scans cost in the background. It starts
// copies of a small waiting program under names of its own (some of them listed), writes
// 5,000 executable definitions, and measures the CPU time of a few minutes' worth of shield
// runs, once with the snapshot-name rule, once reading every process's module path (as the
// scan did before), against the bare calls those runs cannot avoid.
//   kestrian_shield_bench [--processes N] [--listed N] [--minutes M] [--reps N]
//     --processes N  processes running in all, this one included (default 100)
//     --listed N     copies under listed names (default 10; half excluded, half Microsoft's)
//     --minutes M    minutes of shield activity to run (default 3: 18 + 12 runs)
//     --reps N       blocks of runs of each side, the best counting (default 3)
#include <windows.h>

#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "bench/bare_floors.h"
#include "bench/planted_machine.h"
#include "bench/session_rig.h"
#include "core/application_folder.h"
#include "core/definition_files.h"
#include "core/data_files.h"
#include "core/definition_line.h"
#include "core/exclusion_list.h"
#include "core/file_tests.h"
#include "core/line_reader.h"
#include "core/settings_store.h"
#include "core/text.h"
#include "platform/win32/win32_machine.h"
#include "scan/company_name.h"
#include "scan/process_control.h"
#include "scan/process_names.h"
#include "scan/process_scanner.h"

namespace kestrian::bench {
namespace {

constexpr double kGoal = 1.5;
constexpr int kMemoryShieldSeconds = 10;    // the memory shield's timer
constexpr int kHomePageShieldSeconds = 15;  // the home page shield's, which runs the same scan
constexpr int kExecutableNames = 5'000;
constexpr int kIdleMinutes = 10;            // the copies end by themselves after this
constexpr const char* kIdleProgram = "kestrian_bench_idle.exe";
constexpr const char* kBenchName = "kestrian_shield_bench";

struct Options {
  int processes = 100;
  int listed = 10;
  int minutes = 3;
  int reps = 3;
};

std::string Format(const char* format, auto... args) {
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, format, args...);
  return buffer;
}

double ToMs(const FILETIME& time) {
  ULARGE_INTEGER value{};
  value.LowPart = time.dwLowDateTime;
  value.HighPart = time.dwHighDateTime;
  return static_cast<double>(value.QuadPart) / 10'000.0;
}

// A whole file as text, read in chunks (Linux's /proc files report no size).
std::optional<std::string> ReadText(const std::string& path) {
  HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string text;
  char chunk[4096];
  DWORD read = 0;
  while (::ReadFile(file, chunk, sizeof chunk, &read, nullptr) && read > 0) text.append(chunk, read);
  ::CloseHandle(file);
  return text;
}

// The first field of a Linux schedstat file: the task's time on a CPU, in nanoseconds.
std::optional<double> SchedstatMs(const std::string& path) {
  const auto text = ReadText(path);
  if (!text || text->empty()) return std::nullopt;
  return std::atof(text->c_str()) / 1e6;
}

std::vector<std::string> ProcEntries(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA data{};
  HANDLE find = ::FindFirstFileA((folder + "\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = data.cFileName;
    if (!name.empty() && name.find_first_not_of("0123456789") == std::string::npos) names.push_back(name);
  } while (::FindNextFileA(find, &data));
  ::FindClose(find);
  return names;
}

// Whether the Linux process's environment holds `entry` ("NAME=value").
bool EnvironmentHolds(const std::string& pid, const std::string& entry) {
  const auto environment = ReadText("Z:\\proc\\" + pid + "\\environ");
  if (!environment) return false;
  for (std::size_t at = 0; at < environment->size();) {
    const std::size_t end = std::min(environment->find('\0', at), environment->size());
    if (environment->compare(at, end - at, entry) == 0) return true;
    at = end + 1;
  }
  return false;
}

// CPU time of a Linux process under Wine: the schedstat times of all its threads, read
// through drive Z: (nanoseconds; Wine's own GetProcessTimes counts 10 ms clock ticks).
// Under Wine the wineserver, a Linux process of its own, does part of the work of every
// call that asks it (opening a process, reading its memory, a snapshot, opening a file);
// that time is in no Windows process's CPU time. Both processes are found by their name and
// by this program's prefix in their environment.
class LinuxProcessClock {
 public:
  // `comm`: how the process's name begins (Linux keeps its first 15 characters).
  explicit LinuxProcessClock(const std::string& comm) {
    const HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
    if (ntdll == nullptr || ::GetProcAddress(ntdll, "wine_get_version") == nullptr) return;
    char prefix[MAX_PATH] = {};
    const DWORD length = ::GetEnvironmentVariableA("WINEPREFIX", prefix, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    const std::string wanted = comm.substr(0, 15);
    std::vector<std::string> found;
    for (const auto& pid : ProcEntries("Z:\\proc")) {
      const auto name = ReadText("Z:\\proc\\" + pid + "\\comm");
      if (!name || name->rfind(wanted, 0) != 0) continue;
      if (EnvironmentHolds(pid, "WINEPREFIX=" + std::string(prefix, length))) found.push_back(pid);
    }
    if (found.size() == 1) task_ = "Z:\\proc\\" + found[0] + "\\task";
    if (!task_.empty() && !Ms()) task_.clear();
  }
  bool Available() const { return !task_.empty(); }
  std::optional<double> Ms() const {
    if (task_.empty()) return std::nullopt;
    double total = 0;
    bool any = false;
    for (const auto& thread : ProcEntries(task_)) {
      if (const auto ms = SchedstatMs(task_ + "\\" + thread + "\\schedstat")) {
        total += *ms;
        any = true;
      }
    }
    if (!any) return std::nullopt;
    return total;
  }

 private:
  std::string task_;
};

// The CPU time of this process: from Linux under Wine when it can be found there, else
// GetProcessTimes' user and kernel time.
class ProcessClock {
 public:
  explicit ProcessClock(const std::string& exeName) : linux_(exeName) {}
  double Ms() const {
    if (const auto ms = linux_.Ms()) return *ms;
    FILETIME created{}, exited{}, kernel{}, user{};
    ::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user);
    return ToMs(kernel) + ToMs(user);
  }
  const char* Source() const {
    return linux_.Available() ? "Linux schedstat of its threads" : "GetProcessTimes";
  }

 private:
  LinuxProcessClock linux_;
};

// The process list with every module path read counted.
class CountingProcesses final : public platform::Processes {
 public:
  explicit CountingProcesses(platform::Processes& real) : real_(real) {}
  std::vector<platform::ProcessEntry> Snapshot() override { return real_.Snapshot(); }
  platform::Result<std::string> MainModulePath(std::uint32_t id) override {
    ++modulePathReads;
    return real_.MainModulePath(id);
  }
  bool Terminate(std::uint32_t id, std::uint32_t exitCode) override { return real_.Terminate(id, exitCode); }
  void TerminateWithOwnExitCode(std::uint32_t id) override { real_.TerminateWithOwnExitCode(id); }
  bool WaitForEnd(std::uint32_t id, std::uint32_t milliseconds) override {
    return real_.WaitForEnd(id, milliseconds);
  }
  long long modulePathReads = 0;

 private:
  platform::Processes& real_;
};

// The alert of a shield run. None should be shown: every listed copy is excluded or
// Microsoft's. Should one be, it is answered at once, so no run waits for a user.
class AnsweringAlert final : public scan::SpywareAlert {
 public:
  explicit AnsweringAlert(core::ProgramState& state) : state_(state) {}
  void Show(std::string_view, std::string_view, const scan::FoundProcess&) override {
    ++shown;
    state_.alertAnswered = true;
  }
  int shown = 0;

 private:
  core::ProgramState& state_;
};


std::string Folder(const std::string& path) { return path.substr(0, path.rfind('\\')); }

struct Copy {
  std::string name;
  bool listed = false;
  bool microsoft = false;
};

class ShieldMachine {
 public:
  ShieldMachine() {
    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    scratch_ = std::string(temp) + "kestrian-shield-bench";
    appFolder_ = scratch_ + "\\app";
    runFolder_ = scratch_ + "\\run";
  }
  ~ShieldMachine() { Remove(); }

  const std::string& ApplicationFolder() const { return appFolder_; }
  std::string DefinitionFile() const { return appFolder_ + "\\ExeDefinition.dat"; }
  const std::vector<std::string>& DefinitionLines() const { return lines_; }

  // Ends every copy (also those an interrupted run left) and removes the scratch folder.
  void Remove() {
    for (const auto& process : started_) {
      ::TerminateProcess(process, 0);
      ::WaitForSingleObject(process, 5000);
      ::CloseHandle(process);
    }
    started_.clear();
    const std::string prefix = core::ToUpper(runFolder_ + "\\");
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot != INVALID_HANDLE_VALUE) {
      PROCESSENTRY32 entry{};
      entry.dwSize = sizeof entry;
      for (BOOL more = ::Process32First(snapshot, &entry); more; more = ::Process32Next(snapshot, &entry)) {
        HANDLE process = ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | PROCESS_TERMINATE |
                                           SYNCHRONIZE, FALSE, entry.th32ProcessID);
        if (process == nullptr) continue;
        char path[MAX_PATH] = {};
        if (::GetModuleFileNameExA(process, nullptr, path, MAX_PATH) > 0 &&
            core::ToUpper(path).rfind(prefix, 0) == 0) {
          ::TerminateProcess(process, 0);
          ::WaitForSingleObject(process, 5000);
        }
        ::CloseHandle(process);
      }
      ::CloseHandle(snapshot);
    }
    RemoveFolderTree(scratch_);
  }

  void WriteDefinitions() {
    ::CreateDirectoryA(scratch_.c_str(), nullptr);
    ::CreateDirectoryA(appFolder_.c_str(), nullptr);
    std::string content;
    for (int n = 0; n < kExecutableNames; ++n) {
      lines_.push_back(n % 3 == 0 ? Format("adw%05d.exe", n) : Format("adproc%04d.exe", n));
      content.append(core::EncodeDefinitionLine(lines_.back())).append("\r\n");
    }
    WriteWholeFile(DefinitionFile(), content);
  }

  // Starts `copies` copies of the waiting program, `listed` of them under listed names;
  // returns false when the program is missing or a copy does not start.
  bool StartCopies(const std::string& idleProgram, int copies, int listed) {
    ::CreateDirectoryA(runFolder_.c_str(), nullptr);
    const std::string upperText = core::ToUpper(AllLines());
    const char* const stems[] = {"adhelper", "apphost", "Teams Helper ", "svcagent", "updater",
                                 "SyncEngine", "backupsvc", "indexer", "Audio Service ", "chromium"};
    int unlistedIndex = 0;
    for (int i = 0; i < copies; ++i) {
      Copy copy;
      if (i < listed) {
        std::string name = lines_[static_cast<std::size_t>((i * 487 + 1) % kExecutableNames)];
        if (i % 3 == 0) name = core::ToUpper(name);
        if (i % 3 == 2) name[0] = static_cast<char>(name[0] - 'a' + 'A');
        copy = {name, true, i % 2 == 1};
      } else {
        do {
          copy.name = Format("%s%03d.exe", stems[unlistedIndex % 10], unlistedIndex / 10);
          ++unlistedIndex;
        } while (upperText.find(core::ToUpper(copy.name)) != std::string::npos);
      }
      const std::string path = runFolder_ + "\\" + copy.name;
      if (!::CopyFileA(idleProgram.c_str(), path.c_str(), FALSE)) {
        std::printf("Cannot copy %s to %s\n", idleProgram.c_str(), path.c_str());
        return false;
      }
      if (copy.microsoft) {
        HANDLE file = ::CreateFileA(path.c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        const std::string block = CompanyBlock("Microsoft Corporation");
        DWORD written = 0;
        ::WriteFile(file, block.data(), static_cast<DWORD>(block.size()), &written, nullptr);
        ::CloseHandle(file);
      }
      std::string commandLine = "\"" + path + "\" " + std::to_string(kIdleMinutes);
      STARTUPINFOA startup{};
      startup.cb = sizeof startup;
      PROCESS_INFORMATION process{};
      if (!::CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                            CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process)) {
        std::printf("Cannot start %s (error %lu)\n", path.c_str(), ::GetLastError());
        return false;
      }
      ::CloseHandle(process.hThread);
      started_.push_back(process.hProcess);
      if (copy.listed) listedIds_.push_back(process.dwProcessId);
      copies_.push_back(copy);
    }
    std::sort(listedIds_.begin(), listedIds_.end());
    return true;
  }

  // Waits until every copy's module path can be read (its loader has run).
  bool WaitUntilReadable(platform::Processes& processes) {
    for (int attempt = 0; attempt < 1500; ++attempt) {
      bool all = true;
      for (HANDLE process : started_) {
        if (!processes.MainModulePath(::GetProcessId(process)).ok()) {
          all = false;
          break;
        }
      }
      if (all) return true;
      ::Sleep(20);
    }
    return false;
  }

  // The exclusion list of a user who answered ALLOW for every listed copy not Microsoft's.
  std::string ExclusionText() const {
    std::string text;
    for (const auto& copy : copies_) {
      if (copy.listed && !copy.microsoft) text += copy.name + "\r\n";
    }
    return text;
  }
  const std::vector<Copy>& Copies() const { return copies_; }
  const std::vector<DWORD>& ListedIds() const { return listedIds_; }

 private:
  std::string AllLines() const {
    std::string text;
    for (const auto& line : lines_) text += line + "\r\n";
    return text;
  }

  std::string scratch_;
  std::string appFolder_;
  std::string runFolder_;
  std::vector<std::string> lines_;
  std::vector<Copy> copies_;
  std::vector<HANDLE> started_;
  std::vector<DWORD> listedIds_;
};

int CountProcesses() {
  int count = 0;
  HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return 0;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = ::Process32First(snapshot, &entry); more; more = ::Process32Next(snapshot, &entry)) {
    ++count;
  }
  ::CloseHandle(snapshot);
  return count;
}

struct Block {
  double cpuMs = 0;
  double serverMs = -1;  // -1: not known
  double wallMs = 0;
  long long modulePathReads = 0;
  int alerts = 0;
  int found = 0;
};

struct Side {
  const char* name;
  Block best{1e300, -1, 0, 0, 0, 0};
  void Keep(const Block& block) {
    if (block.cpuMs < best.cpuMs) best = block;
  }
};

// Reads a whole file into a reused buffer.
void ReadWhole(const std::string& path) {
  static std::vector<char> buffer;
  HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  LARGE_INTEGER size{};
  ::GetFileSizeEx(file, &size);
  const auto bytes = static_cast<std::size_t>(size.QuadPart);
  if (buffer.size() < bytes + 1) buffer.resize(bytes + 1);
  DWORD read = 0;
  ::ReadFile(file, buffer.data(), static_cast<DWORD>(size.QuadPart), &read, nullptr);
  ::CloseHandle(file);
}

// The bare calls of one shield run: the definition file read, one snapshot walked, and for
// each listed process (known beforehand) its module path read and its file read for the
// company name.
void FloorRun(const std::string& definitionFile, const std::vector<DWORD>& listedIds) {
  if (!definitionFile.empty()) ReadWhole(definitionFile);
  HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  std::vector<DWORD> open;
  for (BOOL more = ::Process32First(snapshot, &entry); more; more = ::Process32Next(snapshot, &entry)) {
    if (std::binary_search(listedIds.begin(), listedIds.end(), entry.th32ProcessID)) {
      open.push_back(entry.th32ProcessID);
    }
  }
  ::CloseHandle(snapshot);
  for (DWORD id : open) {
    HANDLE process = ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id);
    if (process == nullptr) continue;
    HMODULE modules[25];
    DWORD needed = 0;
    char path[MAX_PATH] = {};
    DWORD length = 0;
    if (::EnumProcessModules(process, modules, sizeof modules, &needed)) {
      length = ::GetModuleFileNameExA(process, modules[0], path, MAX_PATH);
    }
    ::CloseHandle(process);
    if (length > 0) ReadWhole(std::string(path, length));
  }
}

int Run(const Options& options) {
  const double started = NowMs();
  const int memoryRuns = options.minutes * 60 / kMemoryShieldSeconds;
  const int homePageRuns = options.minutes * 60 / kHomePageShieldSeconds;
  const int runs = memoryRuns + homePageRuns;
  const double runsPerSecond = 1.0 / kMemoryShieldSeconds + 1.0 / kHomePageShieldSeconds;

  platform::win32::Win32Machine win32Machine;
  platform::Machine& real = win32Machine.Get();
  CountingProcesses counting(real.processes);
  platform::Machine machine{real.registry, real.files,   real.environment,
                            real.clock,    counting,     real.desktop,
                            real.systemRestore, real.libraries, real.web, real.crypto};

  char self[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, self, MAX_PATH);
  const std::string idleProgram = Folder(self) + "\\" + kIdleProgram;

  ShieldMachine planted;
  planted.Remove();  // whatever an interrupted run left
  planted.WriteDefinitions();
  const int before = CountProcesses();
  const int copies = std::max(0, options.processes - before);
  const int listed = std::min(options.listed, copies);
  std::printf("Starting %d copies of %s (%d processes run already)...\n", copies, kIdleProgram, before);
  std::fflush(stdout);
  if (!planted.StartCopies(idleProgram, copies, listed) || !planted.WaitUntilReadable(real.processes)) {
    std::printf("The copies did not start.\n");
    return 2;
  }
  const int running = CountProcesses();
  int microsoft = 0;
  for (const auto& copy : planted.Copies()) microsoft += copy.microsoft ? 1 : 0;
  std::printf("Ready after %.1f s: %d processes in the snapshot, %d of them under listed names "
              "(%d excluded, %d Microsoft's), %s executable definitions.\n",
              (NowMs() - started) / 1000.0, running, listed, listed - microsoft, microsoft,
              core::FormatGrouped(kExecutableNames).c_str());

  const core::ApplicationFolder folder(planted.ApplicationFolder());
  core::DefinitionCounts counts;
  counts.total = core::CountDefinitionLines(machine.files, folder, counts);
  const std::string exclusions = planted.ExclusionText();
  const LinuxProcessClock server("wineserver");
  const ProcessClock cpu{std::string(kBenchName)};

  // One block: `runs` shield runs back to back, as the timers would run them spread out.
  auto shieldBlock = [&](scan::ModulePathReads reads) {
    auto rig = std::make_unique<Rig>(machine, folder, counts, false);
    rig->state.session.running = false;  // between sessions, as the shields run
    rig->state.exclusionText = exclusions;
    AnsweringAlert alert(rig->state);
    scan::ProcessScanner scanner(rig->context, &alert, reads);
    counting.modulePathReads = 0;
    Block block;
    const auto serverStart = server.Ms();
    const double wallStart = NowMs();
    const double cpuStart = cpu.Ms();
    for (int run = 0; run < runs; ++run) scanner.ScanRunningProcesses();
    block.cpuMs = cpu.Ms() - cpuStart;
    block.wallMs = NowMs() - wallStart;
    const auto serverEnd = server.Ms();
    if (serverStart && serverEnd) block.serverMs = *serverEnd - *serverStart;
    block.modulePathReads = counting.modulePathReads;
    block.alerts = alert.shown;
    block.found = rig->state.session.spywareFound;
    return block;
  };
  auto floorBlock = [&] {
    Block block;
    const auto serverStart = server.Ms();
    const double wallStart = NowMs();
    const double cpuStart = cpu.Ms();
    for (int run = 0; run < runs; ++run) FloorRun(planted.DefinitionFile(), planted.ListedIds());
    block.cpuMs = cpu.Ms() - cpuStart;
    block.wallMs = NowMs() - wallStart;
    const auto serverEnd = server.Ms();
    if (serverStart && serverEnd) block.serverMs = *serverEnd - *serverStart;
    block.modulePathReads = static_cast<long long>(planted.ListedIds().size()) * runs;
    return block;
  };

  // The shield scan's steps, each alone for `runs` runs: where its time over the floor goes.
  auto steps = [&] {
    std::vector<std::pair<std::string, double>> timed;
    auto time = [&](const std::string& what, auto&& step) {
      const double cpuStart = cpu.Ms();
      for (int run = 0; run < runs; ++run) step();
      timed.emplace_back(what, (cpu.Ms() - cpuStart) / runs);
    };
    auto rig = std::make_unique<Rig>(machine, folder, counts, false);
    const std::string path = folder.FilePath(core::data_files::kExeDefinitions);
    std::string text;
    time("definitions: exists, read, decode, yield per line", [&] {
      text.clear();
      if (!core::FileExists(machine.files, path)) return;
      const auto content = machine.files.ReadAll(path);
      core::LineReader reader(content.ok() ? content.value() : std::string());
      std::string_view line;
      std::string last;
      while (reader.Next(line)) {
        last = core::DecodeDefinitionLine(line);
        text.append(last).append("\r\n");
        rig->host.DoEvents();
      }
    });
    std::vector<platform::ProcessEntry> entries;
    time("snapshot with its yields", [&] { entries = scan::SnapshotProcesses(machine.processes, rig->host); });
    scan::SnapshotNameRule rule;
    time("name rule for every process (answers remembered)", [&] {
      rule.Use(text);
      for (const auto& entry : entries) rule.RulesOut(entry.exeFile);
    });
    time("name rule for every process (searched each run)", [&] {
      const std::string upper = core::ToUpper(text);
      for (const auto& entry : entries) scan::SnapshotRulesOutProcess(upper, entry.exeFile);
    });
    time("listed: module path, company, exclusion", [&] {
      for (const auto& entry : entries) {
        if (!std::binary_search(planted.ListedIds().begin(), planted.ListedIds().end(), entry.id)) continue;
        const auto modulePath = machine.processes.MainModulePath(entry.id);
        if (!modulePath.ok()) continue;
        const std::string name(scan::ProcessFileName(core::ToUpper(modulePath.value())));
        scan::MatchesExeDefinition(text, name);
        if (scan::IsMicrosoftCompany(scan::GetExecutableCompanyName(machine.files, modulePath.value()))) continue;
        core::IsNameExcluded(exclusions, name);
      }
    });
    time("listed: module paths alone", [&] {
      for (const auto& entry : entries) {
        if (std::binary_search(planted.ListedIds().begin(), planted.ListedIds().end(), entry.id)) {
          machine.processes.MainModulePath(entry.id);
        }
      }
    });
    time("a yield per process", [&] {
      for (std::size_t i = 0; i < entries.size(); ++i) rig->host.DoEvents();
    });
    time("floor: the definition file read", [&] { ReadWhole(planted.DefinitionFile()); });
    time("floor: the snapshot walked", [&] { FloorRun("", {}); });
    return timed;
  };

  Side prefiltered{"shield scan"};
  Side every{"every path read"};
  Side floor{"floor"};
  std::printf("Timing %d blocks of %d runs of each side...\n", options.reps, runs);
  std::fflush(stdout);
  for (int rep = 0; rep < options.reps; ++rep) {
    // The sides alternate, so all see the same cache state and load on the machine.
    floor.Keep(floorBlock());
    prefiltered.Keep(shieldBlock(scan::ModulePathReads::UnlessTheNameRulesOut));
    every.Keep(shieldBlock(scan::ModulePathReads::Every));
  }

  std::printf("\n%d runs = %d minutes of shield activity (%d memory shield runs every %d s, "
              "%d home page shield runs every %d s); best block of %d of each side.\n",
              runs, options.minutes, memoryRuns, kMemoryShieldSeconds, homePageRuns,
              kHomePageShieldSeconds, options.reps);
  std::printf("Per run: CPU = this process's CPU time (%s); server = the wineserver's "
              "(under Wine only); share = CPU per run x %.3f runs/s.\n\n", cpu.Source(), runsPerSecond);
  std::printf("%-16s %7s %6s %6s %9s %9s %9s %9s %7s %7s %9s\n", "side", "paths", "alerts",
              "found", "CPU ms", "server ms", "CPU+srv", "wall ms", "ratio", "ratio+s", "share");
  const Block& base = floor.best;
  auto perRun = [&](double total) { return total / runs; };
  for (const Side* side : {&prefiltered, &every, &floor}) {
    const Block& block = side->best;
    const double cpuPerRun = perRun(block.cpuMs);
    const bool hasServer = block.serverMs >= 0 && base.serverMs >= 0;
    const double withServer = cpuPerRun + (hasServer ? perRun(block.serverMs) : 0);
    const double baseWithServer = perRun(base.cpuMs) + (hasServer ? perRun(base.serverMs) : 0);
    char serverText[32] = "-";
    char withText[32] = "-";
    char ratioWith[32] = "-";
    if (hasServer) {
      std::snprintf(serverText, sizeof serverText, "%.2f", perRun(block.serverMs));
      std::snprintf(withText, sizeof withText, "%.2f", withServer);
      std::snprintf(ratioWith, sizeof ratioWith, "%.2fx", withServer / baseWithServer);
    }
    std::printf("%-16s %7.1f %6d %6d %9.2f %9s %9s %9.2f %6.2fx %7s %8.3f%%\n", side->name,
                static_cast<double>(block.modulePathReads) / runs, block.alerts, block.found, cpuPerRun,
                serverText, withText, perRun(block.wallMs), cpuPerRun / perRun(base.cpuMs), ratioWith,
                cpuPerRun * runsPerSecond / 1000.0 * 100.0);
  }
  const double ratio = prefiltered.best.cpuMs / floor.best.cpuMs;
  std::printf("\n(paths: module paths read per run; share: of one core, at the timers' cadence)\n");
  std::printf("Goal (shield scan within %.1fx its floor in CPU time): %s (%.2fx)\n", kGoal,
              ratio <= kGoal ? "met" : "NOT met", ratio);
  std::printf("The old behaviour took %.1fx the shield scan's CPU time.\n",
              every.best.cpuMs / prefiltered.best.cpuMs);
  std::printf("\nThe shield scan's steps alone, CPU ms per run:\n");
  for (const auto& [what, ms] : steps()) std::printf("  %8.2f  %s\n", ms, what.c_str());

  planted.Remove();
  std::string settingsKey = core::SettingsStore::SectionPath(kApplicationName, "");
  settingsKey.pop_back();  // the application's key itself, not an empty section under it
  ::RegDeleteTreeA(HKEY_CURRENT_USER, settingsKey.c_str());
  std::printf("Total wall time: %.1f s\n", (NowMs() - started) / 1000.0);
  return ratio <= kGoal ? 0 : 1;
}

}  // namespace
}  // namespace kestrian::bench

int main(int argc, char** argv) {
  kestrian::bench::Options options;
  for (int i = 1; i < argc; ++i) {
    const bool hasValue = i + 1 < argc;
    if (std::strcmp(argv[i], "--processes") == 0 && hasValue) {
      options.processes = std::max(1, std::atoi(argv[++i]));
    } else if (std::strcmp(argv[i], "--listed") == 0 && hasValue) {
      options.listed = std::max(0, std::atoi(argv[++i]));
    } else if (std::strcmp(argv[i], "--minutes") == 0 && hasValue) {
      options.minutes = std::max(1, std::atoi(argv[++i]));
    } else if (std::strcmp(argv[i], "--reps") == 0 && hasValue) {
      options.reps = std::max(1, std::atoi(argv[++i]));
    } else {
      std::fprintf(stderr,
                   "usage: kestrian_shield_bench [--processes N] [--listed N] [--minutes M] [--reps N]\n");
      return 2;
    }
  }
  return kestrian::bench::Run(options);
}
