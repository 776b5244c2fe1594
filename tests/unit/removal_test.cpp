#include "removal/removal.h"

#include <algorithm>

#include "removal/check_mirroring.h"
#include "removal/exclusion_commands.h"
#include "removal/kept_reasons.h"
#include "removal/pending_deletes.h"
#include "removal/registry_removal.h"
#include "removal/quarantine_index.h"
#include "removal/registry_backup.h"
#include "removal/remaining_traces.h"
#include "removal/restore.h"
#include "scan/registry_definition.h"
#include "scan_fixture.h"

namespace kestrian::removal {
namespace {

using namespace std::string_literals;
using platform::roots::kCurrentUser;

constexpr const char* kNow = "12/6/2026 9:30:00 AM";

std::string FileEntry(const std::string& backup, const std::string& location) {
  return std::string(kNow) + " - File: " + backup + "\r\nLocation: " + location + "\r\n\r\n\r\n";
}
std::string KeyEntry(const std::string& key, const std::string& value) {
  return std::string(kNow) + " - Key: " + key + "\r\nValue: " + value + "\r\n\r\n\r\n";
}

class RemovalTest : public scan::ScanFixture {
 protected:
  RemovalTest() {
    EndSession();
    machine.files.PutFolder("C:\\Kestrian");
    form.lvwPicRemoveListOfSpywareFoundAndToBeRemoved.SetItemCheckHandler(
        [this](std::size_t row) { MirrorResultCheck(form, row); });
  }
  // A file finding as the file scan lists it: a trace and, once per name, a result.
  void AddFile(const std::string& path, const std::string& name, std::string_view bytes = "MZ") {
    machine.files.PutFile(path, bytes);
    const auto row = form.lvwFilesToBeDeleted.Add(path);
    form.lvwFilesToBeDeleted.SetSubItem(row, 1, name);
    AddResult(name, path, 3);
  }
  void AddKey(const std::string& key, const std::string& value, const std::string& name,
              platform::RootKey root = kCurrentUser) {
    const auto row = form.lvwRegistryToBeDeleted.Add(scan::RootKeyAsSignedDecimal(root));
    form.lvwRegistryToBeDeleted.SetSubItem(row, 1, key);
    form.lvwRegistryToBeDeleted.SetSubItem(row, 2, value);
    form.lvwRegistryToBeDeleted.SetSubItem(row, 3, name);
    AddResult(name, std::string(scan::RootKeyName(root)) + "\\" + key + value, 2);
  }
  void AddCookie(const std::string& path) {
    machine.files.PutFile(path, "id\nv\nsite.example/\n");
    form.lvwCookiesToDelete.Add(path);
    AddResult("Cookie: " + path.substr(path.rfind('\\') + 1), path, 1);
  }
  void AddResult(const std::string& name, const std::string& location, int icon) {
    auto& results = form.lvwPicRemoveListOfSpywareFoundAndToBeRemoved;
    if (results.FindItemStartingWith(name) && icon != 1) return;
    const auto row = results.Add(name, icon);
    results.SetSubItem(row, 1, location);
  }
  void CheckAll() {
    auto& results = form.lvwPicRemoveListOfSpywareFoundAndToBeRemoved;
    for (std::size_t row = 0; row < results.Count(); ++row) {
      results.SetChecked(row, true);
      results.RaiseItemCheck(row);
    }
  }

  std::string Log() { return machine.files.Content("C:\\Kestrian\\quarantine\\QuarantineLog.txt").value_or("<none>"); }

  Removal removal{context};
  core::ExclusionList exclusions{machine.files, folder, host, state.exclusionText};
};

// A threat is listed once, under the icon of its first trace: its row's check follows it to
// every trace of it, whatever the kind.
TEST_F(RemovalTest, ChecksFollowTheResultToEveryTraceOfItsThreat) {
  AddKey("Software\\Acme", "", "Acme");
  AddFile("C:\\A\\one.dll", "Acme");
  AddFile("C:\\B\\two.dll", "Acme");
  AddFile("C:\\C\\other.dll", "Other");
  AddKey("Software\\Blank", "", "");  // a nameless trace: no results row of its own
  AddCookie("C:\\Cookies\\me@ad[1].txt");
  auto& results = form.lvwPicRemoveListOfSpywareFoundAndToBeRemoved;
  ASSERT_EQ(Texts(results), (std::vector<std::string>{"Acme", "Other", "Cookie: me@ad[1].txt"}));
  for (const std::size_t row : {0, 2}) {
    results.SetChecked(row, true);
    MirrorResultCheck(form, row);
  }
  EXPECT_TRUE(form.lvwFilesToBeDeleted.Item(0).checked && form.lvwFilesToBeDeleted.Item(1).checked &&
              form.lvwRegistryToBeDeleted.Item(0).checked && form.lvwCookiesToDelete.Item(0).checked);
  EXPECT_FALSE(form.lvwFilesToBeDeleted.Item(2).checked || form.lvwRegistryToBeDeleted.Item(1).checked);
}

// Nothing checked is said, unless the scan deletes on its own; then the question is asked,
// and mentions the restore point where Windows has one; no answer but Yes deletes anything.
TEST_F(RemovalTest, TheUserIsToldAndAskedAndOnlyYesDeletes) {
  AddFile("C:\\A\\x.dll", "X");
  removal.DeleteCommand();
  state.session.autoDeleteAfterScan = true;
  removal.DeleteCommand();
  state.session.autoDeleteAfterScan = false;
  CheckAll();
  host.Answer(ui::MessageAnswer::No);
  removal.DeleteCommand();
  const std::string base =
      "Are you sure you want to delete the selected files?\r\n\r\n"
      "Deleted files will be backed up in the following folder in case you need to recover them:"
      "\r\n\r\nC:\\Kestrian\\quarantine";
  ASSERT_EQ(host.Messages().size(), 2u);
  EXPECT_EQ(scan::PartsOf(host.Messages()[0]),
            (scan::MessageParts{"No entries are selected.  You must check the box next to at least one item in the "
                                "list.", "Kestrian", ui::MessageButtons::Ok, ui::MessageIcon::Information}));
  EXPECT_EQ(scan::PartsOf(host.Messages()[1]),
            (scan::MessageParts{base + "\r\n\r\nIn addition, a System Restore Point will be created using Windows "
                                       "System Restore, accessible through:\r\n\r\nStart > Programs > Accessories > "
                                       "System Tools > System Restore",
                                "Really Delete?", ui::MessageButtons::YesNo, ui::MessageIcon::None}));
  EXPECT_TRUE(machine.files.Exists("C:\\A\\x.dll") && machine.systemRestore.requests.empty());
  machine.environment.minorVersion = 0;  // Windows 2000
  EXPECT_EQ(removal.ConfirmationText(), base);
}

TEST_F(RemovalTest, EveryKindIsBackedUpDeletedAndLogged) {
  const auto process = machine.processes.Start("tool.exe", "C:\\A\\tool.exe");
  AddFile("C:\\A\\tool.exe", "Tool", "first");
  AddFile("D:\\B\\TOOL.EXE", "Tool", "second");
  AddFile("C:\\A\\lib.Dll", "Lib");
  AddFile("C:\\A\\notes.txt", "Notes");
  machine.registry.SetValue(kCurrentUser, "Software\\Acme", "Spy", platform::RegistryValue::String("x"));
  machine.registry.SetValue(kCurrentUser, "Software\\Gone", "", platform::RegistryValue::String("d"));
  AddKey("Software\\Acme", "Spy", "Acme Value");
  AddKey("Software\\Gone", "", "Gone Key");
  AddCookie("C:\\Cookies\\me@ad[1].txt");
  CheckAll();
  removal.DeleteCommand();

  for (const char* path : {"C:\\A\\tool.exe", "D:\\B\\TOOL.EXE", "C:\\A\\lib.Dll", "C:\\A\\notes.txt",
                           "C:\\Cookies\\me@ad[1].txt"}) {
    EXPECT_FALSE(machine.files.Exists(path)) << path;
  }
  EXPECT_FALSE(machine.processes.Running(process));
  EXPECT_EQ(machine.files.Content("C:\\Kestrian\\quarantine\\tool.exe"), "first");
  EXPECT_EQ(machine.files.Content("C:\\Kestrian\\quarantine\\TOOL (2).EXE"), "second");
  // Twice in the first pass (before and inside the library routine), both after its backup;
  // not in the second, where there is nothing left to back up.
  EXPECT_EQ(machine.libraries.calls, std::vector<std::string>(2, "C:\\A\\lib.Dll!DllUnregisterServer"));
  EXPECT_FALSE(machine.registry.StringValue(kCurrentUser, "Software\\Acme", "Spy").has_value() ||
               machine.registry.HasKey(kCurrentUser, "Software\\Gone"));
  EXPECT_TRUE(machine.registry.HasKey(kCurrentUser, "Software\\Acme"));
  EXPECT_EQ(Log(), FileEntry("tool.exe", "C:\\A\\tool.exe") + FileEntry("TOOL (2).EXE", "D:\\B\\TOOL.EXE") +
                       FileEntry("lib.Dll", "C:\\A\\lib.Dll") + FileEntry("notes.txt", "C:\\A\\notes.txt") +
                       KeyEntry("HKEY_CURRENT_USER\\Software\\Acme", "Spy") +
                       KeyEntry("HKEY_CURRENT_USER\\Software\\Gone", "") +
                       KeyEntry("-2147483647\\Software\\Gone", "All Values") +
                       FileEntry("me@ad[1].txt", "C:\\Cookies\\me@ad[1].txt"));
  EXPECT_TRUE(form.lvwPicRemoveListOfSpywareFoundAndToBeRemoved.Empty() && form.lvwFilesToBeDeleted.Empty() &&
              form.lvwRegistryToBeDeleted.Empty());
  EXPECT_EQ(form.lvwCookiesToDelete.Count(), 1u);  // the cookie list keeps its rows
  EXPECT_FALSE(deleteFailed.Visible());
  EXPECT_EQ(form.lblDeletingPercentageCompleted.Caption(), "100% complete");
  EXPECT_FALSE(form.pgbDeleteSpywaresFound.Visible());
}

// Whatever the kind of file (the parameter: its extension): one held, or unreadable though
// deletable, so that no backup can be made stays where it is; one held for reading is backed
// up but cannot go; one not held is backed up and deleted.
class RemovalKindTest : public RemovalTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(RemovalKindTest, AFileWithoutABackupIsNeverDeleted) {
  const std::string ext = GetParam();
  AddFile("C:\\A\\shared." + ext, "Held " + ext);
  AddFile("C:\\A\\exclusive." + ext, "Locked " + ext);
  AddFile("C:\\A\\fine." + ext, "Fine " + ext);
  AddFile("C:\\A\\unreadable." + ext, "Unreadable " + ext);
  machine.files.DenyReads("C:\\A\\unreadable." + ext);
  AddFile("C:\\A\\readonly." + ext, "Read-only " + ext);  // backed up, then deleted all the same
  machine.files.PutFile("C:\\A\\readonly." + ext, "MZ", platform::attributes::kReadOnly);
  machine.files.HoldSharingReads("C:\\A\\shared." + ext);
  machine.files.Lock("C:\\A\\exclusive." + ext);
  CheckAll();
  removal.DeleteCommand();
  const auto exists = [&](const std::string& stem) { return machine.files.Exists(stem + ext); };
  EXPECT_TRUE(exists("C:\\A\\shared.") && exists("C:\\Kestrian\\quarantine\\shared.") && exists("C:\\A\\exclusive.") &&
              exists("C:\\A\\unreadable.") && exists("C:\\Kestrian\\quarantine\\readonly."));
  EXPECT_FALSE(exists("C:\\Kestrian\\quarantine\\exclusive.") || exists("C:\\A\\fine.") || exists("C:\\A\\readonly."));
  EXPECT_EQ(machine.files.Content("C:\\Kestrian\\quarantine\\fine." + ext), "MZ");
  // No code of the held library ran: only the one that could be backed up was unregistered,
  // twice (before and inside the library routine).
  const auto& calls = machine.libraries.calls;
  for (const std::string& call : calls) {
    EXPECT_TRUE(call.starts_with("C:\\A\\fine.") || call.starts_with("C:\\A\\shared.") ||
                call.starts_with("C:\\A\\readonly.")) << call;
  }
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "C:\\A\\fine.dll!DllUnregisterServer"), ext == "dll" ? 2 : 0);
  EXPECT_EQ(Texts(deleteFailed.lstProblem), (std::vector<std::string>{"C:\\A\\shared." + ext, "C:\\A\\exclusive." + ext,
                                                                      "C:\\A\\unreadable." + ext}));
  EXPECT_EQ(Column(deleteFailed.lstProblem, 1).back(), kept::kNoBackup);
  EXPECT_EQ(Texts(form.lvwPicRemoveListOfSpywareFoundAndToBeRemoved),
            (std::vector<std::string>{"Held " + ext, "Locked " + ext, "Unreadable " + ext}));
  EXPECT_FALSE(form.lvwPicRemoveListOfSpywareFoundAndToBeRemoved.Item(0).checked);
}
INSTANTIATE_TEST_SUITE_P(Extensions, RemovalKindTest, ::testing::Values("dat", "dll", "exe"));

TEST_F(RemovalTest, WithoutAQuarantineFolderNothingIsDeleted) {
  AddFile("C:\\A\\x.dat", "X");
  AddCookie("C:\\Cookies\\me@ad[1].txt");
  machine.files.PutFile("C:\\Kestrian\\quarantine", "a file where the folder should be");
  CheckAll();
  removal.DeleteCommand();
  EXPECT_TRUE(machine.files.Exists("C:\\A\\x.dat") && machine.files.Exists("C:\\Cookies\\me@ad[1].txt"));
  EXPECT_EQ(Texts(deleteFailed.lstProblem), std::vector<std::string>{"C:\\A\\x.dat"});
}

// A standard user may not change HKEY_LOCAL_MACHINE: its items are neither backed up nor
// logged as removed, but kept and listed with why; a file held open is left to the logon
// only where a RunOnce entry could be written, the user's when the machine's is refused.
class RemovalRightsTest : public RemovalTest, public ::testing::WithParamInterface<bool> {};

// The parameter: whether the user's RunOnce key refuses the entry too.
TEST_P(RemovalRightsTest, WhatTheAccountMayNotChangeIsListedWithWhy) {
  using platform::roots::kLocalMachine;
  const std::string runOnce = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
  const bool userRunOnceRefused = GetParam();
  machine.files.PutFile("C:\\Kestrian\\kscan.exe", "MZ");
  machine.registry.SetValue(kLocalMachine, "Software\\Acme", "Spy", platform::RegistryValue::String("x"));
  machine.registry.SetValue(kLocalMachine, "Software\\Gone", "", platform::RegistryValue::String("d"));
  machine.registry.RefuseWrites(kLocalMachine);
  if (userRunOnceRefused) machine.registry.MakeReadOnly(kCurrentUser, runOnce);
  AddKey("Software\\Acme", "Spy", "Machine Value", kLocalMachine);
  AddKey("Software\\Gone", "", "Machine Key", kLocalMachine);
  // A key of the user's own whose sub-key refuses: opened for changes, yet its delete fails.
  machine.registry.SetValue(kCurrentUser, "Software\\Guarded\\Deep", "", platform::RegistryValue::String("d"));
  machine.registry.MakeReadOnly(kCurrentUser, "Software\\Guarded\\Deep");
  AddKey("Software\\Guarded", "", "Guarded Key");
  AddFile("C:\\A\\held.dat", "Held");
  machine.files.HoldSharingReads("C:\\A\\held.dat");
  CheckAll();
  removal.DeleteCommand();
  EXPECT_EQ(Texts(deleteFailed.lstProblem),
            (std::vector<std::string>{"C:\\A\\held.dat", "HKEY_LOCAL_MACHINE\\Software\\Acme\\Spy",
                                      "HKEY_LOCAL_MACHINE\\Software\\Gone",
                                      "HKEY_CURRENT_USER\\Software\\Guarded"}));
  EXPECT_EQ(Column(deleteFailed.lstProblem, 1),
            (std::vector<std::string>{
                userRunOnceRefused ? "in use or access denied" : "will be removed at the next restart",
                "access denied", "access denied", "access denied"}));
  EXPECT_EQ(machine.registry.StringValue(kCurrentUser, runOnce, kFinishRemovalValue).has_value(),
            !userRunOnceRefused);
  EXPECT_TRUE(machine.registry.StringValue(kLocalMachine, "Software\\Acme", "Spy").has_value());
  EXPECT_TRUE(machine.registry.HasKey(kLocalMachine, "Software\\Gone"));
  EXPECT_TRUE(machine.registry.HasKey(kCurrentUser, "Software\\Guarded\\Deep"));
  // Only what went is logged: the file's backup and the guarded key's (absent) default value;
  // a value delete the registry refuses never is.
  bool logging = true;
  QuarantineLog log(machine.Get(), folder, logging);
  EXPECT_EQ(DeleteRegistryValue(machine.registry, log, kLocalMachine, "Software\\Acme", "Spy"),
            platform::kAccessDenied);
  EXPECT_EQ(machine.files.Content("C:\\Kestrian\\quarantine\\QuarantineLog.txt"),
            FileEntry("held.dat", "C:\\A\\held.dat") + KeyEntry("HKEY_CURRENT_USER\\Software\\Guarded", ""));
  // The machine's items are not even backed up.
  for (const auto& backup : machine.files.Find("C:\\Kestrian\\quarantine\\*.reg")) {
    EXPECT_TRUE(backup.name.starts_with("Guarded")) << backup.name;
  }
  EXPECT_EQ(Texts(form.lvwPicRemoveListOfSpywareFoundAndToBeRemoved),
            (std::vector<std::string>{"Machine Value", "Machine Key", "Guarded Key", "Held"}));
  // The logon tries the held file once.
  EXPECT_EQ(FinishRemoval(machine.Get(), folder).lines.size(), userRunOnceRefused ? 0u : 1u);
  EXPECT_TRUE(FinishRemoval(machine.Get(), folder).lines.empty());
}
INSTANTIATE_TEST_SUITE_P(UserRunOnce, RemovalRightsTest, ::testing::Bool());

// A library runs none of its code before its backup exists; a file that appears again
// where one was deleted is another file, backed up before it goes; a program is stopped
// only where it runs the very file.
TEST_F(RemovalTest, BackupsComeFirstAndOnlyTheFilesOwnProcessesAreStopped) {
  AddFile("C:\\A\\nobackup.dll", "Library");
  machine.files.Lock("C:\\A\\nobackup.dll");
  AddFile("C:\\A\\back.dat", "Comes Back", "first");
  // A watchdog that puts the file back once it was deleted.
  std::function<void()> watchdog = [&] {
    if (machine.files.Exists("C:\\A\\back.dat")) return host.AtYield(host.Yields() + 1, watchdog);
    machine.files.PutFile("C:\\A\\back.dat", "second");
  };
  host.AtYield(1, watchdog);
  AddFile("C:\\A\\pending.dat", "Pending");
  machine.files.HoldSharingDeletes("C:\\A\\pending.dat");
  AddFile("C:\\A\\tool.exe", "Tool");
  const auto tool = machine.processes.Start("tool.exe", "C:\\A\\tool.exe");
  const auto lookAlike = machine.processes.Start("tool.exe", "C:\\B\\tool.exe");
  CheckAll();
  removal.DeleteCommand();
  EXPECT_TRUE(machine.libraries.calls.empty() && machine.files.Exists("C:\\A\\nobackup.dll"));
  EXPECT_FALSE(machine.files.Exists("C:\\A\\back.dat"));
  EXPECT_EQ(machine.files.Content("C:\\Kestrian\\quarantine\\back.dat"), "first");
  EXPECT_EQ(machine.files.Content("C:\\Kestrian\\quarantine\\back (2).dat"), "second");
  // Deleted, but held open: the same file, with one backup.
  EXPECT_TRUE(machine.files.Exists("C:\\Kestrian\\quarantine\\pending.dat"));
  EXPECT_FALSE(machine.files.Exists("C:\\Kestrian\\quarantine\\pending (2).dat"));
  EXPECT_FALSE(machine.processes.Running(tool) || machine.files.Exists("C:\\A\\tool.exe"));
  EXPECT_TRUE(machine.processes.Running(lookAlike));
  EXPECT_EQ(Texts(deleteFailed.lstProblem),
            (std::vector<std::string>{"C:\\A\\nobackup.dll", "C:\\A\\pending.dat"}));
  EXPECT_EQ(Column(deleteFailed.lstProblem, 1),
            (std::vector<std::string>{"no backup could be made", "in use or access denied"}));
}

// During a removal the commands that would start other work are disabled and ignored;
// each gets back the state it had.
TEST_F(RemovalTest, NoOtherWorkStartsWhileARemovalRuns) {
  AddFile("C:\\A\\x.dat", "X");
  CheckAll();
  form.timUpdate.SetEnabled(true);
  form.cmdLiveUpdate.SetEnabled(false);  // as the settings page may hold it
  std::vector<bool> during;
  bool again = false;
  host.AtYield(5, [&] {
    for (const ui::Control* command : std::initializer_list<const ui::Control*>{
             &form.Command4, &form.cmdExclude, &form.cmdScanNow, &form.cmdUpdate, &form.cmdLiveUpdate,
             &form.timUpdate, &form.tmrScheduler, &form.tmrMemoryInspected, &form.tmrCheckHomePage}) {
      during.push_back(command->Enabled());
    }
    host.Answer(ui::MessageAnswer::Yes);
    removal.DeleteCommand();  // a second Delete asks nothing and does nothing
    ExcludeCheckedResults({form, host, exclusions, "Kestrian"});  // nor does Exclude
    again = removal.Running();
  });
  host.Answer(ui::MessageAnswer::Yes);
  removal.DeleteCommand();
  EXPECT_EQ(during, std::vector<bool>(9, false));
  EXPECT_TRUE(again);
  EXPECT_EQ(host.Messages().size(), 1u);
  EXPECT_FALSE(removal.Running());
  EXPECT_TRUE(form.Command4.Enabled() && form.cmdExclude.Enabled() && form.cmdScanNow.Enabled() &&
              form.cmdUpdate.Enabled() && form.timUpdate.Enabled());
  EXPECT_FALSE(form.cmdLiveUpdate.Enabled());
}

// kscan looks again at every trace after a removal: what is left is listed, with why.
TEST_F(RemovalTest, TracesStillThereAfterTheRemovalAreListed) {
  machine.registry.SetValue(kCurrentUser, "Software\\Stuck", "Run", platform::RegistryValue::String("x"));
  machine.registry.MakeReadOnly(kCurrentUser, "Software\\Stuck");
  AddKey("Software\\Stuck", "Run", "Stuck Value");
  AddFile("C:\\A\\hidden.dat", "Hidden");
  machine.files.PutFile("C:\\A\\hidden.dat", "h", platform::attributes::kHidden);
  machine.files.Lock("C:\\A\\hidden.dat");
  AddFile("C:\\A\\gone.dat", "Gone");
  AddFile("C:\\Kestrian\\own.txt", "Own");
  const auto traces = TracesOf(form);
  CheckAll();
  removal.DeleteCommand();
  ListRemainingTraces(machine.Get(), traces, deleteFailed);
  EXPECT_EQ(Texts(deleteFailed.lstProblem),
            (std::vector<std::string>{"C:\\Kestrian\\own.txt", "HKEY_CURRENT_USER\\Software\\Stuck\\Run",
                                      "C:\\A\\hidden.dat"}));
  EXPECT_EQ(Column(deleteFailed.lstProblem, 1),
            (std::vector<std::string>{"part of this program", "access denied", "still there after the removal"}));
}

// A scheduled scan's removal asks nothing.
TEST_F(RemovalTest, ARestorePointSurroundsTheTwoPassesAndTheTotalGrows) {
  AddFile("C:\\A\\x.dat", "X");
  AddFile("C:\\A\\y.dat", "Y");
  machine.registry.SetValue(kCurrentUser, "Software\\Gone", "", platform::RegistryValue::String("d"));
  AddKey("Software\\Gone", "", "Gone");
  AddCookie("C:\\Cookies\\me@ad[1].txt");
  state.session.autoDeleteAfterScan = true;
  state.session.spywareFound = 3;
  form.lblRemovePicSoftwareFound.SetCaption("0");  // the label may lag behind the count
  form.lbltracesFound.SetCaption("5");
  settings.Save(core::settings::kDefinitionsRemoved, "10");
  CheckAll();
  const int yieldsBefore = host.Yields();
  removal.DeleteCommand();
  ASSERT_EQ(machine.systemRestore.requests.size(), 2u);
  EXPECT_EQ(machine.systemRestore.requests[0].description, std::string("Kestrian Restore Point ") + kNow);
  EXPECT_EQ(machine.systemRestore.requests[0].restorePointType, 6u);
  EXPECT_EQ(machine.systemRestore.requests[1].eventType, 101u);
  EXPECT_EQ(state.openRestoreSequence, 0);
  EXPECT_FALSE(state.firstRemovalPass);
  EXPECT_GT(host.Yields() - yieldsBefore, 20001);
  EXPECT_EQ(settings.Get(core::settings::kDefinitionsRemoved), "18");
  EXPECT_EQ(form.lblDefRemoved.Caption(), "18");
  EXPECT_FALSE(machine.files.Exists("C:\\A\\x.dat") || machine.files.Exists("C:\\A\\y.dat"));
  EXPECT_TRUE(host.Messages().empty());
  EXPECT_TRUE(form.lvwPicRemoveListOfSpywareFoundAndToBeRemoved.Empty() && form.lvwFilesToBeDeleted.Empty() &&
              form.lvwRegistryToBeDeleted.Empty());
  EXPECT_EQ(form.lvwCookiesToDelete.Count(), 1u);  // the cookie list keeps its rows
  EXPECT_FALSE(deleteFailed.Visible() || form.pgbDeleteSpywaresFound.Visible());
  EXPECT_EQ(form.lblDeletingPercentageCompleted.Caption(), "100% complete");
}

// A key with a sub-key, another key's value and a file, removed by a scheduled scan.
class RestoreTest : public RemovalTest {
 protected:
  RestoreTest() {
    machine.registry.SetValue(kCurrentUser, "Software\\Spy", "", platform::RegistryValue::String("default"));
    machine.registry.SetValue(kCurrentUser, "Software\\Spy\\Deep", "Count", platform::RegistryValue::Dword(3));
    machine.registry.SetValue(kCurrentUser, "Software\\Other", "Tracker", {3, "\x01\x02"s});
    AddKey("Software\\Spy", "", "Spy Key");
    AddKey("Software\\Other", "Tracker", "Other Value");
    AddFile("C:\\A\\tool.dat", "Tool", "tool bytes");
    CheckAll();
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
  QuarantineRestore restore{{machine.Get(), folder, host, exclusions, "Kestrian"}};
  std::uint64_t IdOf(std::string_view threat) {
    for (const auto& record : LoadIndex(machine.files, folder).records) {
      if (record.threat == threat) return record.id;
    }
    return 0;
  }
};

TEST_F(RestoreTest, AChangedBackupOrAnOccupiedPlaceIsNotRestored) {
  machine.files.PutFile("C:\\Kestrian\\quarantine\\tool.dat", "tool bytes, changed");
  EXPECT_EQ(restore.Load(), "");
  const auto changed = restore.Restore(IdOf("Tool"));
  EXPECT_EQ(changed.result, RestoreResult::Failed);
  EXPECT_EQ(changed.reason, "the backup tool.dat has been changed since it was made");
  EXPECT_FALSE(machine.files.Exists("C:\\A\\tool.dat"));
  // A value that has other data now is replaced only on Yes; restored, it is excluded from scans.
  machine.registry.SetValue(kCurrentUser, "Software\\Other", "Tracker", platform::RegistryValue::Dword(9));
  host.Answer(ui::MessageAnswer::No);
  EXPECT_EQ(restore.Restore(IdOf("Other Value")).result, RestoreResult::Declined);
  EXPECT_EQ(restore.Restore(IdOf("Other Value"), false).result, RestoreResult::Declined);
  EXPECT_EQ(host.Messages().size(), 1u);  // the console is never asked
  EXPECT_FALSE(exclusions.IsExcluded("HKEY_CURRENT_USER\\Software\\OtherTracker"));
  host.Answer(ui::MessageAnswer::Yes);
  EXPECT_EQ(restore.Restore(IdOf("Other Value")).result, RestoreResult::Done);
  EXPECT_TRUE(exclusions.IsExcluded("HKEY_CURRENT_USER\\Software\\OtherTracker"));
  EXPECT_TRUE(LoadIndex(machine.files, folder).records[2].restored);
}

TEST_F(RestoreTest, ARegistryRestoreThatFailsHalfWayLeavesNothingBehind) {
  // The key is back with a value of its own and another the backup also has; its sub-key
  // cannot be written.
  machine.registry.SetValue(kCurrentUser, "Software\\Spy", "", platform::RegistryValue::String("new default"));
  machine.registry.SetValue(kCurrentUser, "Software\\Spy", "Mine", platform::RegistryValue::Dword(1));
  machine.registry.MakeReadOnly(kCurrentUser, "Software\\Spy\\Deep");
  const std::string before = RegistryText();
  host.Answer(ui::MessageAnswer::Yes);  // replace the default value
  EXPECT_EQ(restore.Load(), "");
  const auto outcome = restore.Restore(IdOf("Spy Key"));
  EXPECT_EQ(outcome.result, RestoreResult::Failed);
  EXPECT_EQ(outcome.reason,
            "the registry refused to write HKEY_CURRENT_USER\\Software\\Spy\\Deep (error 5); nothing was changed");
  EXPECT_EQ(RegistryText(), before);
  const auto records = LoadIndex(machine.files, folder).records;
  EXPECT_FALSE(records[1].restored);
  EXPECT_EQ(records[0].time, "2026-12-06T08:30:00Z");
}

}  // namespace
}  // namespace kestrian::removal
