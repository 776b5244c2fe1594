// The time limits given to Live Update are the ones it hands the web, here a fake that serves
// the test update host's tree (R 12, F 7, E 30, C 5, signed with the tests' key). (That the real
// web keeps them is web_win32_tests'; a good update on the real web is e2e_live_update's.)
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "support/definition_versions.h"
#include "support/fake_machine.h"
#include "support/scripted_host.h"
#include "update/live_update.h"

namespace kestrian::update {
namespace {

using std::chrono::milliseconds;

struct NoProgressWindow final : public ProgressWindow {
  void Show() override {}
  void LoadHidden() override {}
  void Close() override {}
  ui::FrmDownload& Form() override { return form; }
  ui::FrmDownload form;
};

struct NoNoticeWindow final : public NoticeWindow {
  void Show() override {}
  void Close() override {}
  ui::FrmSignatureUpdated& Form() override { return form; }
  ui::FrmSignatureUpdated form;
};

TEST(LiveUpdateLimits, ThePageStallAndTransferLimitsGivenAreTheOnesTheWebGets) {
  testing::FakeMachine machine;
  const std::filesystem::path tree = KESTRIAN_UPDATE_HOST_TREE;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(tree / "definitions")) {
    if (!entry.is_regular_file()) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    const std::string bytes(std::istreambuf_iterator<char>(in), {});
    const std::string url = "http://www.kestrian.example/" + entry.path().lexically_relative(tree).generic_string();
    machine.web.ServePage(url, bytes);
    machine.web.downloads[url] = {bytes};
  }
  const core::ApplicationFolder folder("C:\\Kestrian");
  for (const DefinitionKind& kind : kDefinitionKinds) machine.files.PutFile(folder.FilePath(kind.localFile), "old");
  core::SettingsStore settings{machine.registry, "Kestrian"};
  testing::StoreDefinitionVersions(settings, "12", "7", "29", "5");
  testing::ScriptedHost host;
  ui::FrmMain form;
  NoProgressWindow progress;
  NoNoticeWindow notice;
  const platform::VersionResource version{"Kestrian", "Kestrian Software", "www.kestrian.example", 1, 6};
  LiveUpdate update({form, settings, machine.Get(), folder, host, version, progress, notice}, {[] {}, [] {}, [] {}},
                    {milliseconds(1234), milliseconds(2345), milliseconds(3456)});
  update.RunLiveUpdate();
  EXPECT_EQ(machine.web.lastTimeout, milliseconds(1234));
  EXPECT_EQ(machine.web.lastLimits.stall, milliseconds(2345));  // the executable definitions' download
  EXPECT_EQ(machine.web.lastLimits.total, milliseconds(3456));
  EXPECT_TRUE(host.Messages().empty()) << host.Messages().front().text;
}

}  // namespace
}  // namespace kestrian::update
