// The settings store on the real registry, seen from outside by the system's reg.exe.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "core/settings_store.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_registry.h"

namespace kestrian {
namespace {

using platform::win32::UniqueHandle;

// Runs a command line and returns what it printed.
std::string Capture(std::string commandLine) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE readEnd = nullptr;
  HANDLE writeEnd = nullptr;
  if (!::CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return {};
  UniqueHandle reader(readEnd);
  UniqueHandle writer(writeEnd);
  ::SetHandleInformation(reader.get(), HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = writer.get();
  startup.hStdError = writer.get();
  PROCESS_INFORMATION process{};
  if (!::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                        nullptr, nullptr, &startup, &process)) {
    return {};
  }
  UniqueHandle processHandle(process.hProcess);
  UniqueHandle threadHandle(process.hThread);
  writer.reset();
  std::string output;
  char buffer[4096];
  DWORD read = 0;
  while (::ReadFile(reader.get(), buffer, sizeof buffer, &read, nullptr) && read > 0) {
    output.append(buffer, read);
  }
  ::WaitForSingleObject(processHandle.get(), 10000);
  return output;
}

class SettingsStoreOnWindows : public ::testing::Test {
 protected:
  ~SettingsStoreOnWindows() override {
    ::RegDeleteTreeA(HKEY_CURRENT_USER, ("Software\\VB and VBA Program Settings\\" + app).c_str());
  }
  std::string app = "KestrianRegTest" + std::to_string(::GetCurrentProcessId());
  platform::win32::Win32Registry registry;
  core::SettingsStore store{registry, app};
};

TEST_F(SettingsStoreOnWindows, ValuesAreStringsWhereOtherProgramsLookForThem) {
  ASSERT_EQ(store.Save(core::settings::kLastScan, "12/6/2026 9:30:00 AM"), platform::kOk);
  ASSERT_EQ(store.Save(core::settings::kStatus, "RUNNING"), platform::kOk);
  const std::string settings = Capture("reg.exe query \"HKCU\\Software\\VB and VBA Program Settings\\" +
                                       app + "\\Settings\" /v lblLastScan");
  EXPECT_NE(settings.find("lblLastScan"), std::string::npos) << settings;
  EXPECT_NE(settings.find("REG_SZ"), std::string::npos) << settings;
  EXPECT_NE(settings.find("12/6/2026 9:30:00 AM"), std::string::npos) << settings;
  const std::string options = Capture("reg.exe query \"HKCU\\Software\\VB and VBA Program Settings\\" +
                                      app + "\\OptionAndSettings\"");
  EXPECT_NE(options.find("STATUS"), std::string::npos) << options;
  EXPECT_NE(options.find("RUNNING"), std::string::npos) << options;
}

TEST_F(SettingsStoreOnWindows, AValueWrittenByAnotherProgramIsReadWhateverItsCase) {
  Capture("reg.exe add \"HKCU\\Software\\VB and VBA Program Settings\\" + app +
          "\\OptionAndSettings\" /v exedefinition /t REG_SZ /d 77 /f");
  EXPECT_EQ(store.Get(core::settings::kExeDefinitionVersion), "77");
  EXPECT_EQ(store.Get(core::settings::kLastFullScan), "Never");
}

}  // namespace
}  // namespace kestrian
