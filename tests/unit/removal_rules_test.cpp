#include <gtest/gtest.h>

#include "removal/file_extension.h"
#include "removal/kept_reasons.h"
#include "removal/protected_registry.h"
#include "removal/quarantine.h"
#include "removal/quarantine_index.h"
#include "removal/reg_file.h"
#include "removal/removal_guards.h"
#include "removal/restore_points.h"
#include "support/fake_machine.h"

namespace kestrian::removal {
namespace {

using namespace std::string_literals;
using platform::RegistryValue;
using platform::roots::kCurrentUser;
using platform::roots::kLocalMachine;

TEST(RemovalRulesTest, FileExtensionIsTheTextAfterTheLastDotAndBackupsAreNumberedBeforeIt) {
  const std::pair<const char*, const char*> cases[] = {
      {"C:\\A\\tool.EXE", "exe"},    {"C:\\A\\lib.Dll ", "dll"},    {"C:\\A.B\\noext", ""},
      {"C:\\A\\archive.tar.gz", "gz"}, {"C:file", ""},              {"C:\\A\\trailing.", ""},
      {"name. OCX", "ocx"},          {"", ""},
  };
  for (const auto& [path, extension] : cases) EXPECT_EQ(FileExtensionPart(path), extension) << path;
  // Free backup names are numbered before it.
  EXPECT_EQ(NumberedFileName("tool.exe", 2), "tool (2).exe");
  EXPECT_EQ(NumberedFileName("archive.tar.gz", 3), "archive.tar (3).gz");
  EXPECT_EQ(NumberedFileName("README", 2), "README (2)");
  EXPECT_EQ(NumberedFileName(".hidden", 2), ".hidden (2)");
}

// A row with an empty value name is a whole key.
TEST(RemovalRulesTest, RegistryItemsWindowsNeedsAreRefused) {
  using namespace platform::roots;
  const std::string_view key = kept::kWindowsKey, value = kept::kWindowsValue, none;
  const struct {
    platform::RootKey root;
    std::string_view key, value, stays;
  } cases[] = {
      // Roots, their children, listed keys and their ancestors.
      {kCurrentUser, "", "", key}, {kCurrentUser, "Software", "", key}, {kLocalMachine, "\\System\\", "", key},
      {kCurrentUser, "Software\\Microsoft", "", key},
      {kLocalMachine, "software\\microsoft\\windows\\currentversion\\run", "", key},
      {kLocalMachine, "Software\\Acme\\..\\Microsoft", "", key}, {kLocalMachine, "Software\\Classes", "", key},
      {kLocalMachine, "Software\\Classes\\CLSID", "", key}, {kClassesRoot, "CLSID", "", key},
      {kLocalMachine, "SYSTEM\\CurrentControlSet\\Services", "", key},
      {kLocalMachine, "SYSTEM\\CurrentControlSet\\Control\\Session Manager", "", key},
      {kLocalMachine, "Software\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options", "", key},
      {kCurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders", "", key},
      {kLocalMachine, "SOFTWARE\\Microsoft\\Cryptography", "", key},
      {kLocalMachine, "SOFTWARE\\Microsoft\\Cryptography\\RNG", "", key},
      {kLocalMachine, "Software\\Classes\\exefile\\shell\\open\\command", "", key},
      {kLocalMachine, "SYSTEM\\Select", "", key},
      // Mirrors: control sets, the 32-bit view, the users' keys, the current configuration.
      {kLocalMachine, "SYSTEM\\ControlSet001", "", key},
      {kLocalMachine, "SYSTEM\\ControlSet002\\Services\\Tcpip", "", key},
      {kLocalMachine, "SYSTEM\\ControlSet001\\Services\\Tcpip\\Parameters", "", key},
      {kLocalMachine, "SOFTWARE\\Wow6432Node", "", key}, {kLocalMachine, "SOFTWARE\\Wow6432Node\\Microsoft", "", key},
      {kLocalMachine, "SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run", "", key},
      {kLocalMachine, "SOFTWARE\\Classes\\Wow6432Node\\CLSID", "", key}, {kUsers, "S-1-5-21-1", "", key},
      {kUsers, "S-1-5-21-1\\Software", "", key}, {kUsers, "S-1-5-21-1\\Software\\Microsoft\\Windows", "", key},
      {kUsers, "S-1-5-21-1_Classes\\CLSID", "", key}, {kCurrentConfig, "Software\\Fonts", "", key},
      {0x80000004u, "Anything\\Below", "", key},  // a root that is none of the five
      // Values Windows reads.
      {kLocalMachine, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon", "Shell", value},
      {kLocalMachine, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon", "userinit", value},
      {kLocalMachine, "SOFTWARE\\Wow6432Node\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon", "System", value},
      {kLocalMachine, "SYSTEM\\ControlSet001\\Control\\Session Manager", "BootExecute", value},
      {kCurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", "Desktop", value},
      {kUsers, "S-1-5-21-1\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders", "AppData", value},
      {kLocalMachine, "SYSTEM\\CurrentControlSet\\Services\\Dnscache", "Start", value},
      {kLocalMachine, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "SystemRoot", value},
      // What adware adds below the list stays removable.
      {kLocalMachine, "Software\\Acme", "", none},
      {kLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Spy", "", none},
      {kLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Spy", none},
      {kLocalMachine, "SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run", "Spy", none},
      {kClassesRoot, "CLSID\\{1234}", "", none},
      {kLocalMachine, "Software\\Classes\\CLSID\\{1234}\\InprocServer32", "", none},
      {kUsers, "S-1-5-21-1_Classes\\CLSID\\{1234}", "", none},
      {kLocalMachine, "SYSTEM\\CurrentControlSet\\Services\\AdService", "", none},
      {kLocalMachine, "SYSTEM\\ControlSet001\\Services\\AdService", "Start", none},
      {kLocalMachine, "Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\Notify\\AdNotify", "", none},
      {kLocalMachine, "Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon", "Taskman", none},
      {kCurrentUser, "Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon", "Shell", none},
      {kLocalMachine, "Software\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options\\ad.exe", "", none},
      {kUsers, "S-1-5-21-1\\Software\\Acme", "", none},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WhyRegistryItemStays(c.root, c.key, c.value).value_or(none), c.stays)
        << std::hex << c.root << "\\" << c.key << " [" << c.value << "]";
  }
}

// Paths are compared as Windows resolves them; what cannot be resolved stays.
TEST(RemovalRulesTest, TheProgramsAndWindowsOwnFilesStayWhateverThePathForm) {
  testing::FakeMachine machine;
  const core::ApplicationFolder folder("C:\\Program Files\\Kestrian");
  machine.files.currentFolder = "C:\\Program Files\\Kestrian";
  machine.files.AddAlias("C:\\PROGRA~1", "C:\\Program Files");
  machine.files.AddAlias("X:", "C:\\Program Files");                // a substituted drive
  machine.files.AddAlias("C:\\Junction", "C:\\Program Files\\Kestrian");
  machine.files.PutFolder("C:\\Tools\\Folder");
  machine.files.PutFile("C:\\WINDOWS\\system32\\mscore.dll", "StringFileInfo CompanyName\0Microsoft Corporation\0\0\0"s);
  machine.files.PutFile("C:\\WINDOWS\\system32\\ad.dll", "StringFileInfo CompanyName\0Ad Ltd\0\0\0"s);
  const std::string_view none;
  const std::pair<const char*, std::string_view> cases[] = {
      {"C:\\Program Files\\Kestrian", kept::kProgramFile},
      {"c:\\program files\\kestrian\\quarantine\\x.exe", kept::kProgramFile},
      {"C:\\Program Files\\Other\\..\\Kestrian\\ENoSignature.txt", kept::kProgramFile},
      {"C:\\PROGRA~1\\Kestrian\\x.dat", kept::kProgramFile},
      {"\\\\?\\C:\\Program Files\\Kestrian\\x.dat", kept::kProgramFile},
      {"\\\\.\\C:\\Program Files\\Kestrian\\x.dat", kept::kProgramFile},
      {"\\\\?\\C:\\PROGRA~1\\Kestrian\\Kestrian.exe", kept::kProgramFile},
      {"X:\\Kestrian\\Kestrian.exe", kept::kProgramFile}, {"C:\\Junction\\x.dat", kept::kProgramFile},
      {"C:\\Program Files\\Kestrian.\\x.dat", kept::kProgramFile},
      {"Kestrian.exe", kept::kProgramFile},  // relative: where the system would take it
      {"C:\\Program Files\\Kestrian\\bad|name", kept::kUnresolvedPath}, {"C:\\Tools\\Folder", kept::kFolder},
      {"\\\\?\\C:\\WINDOWS\\system32\\mscore.dll", kept::kWindowsFile}, {"C:\\WINDOWS\\system32\\ad.dll", none},
      {"C:\\Program Files\\Kestrian2\\x.exe", none}, {"C:\\Program Files\\x.exe", none},
      {"\\\\?\\UNC\\server\\share\\Kestrian\\x.dat", none},
  };
  for (const auto& [path, stays] : cases) {
    EXPECT_EQ(WhyFileStays(machine.Get(), folder, path).value_or(none), stays) << path;
  }
}

TEST(RestorePointsTest, OnlySystemsWithSystemRestoreAreCapableAndOnlyOneIsOpen) {
  testing::FakeEnvironment environment;
  const struct {
    std::optional<std::uint32_t> platformId;
    std::uint32_t major, minor;
    bool capable;
  } cases[] = {
      {1, 4, 90, true},  {1, 4, 10, false}, {2, 5, 0, false}, {2, 5, 1, true},
      {2, 5, 2, false},  {2, 6, 1, true},   {2, 10, 0, true}, {std::nullopt, 6, 1, false},
  };
  for (const auto& c : cases) {
    environment.platformId = c.platformId;
    environment.majorVersion = c.major;
    environment.minorVersion = c.minor;
    EXPECT_EQ(IsRestoreCapable(environment), c.capable) << c.major << "." << c.minor;
  }
  // An end passes back the sequence of its begin (64 bits of it); a begin while one is open is
  // refused, and a long description is cut.
  testing::FakeSystemRestore system;
  system.nextSequence = 0x1234567890LL;
  std::int64_t open = 0;
  RestorePoints points(system, open);
  bool begun = false;
  EXPECT_EQ(points.Begin(std::string(80, 'x'), 6, begun), 0);
  EXPECT_TRUE(begun);
  EXPECT_EQ(open, 0x1234567890LL);
  EXPECT_EQ(points.Begin("again", 6, begun), kRestorePointStillOpen);
  EXPECT_FALSE(begun);
  EXPECT_TRUE(points.End());
  EXPECT_EQ(open, 0);
  points.End();  // none open: sequence 0
  ASSERT_EQ(system.requests.size(), 3u);
  EXPECT_EQ(system.requests[0], (platform::RestorePointRequest{100, 6, 0, std::string(63, 'x')}));
  EXPECT_EQ(system.requests[1], (platform::RestorePointRequest{101, 0, 0x1234567890LL, ""}));
  EXPECT_EQ(system.requests[2].sequenceNumber, 0);
  system.available = false;
  EXPECT_EQ(points.Begin("refused", 6, begun), 0);
  EXPECT_FALSE(begun);
  EXPECT_EQ(open, 0);
}

TEST(ViewQuarantineTest, CreatesTheFolderAndOpensItInExplorer) {
  testing::FakeMachine machine;
  machine.files.PutFolder("C:\\Kestrian");
  ViewQuarantine(machine.Get(), core::ApplicationFolder("C:\\Kestrian"));
  EXPECT_TRUE(machine.files.Exists("C:\\Kestrian\\quarantine"));
  EXPECT_EQ(machine.desktop.commands,
            (std::vector<testing::FakeDesktop::Command>{{"explorer C:\\Kestrian\\quarantine", 1}}));
}

std::string Utf16(std::string_view ascii) {
  std::string bytes;
  for (char c : ascii) bytes += std::string{c, '\0'};
  return bytes;
}

TEST(RegFileTest, EveryTypeAndNameComesBackAsItWasWritten) {
  std::string everyByte;
  for (int i = 0; i < 256; ++i) everyByte += static_cast<char>(i);
  std::string deep = "Software\\Deep";
  for (int level = 0; level < 60; ++level) deep += "\\Level " + std::to_string(level);
  const std::vector<RegKey> keys = {
      {kCurrentUser, "Software\\Kestrian Test",
       {{"", RegistryValue::String("the default")},
        {"Empty", RegistryValue::String("")},
        {"Unterminated", {1, "abc"}},
        {"No bytes", {1, ""}},
        {"Lines", RegistryValue::String("one\r\ntwo\nthree")},
        {"Inner zero", {1, "a\0b\0"s}},
        {"Expand", {2, "%SystemRoot%\\x\0"s}},
        {"Binary", {3, everyByte}},
        {"Empty binary", {3, ""}},
        {"Dword", RegistryValue::Dword(42)},
        {"Short dword", {4, "\x01\x02\x03"s}},
        {"Big endian", {5, "\x00\x00\x00\x2a"s}},
        {"Link", {6, Utf16("\\Registry\\Machine")}},
        {"Multi", {7, "first\0second\0\0"s}},
        {"Qword", {11, "\x01\x02\x03\x04\x05\x06\x07\x08"s}},
        {"None", {0, "\x05"s}},
        {"Large type", {0x12345, "x"}},
        {"with \"quotes\" and \\backslashes\\", RegistryValue::String("\"\\\\\"")},
        {"non-ASCII \xC3\xA9\xE6\x97\xA5\xF0\x9F\x98\x80", RegistryValue::String("\xC3\xBC\xE2\x82\xAC")}}},
      {kCurrentUser, "Software\\Kestrian Test\\Sub [with] brackets \xC3\xA9", {}},
      {kLocalMachine, deep, {{"At the bottom", RegistryValue::Dword(7)}}},
  };
  const auto file = WriteRegFile(keys);
  ASSERT_TRUE(file.has_value());
  EXPECT_TRUE(file->starts_with("\xFF\xFE" + Utf16("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\")));
  for (const char* line : {"@=\"the default\"\r\n", "\"Dword\"=dword:0000002a\r\n", "\"Expand\"=hex(2):25,00,",
                           "\"Large type\"=hex(12345):78\r\n", "\"Binary\"=hex:00,01,"}) {
    EXPECT_NE(file->find(Utf16(line)), std::string::npos) << line;
  }
  const RegFileRead read = ReadRegFile(*file);
  EXPECT_EQ(read.error, "");
  EXPECT_EQ(read.keys, keys);
}

TEST(RegFileTest, WhatCannotBeWrittenOrReadExactlyIsRefused) {
  EXPECT_FALSE(WriteRegFile({{kCurrentUser, "Software\\A", {{"line\nbreak", RegistryValue::Dword(1)}}}}));
  EXPECT_FALSE(WriteRegFile({{kCurrentUser, "Software\\A", {{"x", RegistryValue::String("\xE9t\xE9")}}}}));
  EXPECT_FALSE(WriteRegFile({{0x12, "Software\\A", {}}}));
  EXPECT_FALSE(WriteRegFile({{kCurrentUser, "Software\\A\\", {}}}));  // a key name the reader refuses
  const std::string header = "\xFF\xFE" + Utf16("Windows Registry Editor Version 5.00\r\n\r\n");
  for (const std::string& bad :
       {Utf16("Windows Registry Editor Version 5.00\r\n"), "\xFF\xFE" + Utf16("REGEDIT4\r\n"),
        header + Utf16("\"x\"=dword:1\r\n"), header + Utf16("[-HKEY_CURRENT_USER\\Software\\A]\r\n"),
        header + Utf16("[HKEY_CURRENT_USER\\Software\\A]\r\n\"x\"=-\r\n"),
        header + Utf16("[HKEY_NOWHERE\\A]\r\n"), header + Utf16("[HKEY_CURRENT_USER\\A]\r\n\"x\"=hex(1):41\r\n"),
        header + Utf16("[HKEY_CURRENT_USER\\A]\r\n\"x\"=hex:41,\\\r\n"),
        header + Utf16("[HKEY_CURRENT_USER\\A]\r\n\"x\"=\"open\r\n"), std::string(kMostRegFileBytes + 2, 'x')}) {
    EXPECT_NE(ReadRegFile(bad).error, "") << bad.substr(0, 80);
  }
}

QuarantineRecord Record(std::uint64_t id, std::string backup) {
  return {id, RecordKind::File, "C:\\A\\" + backup, "", backup, "Threat", "2026-12-06T08:30:00Z", 1,
          std::string(64, 'a'), false, false};
}

TEST(QuarantineIndexTest, ACrashBetweenWriteAndRenameLeavesTheOldIndex) {
  testing::FakeMachine machine;
  const core::ApplicationFolder folder("C:\\Kestrian");
  machine.files.PutFolder("C:\\Kestrian\\quarantine");
  ASSERT_EQ(SaveIndex(machine.files, folder, {Record(1, "one.exe")}), platform::kOk);
  machine.files.diesBeforeRenames = true;
  EXPECT_NE(SaveIndex(machine.files, folder, {Record(1, "one.exe"), Record(2, "two.exe")}), platform::kOk);
  machine.files.diesBeforeRenames = false;
  EXPECT_TRUE(machine.files.Exists(IndexPath(folder) + ".new"));  // the half that was written
  const IndexRead read = LoadIndex(machine.files, folder);
  EXPECT_EQ(read.error, "");
  EXPECT_EQ(read.records, std::vector<QuarantineRecord>{Record(1, "one.exe")});
  // Hostile records: a backup name that leaves the folder, a repeated id.
  for (const auto& bad : {std::vector{Record(1, "..\\..\\Windows\\x.dll")}, {Record(3, "a"), Record(3, "b")}}) {
    EXPECT_NE(ParseIndex(IndexText(bad)).error, "");
  }
}

}  // namespace
}  // namespace kestrian::removal
