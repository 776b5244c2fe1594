// The memory shield on the real machine: real processes (copies of a program that only
// waits, under listed names), the real alert window answered from a second thread as a
// user would, the real exclusion file. One process is guarded against termination, as a
// protected process is.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <deque>
#include <filesystem>
#include <fstream>
#include <set>
#include <thread>

#include "app/spyware_alert_window.h"
#include "app/win32_host.h"
#include "core/definition_line.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_machine.h"
#include "protect/memory_shield.h"
#include "scan/process_scanner.h"
#include "win32/window_test_support.h"

namespace kestrian::protect {
namespace {

namespace fs = std::filesystem;
using platform::win32::UniqueHandle;

constexpr char kAlertTitle[] = "Kestrian Auto-Protect";
// The program the listed processes run, named by the test's environment (a path of the
// build machine: '/' is Wine's drive Z:).
std::string SleeperProgram() {
  char value[MAX_PATH] = {};
  const DWORD length = ::GetEnvironmentVariableA("KESTRIAN_SLEEPER", value, sizeof value);
  if (length == 0 || length >= sizeof value) return {};
  std::string path = value[0] == '/' ? "Z:" : "";
  path.append(value, length);
  return path;
}

// The real processes, except that the guarded ones refuse to be terminated.
class GuardedProcesses final : public platform::Processes {
 public:
  explicit GuardedProcesses(platform::Processes& real) : real_(real) {}
  std::vector<platform::ProcessEntry> Snapshot() override { return real_.Snapshot(); }
  platform::Result<std::string> MainModulePath(std::uint32_t id) override { return real_.MainModulePath(id); }
  bool Terminate(std::uint32_t id, std::uint32_t exitCode) override {
    return guarded.count(id) == 0 && real_.Terminate(id, exitCode);
  }
  void TerminateWithOwnExitCode(std::uint32_t id) override {
    if (guarded.count(id) == 0) real_.TerminateWithOwnExitCode(id);
  }
  bool WaitForEnd(std::uint32_t id, std::uint32_t milliseconds) override {
    return guarded.count(id) == 0 && real_.WaitForEnd(id, milliseconds);
  }
  std::set<std::uint32_t> guarded;

 private:
  platform::Processes& real_;
};

struct Started {
  UniqueHandle process;
  std::uint32_t id = 0;
  bool Running() const { return ::WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT; }
};

// What the user saw on an alert: the labels in their order are heading, sentence,
// "File Name:", the name, "Company Name:", the company, ...
struct Seen {
  std::string fileName;
  std::string company;
};

class MemoryShieldOnWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    sleeper = SleeperProgram();
    ASSERT_FALSE(sleeper.empty()) << "KESTRIAN_SLEEPER names no program";
    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    root = fs::path(temp) / ("kestrian-shield-" + std::to_string(::GetCurrentProcessId()));
    fs::remove_all(root);
    fs::create_directories(root / "app");
    folder = core::ApplicationFolder((root / "app").string());
    std::ofstream definitions(root / "app" / "ExeDefinition.dat", std::ios::binary);
    for (const char* name : {"kshieldstop.exe", "kshieldallow.exe", "kshieldstuck.exe"}) {
      definitions << core::EncodeDefinitionLine(name) << "\r\n";
    }
    definitions.close();
    std::ofstream(root / "app" / "ENoSignature.txt", std::ios::binary) << "C:\\older\\entry.exe\r\n";
    settings.Save(core::settings::kMemoryShieldOn, "True");
  }
  void TearDown() override {
    for (Started& started : processes) ::TerminateProcess(started.process.get(), 0);
    processes.clear();
    ::RegDeleteTreeA(HKEY_CURRENT_USER, ("Software\\VB and VBA Program Settings\\" + app).c_str());
    std::error_code ignored;
    fs::remove_all(root, ignored);
  }

  // Starts a copy of the waiting program under `name`, with `company` in its version data.
  Started& Start(const std::string& name, const std::string& company) {
    const fs::path copy = root / name;
    fs::copy_file(sleeper, copy, fs::copy_options::overwrite_existing);
    if (!company.empty()) {
      std::ofstream(copy, std::ios::binary | std::ios::app)
          << std::string("StringFileInfo CompanyName\0", 27) << company << std::string("\0\0\0", 3);
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::string line = "\"";
    line += copy.string();
    line += '"';
    EXPECT_TRUE(::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                 &startup, &info));
    UniqueHandle thread(info.hThread);
    processes.push_back({UniqueHandle(info.hProcess), info.dwProcessId});
    return processes.back();
  }

  // Runs one shield tick while a user answers each alert with the next button of `buttons`
  // ("STOP", "ALLOW" or "close"); "OK" presses OK in the product's message box. Returns
  // what each alert showed.
  std::vector<Seen> TickAnswering(std::vector<std::string> buttons) {
    std::vector<Seen> seen;
    std::atomic<bool> done{false};
    std::thread user([&] {
      for (std::size_t step = 0; step < buttons.size(); ++step) {
        if (buttons[step] == "OK") {
          messageBoxesAnswered += testing::PressInMessageBox("Kestrian", IDOK);
          continue;
        }
        // The alert counts as shown once it is visible: its labels are filled by then.
        const HWND window = testing::WaitForShownDialog(kAlertTitle, &done);
        if (window == nullptr) return;
        const std::vector<std::string> texts = testing::ChildTexts(window);
        seen.push_back({texts.size() > 5 ? texts[3] : "", texts.size() > 5 ? texts[5] : ""});
        if (buttons[step] == "close") {
          ::PostMessageA(window, WM_CLOSE, 0, 0);
        } else {
          ::PostMessageA(testing::ChildOf(window, nullptr, buttons[step].c_str()), BM_CLICK, 0, 0);
        }
        // STOP that fails keeps the alert open under its message; the next step answers it.
        if (step + 1 < buttons.size() && buttons[step + 1] == "OK") continue;
        for (const DWORD start = ::GetTickCount(); ::IsWindow(window) && ::GetTickCount() - start < 30000;) ::Sleep(10);
      }
    });
    shield.Tick();
    done = true;
    user.join();
    return seen;
  }

  std::string ExclusionFile() {
    std::ifstream in(root / "app" / "ENoSignature.txt", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  fs::path root;
  std::string sleeper;
  std::deque<Started> processes;  // references stay valid as more start
  std::string app = "KestrianShieldTest" + std::to_string(::GetCurrentProcessId());
  platform::win32::Win32Machine machine;
  GuardedProcesses guardedProcesses{machine.Get().processes};
  platform::Machine shieldMachine{machine.Get().registry, machine.Get().files, machine.Get().environment,
                                  machine.Get().clock, guardedProcesses, machine.Get().desktop,
                                  machine.Get().systemRestore, machine.Get().libraries, machine.Get().web,
                                  machine.Get().crypto};
  core::ApplicationFolder folder{""};
  core::SettingsStore settings{machine.Get().registry, app};
  core::ProgramState state;
  ui::FrmMain form;
  ui::FrmDelete deleteFailed;
  app::Win32Host host;
  platform::VersionResource version{"Kestrian", "Kestrian Software", "", 1, 6};
  scan::ScanContext context{form, deleteFailed, host, state, settings, shieldMachine, folder, version};
  core::ExclusionList exclusions{machine.Get().files, folder, host, state.exclusionText};
  app::SpywareAlertWindow alert{host, {state, guardedProcesses, exclusions, host, "Kestrian"}};
  scan::ProcessScanner processScan{context, &alert};
  MemoryShield shield{form, settings, processScan};
  std::atomic<int> messageBoxesAnswered{0};
};

TEST_F(MemoryShieldOnWindows, StopEndsTheProgramAllowExcludesItAndNeitherIsAlertedAgain) {
  Started& stopped = Start("kshieldstop.exe", "Shield Test Corp");
  Started& allowed = Start("kshieldallow.exe", "");
  exclusions.Load();
  const std::vector<Seen> seen = TickAnswering({"STOP", "ALLOW"});
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].fileName, "KSHIELDSTOP.EXE");
  EXPECT_EQ(seen[0].company, "SHIELD TEST CORP");
  EXPECT_EQ(seen[1].fileName, "KSHIELDALLOW.EXE");
  EXPECT_EQ(seen[1].company, "No Company name for KSHIELDALLOW.EXE");
  ::WaitForSingleObject(stopped.process.get(), 5000);
  EXPECT_FALSE(stopped.Running());
  EXPECT_TRUE(allowed.Running());
  EXPECT_EQ(ExclusionFile(), "C:\\older\\entry.exe\r\nKSHIELDALLOW.EXE\r\n");
  EXPECT_EQ(::FindWindowA("#32770", kAlertTitle), nullptr);

  // Nothing left to alert: the user waits for an alert in vain.
  EXPECT_TRUE(TickAnswering({"STOP"}).empty());
}

TEST_F(MemoryShieldOnWindows, AProgramThatCannotBeStoppedIsReportedAndAlertedAgain) {
  Started& stuck = Start("kshieldstuck.exe", "");
  guardedProcesses.guarded.insert(stuck.id);
  EXPECT_EQ(TickAnswering({"STOP", "OK"}).size(), 1u);
  EXPECT_EQ(messageBoxesAnswered, 1) << "no \"could not be stopped\" message";
  EXPECT_TRUE(stuck.Running());
  const std::vector<Seen> again = TickAnswering({"close"});
  ASSERT_EQ(again.size(), 1u);
  EXPECT_EQ(again[0].fileName, "KSHIELDSTUCK.EXE");
  EXPECT_TRUE(stuck.Running());  // closing the alert stops nothing
  EXPECT_EQ(ExclusionFile(), "C:\\older\\entry.exe\r\n");
}

}  // namespace
}  // namespace kestrian::protect
