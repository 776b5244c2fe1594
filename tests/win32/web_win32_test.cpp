// Win32Web against the update host (tests/e2e/update_host.py), the proxy with_update_host.sh
// names: a URL's host name chooses how it behaves. The test writes the host's tree itself.
#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_web.h"

namespace kestrian {
namespace {

using namespace std::chrono_literals;
using platform::DownloadOutcome;
using platform::WebPage;
using Outcome = platform::WebPage::Outcome;
using Clock = std::chrono::steady_clock;

constexpr char kVersionPage[] = "<html><body>Defination version : 12</body></html>";
constexpr auto kQuick = 10s;  // generous: "at once" only has to beat the minute of a time-out by far
constexpr char kDataPath[] = "/definitions/data/FileDefinition.dat";

// A port of this machine where nothing listens: one the system handed out and took back.
int ClosedPort() {
  WSADATA data{};
  ::WSAStartup(MAKEWORD(2, 2), &data);
  const SOCKET probe = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int size = sizeof address;
  ::bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
  ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &size);
  ::closesocket(probe);
  ::WSACleanup();
  return ntohs(address.sin_port);
}

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

// 200 KB that are the same in every run and hold every byte value.
std::string DataFileBytes() {
  std::string bytes(200 * 1024, '\0');
  std::uint32_t state = 12345;
  for (char& byte : bytes) byte = static_cast<char>((state = state * 1103515245u + 12345u) >> 16);
  return bytes;
}

std::string Unreachable(const char* path) { return "http://127.0.0.1:" + std::to_string(ClosedPort()) + path; }

class WebOnWindows : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    const std::string root = Environment("KESTRIAN_UPDATE_HOST_ROOT_WINDOWS");
    platform::win32::Win32FileSystem files;
    for (const char* folder : {"\\definitions", "\\definitions\\version", "\\definitions\\data"}) {
      files.CreateFolder(root + folder);
    }
    files.WriteAll(root + "\\definitions\\version\\R.HTM", kVersionPage);
    files.WriteAll(root + "\\definitions\\data\\FileDefinition.dat", DataFileBytes());
  }
  void SetUp() override {
    ASSERT_FALSE(port.empty()) << "run through tests/e2e/with_update_host.sh";
    const std::string name = "kestrian_web_test_" + std::to_string(::GetCurrentProcessId());
    folder = (std::filesystem::temp_directory_path() / name).string();
    files.CreateFolder(folder);
  }
  void TearDown() override {
    files.Delete(Target());
    ::RemoveDirectoryA(folder.c_str());
  }
  std::string Target() const { return folder + "\\download.dat"; }

  WebPage Fetch(const std::string& url, std::chrono::milliseconds timeout) {
    const auto start = Clock::now();
    WebPage page = web.FetchPage(url, timeout, [this] { ++waits; });
    elapsed = Clock::now() - start;
    return page;
  }
  DownloadOutcome Download(const std::string& url, const platform::DownloadLimits& limits, std::string path = {}) {
    const auto start = Clock::now();
    const auto outcome = web.DownloadToFile(url, path.empty() ? Target() : path, limits, [] {});
    elapsed = Clock::now() - start;
    return outcome;
  }

  const std::string port = Environment("KESTRIAN_UPDATE_HOST_PORT");
  platform::win32::Win32Web web;
  platform::win32::Win32FileSystem files;
  std::string folder;
  int waits = 0;
  Clock::duration elapsed{};
};

// What each host answers, and how soon one that cannot (or never does) answer is given up.
TEST_F(WebOnWindows, PagesCarryTheStatusAndTheBodyOrSayWhyTheyCameToNothing) {
  const std::string page = "/definitions/version/R.HTM";
  const struct {
    const char* name;
    std::string url;
    Outcome outcome;
    int status;
    std::string body;  // the whole body, or with `part` a text inside it
    bool part;
  } cases[] = {
      {"found page", "http://www.kestrian.example" + page, Outcome::Answered, 200, kVersionPage, false},
      {"missing file", "http://www.kestrian.example/definitions/version/F.HTM", Outcome::Answered, 404, "Not Found", true},
      {"no proxy for 127.0.0.1", "http://127.0.0.1:" + port + page, Outcome::Answered, 200, kVersionPage, false},
      {"nobody listens", Unreachable(page.c_str()), Outcome::Unreachable, 0, "", true},
      {"cut short", "http://www.cut.example" + std::string(kDataPath), Outcome::TimedOut, 0, "", true},
      {"too large for a page", "http://www.huge.example" + page, Outcome::TimedOut, 0, "", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const WebPage answer = Fetch(c.url, 60s);
    EXPECT_EQ(answer.outcome, c.outcome);
    EXPECT_LT(elapsed, kQuick);
    if (c.outcome != Outcome::Answered) continue;
    EXPECT_EQ(answer.statusCode, c.status);
    EXPECT_TRUE(c.part ? answer.body.find(c.body) != std::string::npos : answer.body == c.body) << answer.body;
  }
  EXPECT_TRUE(Fetch("http://www.huge.example" + page, 60s).body.empty());
  waits = 0;
  EXPECT_EQ(Fetch("http://www.slow.example" + page, 2s).outcome, Outcome::TimedOut);
  EXPECT_GE(elapsed, 1900ms);
  EXPECT_LT(elapsed, kQuick);
  EXPECT_GE(waits, 20);  // every 25 ms makes 80 in two seconds
}

// A download delivers every byte or fails, gives up at its size limit (announced or counted)
// and at its total time even while bytes keep coming; one that keeps coming is no stall. One
// that cannot start, by its address or by its file, leaves the file as it was.
TEST_F(WebOnWindows, DownloadsDeliverEveryByteEndAtTheirLimitsOrLeaveTheFileAlone) {
  const std::uint64_t size = DataFileBytes().size();
  const auto url = [](const char* host) { return std::string("http://") + host + kDataPath; };
  const struct {
    const char* name;
    std::string url;
    platform::DownloadLimits limits;
    DownloadOutcome outcome;
    std::uint64_t written;  // with a complete outcome
  } cases[] = {
      {"good", url("www.kestrian.example"), {5s}, DownloadOutcome::Complete, size},
      {"trickles past the stall time", url("www.trickle.example"), {2s}, DownloadOutcome::Complete, size},
      {"missing file", "http://www.kestrian.example/definitions/data/ExeDefinition.dat", {2s}, DownloadOutcome::Failed, 0},
      {"closed early", url("www.cut.example"), {2s}, DownloadOutcome::Failed, 0},
      {"stalls after half", url("www.stall.example"), {2s}, DownloadOutcome::Failed, 0},
      {"never answers", url("www.slow.example"), {2s}, DownloadOutcome::Failed, 0},
      {"unreachable", Unreachable(kDataPath), {2s}, DownloadOutcome::Failed, 0},
      {"announced too large", url("www.kestrian.example"), {5s, 60s, size - 1}, DownloadOutcome::TooLarge, 0},
      {"just within", url("www.kestrian.example"), {5s, 60s, size}, DownloadOutcome::Complete, size},
      {"no length, too large", url("www.nolength.example"), {5s, 60s, size / 4}, DownloadOutcome::TooLarge, 0},
      {"no length, cut", url("www.nolength.example"), {5s, 60s, size}, DownloadOutcome::Complete, size / 2},
      {"out of time", url("www.trickle.example"), {2s, 1s, size}, DownloadOutcome::Failed, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(files.WriteAll(Target(), std::string(300 * 1024, 'x')), platform::kOk);
    EXPECT_EQ(Download(c.url, c.limits), c.outcome);
    EXPECT_LT(elapsed, kQuick);
    if (c.outcome != DownloadOutcome::Complete) continue;
    const auto written = files.ReadAll(Target());
    ASSERT_TRUE(written.ok());
    EXPECT_EQ(written.value().size(), c.written);
    EXPECT_TRUE(c.written != size || written.value() == DataFileBytes());
  }

  ASSERT_EQ(files.WriteAll(Target(), "kept"), platform::kOk);
  const std::string good = std::string("http://www.kestrian.example") + kDataPath;
  EXPECT_EQ(Download(std::string("ftp://www.kestrian.example") + kDataPath, {2s}), DownloadOutcome::Failed);
  EXPECT_EQ(Download("not an address", {2s}), DownloadOutcome::Failed);
  EXPECT_EQ(Download(good, {5s}, folder + "\\missing\\download.dat"), DownloadOutcome::Failed);
  {
    const platform::win32::UniqueFileHandle held(
        ::CreateFileA(Target().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(held);
    EXPECT_EQ(Download(good, {2s}), DownloadOutcome::Failed);
  }
  EXPECT_EQ(files.ReadAll(Target()).value_or("<unread>"), "kept");
}

}  // namespace
}  // namespace kestrian
