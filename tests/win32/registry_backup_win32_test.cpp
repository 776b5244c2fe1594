// The registry backups on the real registry, read back by the system's reg.exe and written by
// it. (The settings the program stores are read with reg.exe by every end-to-end run.)
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_registry.h"
#include "removal/registry_backup.h"

namespace kestrian {
namespace {

// Runs the system's reg.exe with `arguments`; true when it ran and succeeded.
bool RegExe(const std::string& arguments) { return std::system(("reg.exe " + arguments + " >nul 2>&1").c_str()) == 0; }

// Every kind of value a backup must carry, under a scratch key with a sub-key.
class RegistryBackupOnWindows : public ::testing::Test {
 protected:
  RegistryBackupOnWindows() {
    using platform::RegistryValue;
    const std::pair<const char*, RegistryValue> values[] = {
        {"", RegistryValue::String("default")},
        {"Text with \"quotes\" and \\", RegistryValue::String("C:\\Program Files\\\"x\"")},
        {"Empty", RegistryValue::String("")},
        {"Lines", RegistryValue::String("one\r\ntwo")},
        {"Expand", {REG_EXPAND_SZ, std::string("%SystemRoot%\\x\0", 15)}},
        {"Binary", {REG_BINARY, std::string("\x00\x01\xfe\xff", 4)}},
        {"Empty binary", {REG_BINARY, ""}},
        {"Dword", RegistryValue::Dword(0xDEADBEEF)},
        {"Multi", {REG_MULTI_SZ, std::string("one\0two\0\0", 9)}},
        {"Qword", {REG_QWORD, std::string("\x01\x02\x03\x04\x05\x06\x07\x08", 8)}},
        {"None", {REG_NONE, std::string("\x07", 1)}},
    };
    for (const auto& [name, value] : values) registry.SetValue(kRoot, key, name, value);
    registry.SetValue(kRoot, key + "\\Sub\\Deeper", "Inner", RegistryValue::Dword(7));
    registry.CreateKey(kRoot, key + "\\Empty key");
  }
  ~RegistryBackupOnWindows() override { ::RegDeleteTreeA(HKEY_CURRENT_USER, key.c_str()); }
  std::vector<removal::RegKey> Tree() {
    bool missing = false;
    return removal::ReadKeyTree(registry, kRoot, key, missing).value_or(std::vector<removal::RegKey>{});
  }

  static constexpr platform::RootKey kRoot = platform::roots::kCurrentUser;
  std::string key = "Software\\KestrianBackupTest" + std::to_string(::GetCurrentProcessId());
  std::string file = "kestrian-backup-" + std::to_string(::GetCurrentProcessId()) + ".reg";
  platform::win32::Win32Registry registry;
  platform::win32::Win32FileSystem files;
};

TEST_F(RegistryBackupOnWindows, RegImportOfOurBackupRestoresTheKeyExactly) {
  const auto planted = Tree();
  ASSERT_EQ(planted.size(), 4u);
  const auto bytes = removal::WriteRegFile(planted);
  ASSERT_TRUE(bytes.has_value());
  ASSERT_EQ(files.WriteAll(file, *bytes), platform::kOk);
  ASSERT_EQ(registry.DeleteTree(kRoot, key), platform::kOk);
  ASSERT_TRUE(RegExe("import " + file));
  EXPECT_EQ(Tree(), planted);
  // And the other way: what reg export writes, our reader reads as it is. (Its escapes of
  // line breaks are its own; our backups write such texts as hex(1).)
  registry.DeleteValue(kRoot, key, "Lines");
  files.Delete(file);
  ASSERT_TRUE(RegExe("export HKCU\\" + key + " " + file + " /y"));
  const std::string exported = files.ReadAll(file).value_or("<unread>");
  files.Delete(file);
  const removal::RegFileRead parsed = removal::ReadRegFile(exported);
  EXPECT_EQ(parsed.error, "");
  EXPECT_EQ(parsed.keys, Tree());
}

}  // namespace
}  // namespace kestrian
