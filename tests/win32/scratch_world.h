#pragma once
// The program's world on the real machine for the window tests: a scratch application folder
// holding the four definition files (one line each), a scratch application in the settings
// store, the main window's model, the host and a scan context over them. The folder and the
// settings go with the world.
#include <windows.h>

#include <string>
#include <utility>

#include "app/win32_host.h"
#include "core/application_folder.h"
#include "core/program_state.h"
#include "core/settings_store.h"
#include "platform/win32/win32_machine.h"
#include "scan/scan_context.h"
#include "ui/frm_main.h"

namespace kestrian::testing {

struct ScratchWorld {
  static constexpr const char* kDefinitionFiles[] = {"RegistryDefinition.dat", "FileDefinition.dat",
                                                      "ExeDefinition.dat", "BlockedCookies.dat"};

  explicit ScratchWorld(const std::string& name,
                        platform::VersionResource programVersion = {"Kestrian", "Kestrian Software",
                                                                    "www.kestrian.example", 1, 6})
      : folderPath(TempFolder() + name + "_" + std::to_string(::GetCurrentProcessId())),
        app(name + std::to_string(::GetCurrentProcessId())),
        version(std::move(programVersion)) {
    ::CreateDirectoryA(folderPath.c_str(), nullptr);
    for (const char* file : kDefinitionFiles) machine.Get().files.WriteAll(folder.FilePath(file), "x\r\n");
    state.definitionCounts = {1, 1, 1, 1, 4};
  }
  ~ScratchWorld() {
    for (const char* file : kDefinitionFiles) ::DeleteFileA(folder.FilePath(file).c_str());
    ::DeleteFileA(folder.FilePath("Scan_Log.txt").c_str());
    ::RemoveDirectoryA(folderPath.c_str());
    ::RegDeleteTreeA(HKEY_CURRENT_USER, ("Software\\VB and VBA Program Settings\\" + app).c_str());
  }
  ScratchWorld(const ScratchWorld&) = delete;
  ScratchWorld& operator=(const ScratchWorld&) = delete;

  static std::string TempFolder() {
    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    return temp;
  }

  std::string folderPath;
  std::string app;
  platform::win32::Win32Machine machine;
  core::ApplicationFolder folder{folderPath};
  core::SettingsStore settings{machine.Get().registry, app};
  core::ProgramState state;
  ui::FrmMain form;
  ui::FrmDelete deleteFailed;
  app::Win32Host host;
  platform::VersionResource version;
  scan::ScanContext context{form, deleteFailed, host, state, settings, machine.Get(), folder, version};
};

}  // namespace kestrian::testing
