#include <gtest/gtest.h>

#include "removal/file_extension.h"
#include "removal/protected_items.h"
#include "removal/quarantine.h"
#include "removal/restore_points.h"
#include "support/fake_machine.h"

namespace kestrian::removal {
namespace {

TEST(RemovalRulesTest, FileExtensionIsTheTextAfterTheLastDotOfTheName) {
  const std::pair<const char*, const char*> cases[] = {
      {"C:\\A\\tool.EXE", "exe"},    {"C:\\A\\lib.Dll ", "dll"},    {"C:\\A.B\\noext", ""},
      {"C:\\A\\archive.tar.gz", "gz"}, {"C:file", ""},              {"C:\\A\\trailing.", ""},
      {"name. OCX", "ocx"},          {"", ""},
  };
  for (const auto& [path, extension] : cases) EXPECT_EQ(FileExtensionPart(path), extension) << path;
}

TEST(RemovalRulesTest, FreeBackupNamesAreNumberedBeforeTheExtension) {
  EXPECT_EQ(NumberedFileName("tool.exe", 2), "tool (2).exe");
  EXPECT_EQ(NumberedFileName("archive.tar.gz", 3), "archive.tar (3).gz");
  EXPECT_EQ(NumberedFileName("README", 2), "README (2)");
  EXPECT_EQ(NumberedFileName(".hidden", 2), ".hidden (2)");
}

TEST(RemovalRulesTest, KeysWindowsNeedsAreProtected) {
  using namespace platform::roots;
  const struct {
    platform::RootKey root;
    const char* key;
    bool protectedKey;
  } cases[] = {
      {kCurrentUser, "", true},
      {kCurrentUser, "Software", true},
      {kLocalMachine, "\\System\\", true},
      {kCurrentUser, "Software\\Microsoft", true},
      {kLocalMachine, "software\\microsoft\\windows\\currentversion\\run", true},
      {kLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce", true},
      {kLocalMachine, "Software\\Classes", true},
      {kLocalMachine, "Software\\Policies", true},
      {kLocalMachine, "System\\CurrentControlSet", true},
      {kLocalMachine, "Software\\Acme\\..\\Microsoft", true},
      {kUsers, "S-1-5-21-1\\Software", true},
      {kUsers, "S-1-5-21-1\\Software\\Microsoft\\Windows", true},
      {kClassesRoot, "CLSID", true},
      {kLocalMachine, "Software\\Acme", false},
      {kLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Spy", false},
      {kClassesRoot, "CLSID\\{1234}", false},
      {kUsers, "S-1-5-21-1\\Software\\Acme", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsProtectedKey(c.root, c.key), c.protectedKey) << c.key;
}

TEST(RemovalRulesTest, NothingInsideTheProgramsFolderIsRemoved) {
  const char* folder = "C:\\Program Files\\Kestrian";
  const std::pair<const char*, bool> cases[] = {
      {"C:\\Program Files\\Kestrian", true},
      {"c:\\program files\\kestrian\\quarantine\\x.exe", true},
      {"C:\\Program Files\\Other\\..\\Kestrian\\ENoSignature.txt", true},
      {"C:\\Program Files\\Kestrian2\\x.exe", false},
      {"C:\\Program Files\\x.exe", false},
  };
  for (const auto& [path, inside] : cases) EXPECT_EQ(IsInsideFolder(path, folder), inside) << path;
}

TEST(RestorePointsTest, OnlySystemsWithSystemRestoreAreCapable) {
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
}

TEST(RestorePointsTest, AnEndPassesBackTheSequenceOfItsBegin) {
  for (const std::int64_t sequence : {std::int64_t{1}, std::int64_t{0x1234567890LL}}) {
    testing::FakeSystemRestore system;
    system.nextSequence = sequence;
    std::int64_t open = 0;
    RestorePoints points(system, open);
    bool begun = false;
    EXPECT_EQ(points.Begin("Kestrian Restore Point 12/6/2026", 6, begun), 0);
    EXPECT_TRUE(begun);
    EXPECT_EQ(open, sequence);
    EXPECT_TRUE(points.End());
    EXPECT_EQ(open, 0);
    ASSERT_EQ(system.requests.size(), 2u);
    EXPECT_EQ(system.requests[0], (platform::RestorePointRequest{100, 6, 0, "Kestrian Restore Point 12/6/2026"}));
    EXPECT_EQ(system.requests[1], (platform::RestorePointRequest{101, 0, sequence, ""}));
  }
}

TEST(RestorePointsTest, ABeginWhileOpenIsRefusedAndLongDescriptionsAreCut) {
  testing::FakeSystemRestore system;
  std::int64_t open = 0;
  RestorePoints points(system, open);
  bool begun = false;
  points.Begin(std::string(80, 'x'), 6, begun);
  EXPECT_EQ(system.requests[0].description, std::string(63, 'x'));
  EXPECT_EQ(points.Begin("again", 6, begun), kRestorePointStillOpen);
  EXPECT_FALSE(begun);
  EXPECT_EQ(system.requests.size(), 1u);
  points.End();
  points.End();  // none open: sequence 0
  EXPECT_EQ(system.requests.back().sequenceNumber, 0);
  system.available = false;
  EXPECT_EQ(points.Begin("refused", 6, begun), 0);
  EXPECT_FALSE(begun);
  EXPECT_EQ(open, 0);
}

}  // namespace
}  // namespace kestrian::removal

namespace kestrian::removal {
namespace {

TEST(ViewQuarantineTest, CreatesTheFolderAndOpensItInExplorer) {
  testing::FakeMachine machine;
  machine.files.PutFolder("C:\\Kestrian");
  ViewQuarantine(machine.Get(), core::ApplicationFolder("C:\\Kestrian"));
  EXPECT_TRUE(machine.files.Exists("C:\\Kestrian\\quarantine"));
  EXPECT_EQ(machine.desktop.commands,
            (std::vector<testing::FakeDesktop::Command>{{"explorer C:\\Kestrian\\quarantine", 1}}));
}

}  // namespace
}  // namespace kestrian::removal
