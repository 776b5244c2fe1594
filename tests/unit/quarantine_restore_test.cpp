#include <gtest/gtest.h>

#include "core/exclusion_list.h"
#include "removal/check_mirroring.h"
#include "removal/pending_deletes.h"
#include "removal/quarantine_index.h"
#include "removal/reg_file.h"
#include "removal/removal.h"
#include "removal/restore.h"
#include "scan_fixture.h"

namespace kestrian::removal {
namespace {

using namespace std::string_literals;
using platform::NamedValue;
using platform::RegistryValue;
using platform::roots::kCurrentUser;
using platform::roots::kLocalMachine;

// ---------------------------------------------------------------- .reg files

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

// ---------------------------------------------------------------- the index

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

// ---------------------------------------------------------------- removal and restore

class RestoreTest : public scan::ScanFixture {
 protected:
  RestoreTest() {
    EndSession();
    machine.files.PutFolder("C:\\Kestrian");
    machine.files.PutFile("C:\\Kestrian\\kscan.exe", "MZ");
    form.lvwPicRemoveListOfSpywareFoundAndToBeRemoved.SetItemCheckHandler(
        [this](std::size_t row) { MirrorResultCheck(form, row); });
    machine.registry.SetValue(kCurrentUser, "Software\\Spy", "", RegistryValue::String("default"));
    machine.registry.SetValue(kCurrentUser, "Software\\Spy\\Deep", "Count", RegistryValue::Dword(3));
    machine.registry.SetValue(kCurrentUser, "Software\\Other", "Tracker", {3, "\x01\x02"s});
    machine.files.PutFile("C:\\A\\tool.dat", "tool bytes");
    AddTrace("Software\\Spy", "", "Spy Key");
    AddTrace("Software\\Other", "Tracker", "Other Value");
    AddFile("C:\\A\\tool.dat", "Tool");
  }
  void AddTrace(const std::string& key, const std::string& value, const std::string& name) {
    const auto row = form.lvwRegistryToBeDeleted.Add("-2147483647");
    form.lvwRegistryToBeDeleted.SetSubItem(row, 1, key);
    form.lvwRegistryToBeDeleted.SetSubItem(row, 2, value);
    form.lvwRegistryToBeDeleted.SetSubItem(row, 3, name);
    AddResult(name, "HKEY_CURRENT_USER\\" + key + value, 2);
  }
  void AddFile(const std::string& path, const std::string& name) {
    form.lvwFilesToBeDeleted.SetSubItem(form.lvwFilesToBeDeleted.Add(path), 1, name);
    AddResult(name, path, 3);
  }
  void AddResult(const std::string& name, const std::string& location, int icon) {
    auto& results = form.lvwPicRemoveListOfSpywareFoundAndToBeRemoved;
    const auto row = results.Add(name, icon);
    results.SetSubItem(row, 1, location);
    results.SetChecked(row, true);
    results.RaiseItemCheck(row);
  }
  void Remove() {
    state.session.autoDeleteAfterScan = true;
    removal.DeleteCommand();
  }
  // The planted keys with their values and sub-keys, as one comparable text.
  std::string RegistryText() {
    std::string text;
    for (const char* key : {"Software\\Spy", "Software\\Other"}) {
      bool missing = false;
      const auto keys = ReadKeyTree(machine.registry, kCurrentUser, key, missing);
      text += keys ? WriteRegFile(*keys).value_or("?") : missing ? "<missing>" : "<unreadable>";
    }
    return text;
  }
  QuarantineRestore Restorer() {
    QuarantineRestore restore({machine.Get(), folder, host, exclusions, "Kestrian"});
    EXPECT_EQ(restore.Load(), "");
    return restore;
  }
  std::uint64_t IdOf(std::string_view threat) {
    for (const auto& record : LoadIndex(machine.files, folder).records) {
      if (record.threat == threat) return record.id;
    }
    return 0;
  }

  Removal removal{context};
  core::ExclusionList exclusions{machine.files, folder, host, state.exclusionText};
};

TEST_F(RestoreTest, EveryRemovalIsRecordedAndRestoresAsItWas) {
  const std::string before = RegistryText();
  Remove();
  EXPECT_FALSE(machine.registry.HasKey(kCurrentUser, "Software\\Spy"));
  EXPECT_FALSE(machine.files.Exists("C:\\A\\tool.dat"));
  const auto records = LoadIndex(machine.files, folder).records;
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[1].key, "HKEY_CURRENT_USER\\Software\\Spy");
  EXPECT_EQ(records[1].location, "HKEY_CURRENT_USER\\Software\\Spy");
  EXPECT_EQ(records[2].location, "HKEY_CURRENT_USER\\Software\\OtherTracker");
  EXPECT_EQ(records[0].time, "2026-12-06T08:30:00Z");
  auto restore = Restorer();
  for (const auto& record : records) {
    EXPECT_EQ(restore.Restore(record.id).result, RestoreResult::Done) << record.location;
  }
  EXPECT_EQ(RegistryText(), before);
  EXPECT_EQ(machine.files.Content("C:\\A\\tool.dat"), "tool bytes");
  EXPECT_TRUE(exclusions.IsExcluded("HKEY_CURRENT_USER\\Software\\OtherTracker"));
  for (const auto& record : LoadIndex(machine.files, folder).records) EXPECT_TRUE(record.restored);
}

TEST_F(RestoreTest, AChangedBackupOrAnOccupiedPlaceIsNotRestored) {
  Remove();
  machine.files.PutFile("C:\\Kestrian\\quarantine\\tool.dat", "tool bytes, changed");
  auto restore = Restorer();
  const auto changed = restore.Restore(IdOf("Tool"));
  EXPECT_EQ(changed.result, RestoreResult::Failed);
  EXPECT_EQ(changed.reason, "the backup tool.dat has been changed since it was made");
  EXPECT_FALSE(machine.files.Exists("C:\\A\\tool.dat"));
  // A value that has other data now is replaced only on Yes.
  machine.registry.SetValue(kCurrentUser, "Software\\Other", "Tracker", RegistryValue::Dword(9));
  host.Answer(ui::MessageAnswer::No);
  EXPECT_EQ(restore.Restore(IdOf("Other Value")).result, RestoreResult::Declined);
  EXPECT_EQ(restore.Restore(IdOf("Other Value"), false).result, RestoreResult::Declined);
  EXPECT_EQ(host.Messages().size(), 1u);  // the console is never asked
  EXPECT_FALSE(exclusions.IsExcluded("HKEY_CURRENT_USER\\Software\\OtherTracker"));
}

TEST_F(RestoreTest, ARegistryRestoreThatFailsHalfWayLeavesNothingBehind) {
  Remove();
  // The key is back with a value of its own and another the backup also has; its sub-key
  // cannot be written.
  machine.registry.SetValue(kCurrentUser, "Software\\Spy", "", RegistryValue::String("new default"));
  machine.registry.SetValue(kCurrentUser, "Software\\Spy", "Mine", RegistryValue::Dword(1));
  machine.registry.MakeReadOnly(kCurrentUser, "Software\\Spy\\Deep");
  const std::string before = RegistryText();
  host.Answer(ui::MessageAnswer::Yes);  // replace the default value
  const auto outcome = Restorer().Restore(IdOf("Spy Key"));
  EXPECT_EQ(outcome.result, RestoreResult::Failed);
  EXPECT_EQ(outcome.reason,
            "the registry refused to write HKEY_CURRENT_USER\\Software\\Spy\\Deep (error 5); nothing was changed");
  EXPECT_EQ(RegistryText(), before);
  EXPECT_FALSE(LoadIndex(machine.files, folder).records[1].restored);
}

TEST_F(RestoreTest, AHeldFileIsDeletedAtLogonOnlyWhileItIsUnchanged) {
  machine.files.PutFile("C:\\A\\held.dat", "held bytes");
  machine.files.PutFile("C:\\A\\edited.dat", "edited bytes");
  AddFile("C:\\A\\held.dat", "Held");
  AddFile("C:\\A\\edited.dat", "Edited");
  for (const char* path : {"C:\\A\\held.dat", "C:\\A\\edited.dat"}) machine.files.HoldSharingReads(path);
  Remove();
  EXPECT_EQ(Texts(deleteFailed.lstProblem), (std::vector<std::string>{"C:\\A\\held.dat", "C:\\A\\edited.dat"}));
  EXPECT_EQ(Column(deleteFailed.lstProblem, 1),
            std::vector<std::string>(2, "will be removed at the next restart"));
  EXPECT_EQ(machine.registry.StringValue(kLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
                                         kFinishRemovalValue),
            "\"C:\\Kestrian\\kscan.exe\" finish-removal");
  // The logon: the holders are gone and one file was changed meanwhile.
  for (const char* path : {"C:\\A\\held.dat", "C:\\A\\edited.dat"}) machine.files.HoldSharingReads(path, false);
  machine.files.PutFile("C:\\A\\edited.dat", "edited bytes, changed");
  const FinishOutcome outcome = FinishRemoval(machine.Get(), folder);
  EXPECT_EQ(outcome.lines, (std::vector<std::string>{"deleted: C:\\A\\held.dat",
                                                     "kept, it has changed since the removal: C:\\A\\edited.dat"}));
  EXPECT_FALSE(machine.files.Exists("C:\\A\\held.dat"));
  EXPECT_EQ(machine.files.Content("C:\\A\\edited.dat"), "edited bytes, changed");
  EXPECT_TRUE(FinishRemoval(machine.Get(), folder).lines.empty());  // once only
}

}  // namespace
}  // namespace kestrian::removal
