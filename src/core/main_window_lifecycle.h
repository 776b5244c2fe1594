#pragma once
// The main window's life: its start-up work in order, what a change between normal and
// minimized does, and the settings an orderly end leaves behind.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/application_folder.h"
#include "core/definition_generations.h"
#include "core/program_state.h"
#include "core/settings_store.h"
#include "platform/machine.h"
#include "ui/frm_main.h"
#include "ui/host.h"

namespace kestrian::core {

// What the window and the other parts of the program do for the start-up.
struct StartUpServices {
  std::function<bool()> anotherInstanceRunning;
  std::function<void(const std::string&)> setWindowCaption;
  std::function<void(bool)> showInTaskList;
  std::function<void()> reloadSchedule;
  std::function<void()> fillDriveList;
  std::function<void()> loadOptionsPage;
  std::function<void()> sendToTray;
  // The test a downloaded definition file passes before it is installed.
  DefinitionCheck checkDownloadedDefinitions;
};

enum class WindowState { Normal, Minimized };

class MainWindowLifecycle {
 public:
  MainWindowLifecycle(ui::FrmMain& form, SettingsStore& settings, ProgramState& state,
                      platform::Machine& machine, const ApplicationFolder& folder,
                      const platform::VersionResource& version, ui::Host& host,
                      StartUpServices services)
      : form_(form), settings_(settings), state_(state), machine_(machine), folder_(folder),
        version_(version), host_(host), services_(std::move(services)) {}

  // The start-up work in its order. False when another instance runs: this one must end
  // at once, having written nothing of its running state.
  bool Load();
  // The window was minimized (or sent to the tray) or shown normally again.
  void OnWindowState(WindowState state, bool windowVisible);
  // Before the window goes, whatever the cause: the settings of an orderly end.
  void QueryUnload();

 private:
  void WriteSharedEntry();
  void LoadDataFiles();
  void LoadOptions();
  void CheckDefinitionFiles();
  void OpenHelpOnFirstStart();

  ui::FrmMain& form_;
  SettingsStore& settings_;
  ProgramState& state_;
  platform::Machine& machine_;
  const ApplicationFolder& folder_;
  const platform::VersionResource& version_;
  ui::Host& host_;
  StartUpServices services_;
  std::vector<std::string_view> unreadableDefinitions_;
};

}  // namespace kestrian::core
