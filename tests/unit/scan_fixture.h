#pragma once
// A scan's world for the scanners' tests: a fake machine, a scripted host, the main window
// model, the program state and an application folder. The session is running unless a test
// ends it.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "core/definition_line.h"
#include "core/program_state.h"
#include "core/settings_store.h"
#include "scan/process_scanner.h"
#include "scan/scan_context.h"
#include "support/fake_machine.h"
#include "support/scripted_host.h"

namespace kestrian::scan {

// A message box's text, title, buttons and icon, to compare whole.
using MessageParts = std::tuple<std::string, std::string, ui::MessageButtons, ui::MessageIcon>;
inline MessageParts PartsOf(const testing::ShownMessage& message) {
  return {message.text, message.title, message.buttons, message.icon};
}

// Records what the spyware alert shows; the user answers it `delay` yields later.
class RecordingAlert final : public SpywareAlert {
 public:
  struct Shown {
    std::string company;
    std::string file;
    FoundProcess process;
  };
  RecordingAlert(core::ProgramState& state, testing::ScriptedHost& host, int delay = 3)
      : state_(state), host_(host), delay_(delay) {}
  void Show(std::string_view company, std::string_view file, const FoundProcess& process) override {
    state_.alertAnswered = false;
    shown.push_back({std::string(company), std::string(file), process});
    host_.AtYield(host_.Yields() + delay_, [this] { state_.alertAnswered = true; });
  }
  std::vector<Shown> shown;

 private:
  core::ProgramState& state_;
  testing::ScriptedHost& host_;
  int delay_;
};

// The world itself, for tests that need more than one.
struct ScanWorld {
  testing::FakeMachine machine;
  testing::ScriptedHost host;
  ui::FrmMain form;
  ui::FrmDelete deleteFailed;
  core::ProgramState state;
  core::ApplicationFolder folder{"C:\\Kestrian"};
  core::SettingsStore settings{machine.registry, "Kestrian"};
  platform::VersionResource version{"Kestrian", "Kestrian Software", "www.kestrian.example", 1, 6};
  ScanContext context{form, deleteFailed, host, state, settings, machine.Get(), folder, version};
};

class ScanFixture : public ::testing::Test, protected ScanWorld {
 protected:
  ScanFixture() {
    state.session.running = true;
    state.session.statusPrefix = "Prefix: ";
  }

  // Writes a definition file of encoded lines into the application folder.
  void PutDefinitions(std::string_view file, std::initializer_list<std::string_view> lines) {
    std::string content;
    for (std::string_view line : lines) content += core::EncodeDefinitionLine(line) + "\r\n";
    machine.files.PutFile(folder.FilePath(file), content);
  }
  // A process whose file names `company`; the snapshot of Windows 9x names the whole path.
  std::uint32_t StartWithCompany(const std::string& path, const std::string& company, bool terminable = true) {
    machine.files.PutFile(path, "StringFileInfo CompanyName" + std::string(1, '\0') + company + std::string(3, '\0'));
    const bool wholePath = machine.environment.platformId == platform::platform_ids::kWindows9x;
    return machine.processes.Start(wholePath ? path : path.substr(path.rfind('\\') + 1), path, terminable);
  }
  void PutExclusions(std::string_view text) { state.exclusionText = std::string(text); }
  void EndSession() { state.session.running = false; }

  std::vector<std::string> Texts(const ui::ListView& list) const { return Column(list, 0); }
  std::vector<std::string> Column(const ui::ListView& list, std::size_t column) const {
    std::vector<std::string> texts;
    for (const auto& item : list.Items()) texts.push_back(column == 0 ? item.text : item.SubItem(column));
    return texts;
  }
};

}  // namespace kestrian::scan
