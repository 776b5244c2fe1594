// Win32Web against the update host (tests/e2e/update_host.py), which with_update_host.sh
// names as the proxy in the Internet settings: the host name of a URL chooses how the server
// behaves. The test writes the server's tree itself before the first request.
#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>
#include <wininet.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/win32/unique_handle.h"
#include "win32/proxy_setting.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_web.h"

namespace kestrian {
namespace {

using namespace std::chrono_literals;
using platform::WebPage;
using Outcome = platform::WebPage::Outcome;
using Clock = std::chrono::steady_clock;
using testing::ClosedPort;
using testing::ProxyServerSetting;

constexpr char kVersionPage[] = "<html><body>Defination version : 12</body></html>";
constexpr auto kQuick = 10s;  // generous: "at once" only has to beat any time-out by far

std::string Environment(const char* name) {
  char value[1024] = {};
  const DWORD length = ::GetEnvironmentVariableA(name, value, sizeof value);
  return length > 0 && length < sizeof value ? std::string(value, length) : std::string();
}

// 200 KB that are the same in every run and hold every byte value.
std::string DataFileBytes() {
  std::string bytes(200 * 1024, '\0');
  std::uint32_t state = 12345;
  for (char& byte : bytes) {
    state = state * 1103515245u + 12345u;
    byte = static_cast<char>(state >> 16);
  }
  return bytes;
}

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
    ASSERT_FALSE(port_.empty()) << "run through tests/e2e/with_update_host.sh";
    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    folder_ = std::string(temp) + "kestrian_web_test_" + std::to_string(::GetCurrentProcessId());
    files_.CreateFolder(folder_);
  }
  void TearDown() override {
    files_.Delete(Target());
    ::RemoveDirectoryA(folder_.c_str());
  }

  std::string Target() const { return folder_ + "\\download.dat"; }

  WebPage Fetch(const std::string& url, std::chrono::milliseconds timeout) {
    const auto start = Clock::now();
    WebPage page = web_.FetchPage(url, timeout, [this] { ++waits_; });
    elapsed_ = Clock::now() - start;
    return page;
  }

  platform::DownloadOutcome DownloadWithin(const std::string& url, const std::string& path,
                                           const platform::DownloadLimits& limits) {
    const auto start = Clock::now();
    const auto outcome = web_.DownloadToFile(url, path, limits, [this] { ++waits_; });
    elapsed_ = Clock::now() - start;
    return outcome;
  }
  bool Download(const std::string& url, const std::string& path, std::chrono::milliseconds stallTimeout) {
    return DownloadWithin(url, path, {stallTimeout}) == platform::DownloadOutcome::Complete;
  }

  const std::string port_ = Environment("KESTRIAN_UPDATE_HOST_PORT");
  platform::win32::Win32Web web_;
  platform::win32::Win32FileSystem files_;
  std::string folder_;
  int waits_ = 0;
  Clock::duration elapsed_{};
};

struct PageCase {
  const char* name;
  const char* url;  // "{port}" is the update host's own port
  int status;
  const char* body;  // the whole body, or with `part` a text inside it
  bool part;
};

std::string WithPort(std::string url, const std::string& port) {
  const auto at = url.find("{port}");
  return at == std::string::npos ? url : url.replace(at, 6, port);
}

TEST_F(WebOnWindows, AnswersCarryTheStatusAndTheBody) {
  const PageCase cases[] = {
      {"found page", "http://www.kestrian.example/definitions/version/R.HTM", 200, kVersionPage,
       false},
      {"missing file", "http://www.kestrian.example/definitions/version/F.HTM", 404, "Not Found",
       true},
      {"missing host", "http://www.missing.example/definitions/version/R.HTM", 404, "Not Found",
       true},
      {"error page", "http://www.errorpage.example/definitions/version/R.HTM", 200,
       "The page cannot be displayed", true},
      {"no proxy for 127.0.0.1", "http://127.0.0.1:{port}/definitions/version/R.HTM", 200,
       kVersionPage, false},
  };
  for (const PageCase& c : cases) {
    SCOPED_TRACE(c.name);
    const WebPage page = Fetch(WithPort(c.url, port_), 20s);
    EXPECT_EQ(page.outcome, Outcome::Answered);
    EXPECT_EQ(page.statusCode, c.status);
    if (c.part) {
      EXPECT_NE(page.body.find(c.body), std::string::npos) << page.body;
    } else {
      EXPECT_EQ(page.body, c.body);
    }
  }
}

TEST_F(WebOnWindows, AHostNobodyListensAtIsUnreachableAtOnce) {
  const std::string closed = std::to_string(ClosedPort());
  const WebPage page = Fetch("http://127.0.0.1:" + closed + "/definitions/version/R.HTM", 60s);
  EXPECT_EQ(page.outcome, Outcome::Unreachable);
  EXPECT_LT(elapsed_, kQuick);
}

TEST_F(WebOnWindows, AProxyNobodyListensAtMakesEveryHostUnreachableAtOnce) {
  const ProxyServerSetting downProxy("127.0.0.1:" + std::to_string(ClosedPort()));
  const WebPage page = Fetch("http://www.kestrian.example/definitions/version/R.HTM", 60s);
  EXPECT_EQ(page.outcome, Outcome::Unreachable) << page.statusCode << " " << page.body;
  EXPECT_LT(elapsed_, kQuick);
}

TEST_F(WebOnWindows, AHostThatNeverAnswersTimesOutWhileTheCallerKeepsRunning) {
  const WebPage page = Fetch("http://www.slow.example/definitions/version/R.HTM", 2s);
  EXPECT_EQ(page.outcome, Outcome::TimedOut);
  EXPECT_GE(elapsed_, 1900ms);
  EXPECT_LT(elapsed_, kQuick);
  EXPECT_GE(waits_, 20);  // every 25 ms makes 80 in two seconds
}

TEST_F(WebOnWindows, AnAnswerCutShortIsNoAnswer) {
  const WebPage page = Fetch("http://www.cut.example/definitions/data/FileDefinition.dat", 20s);
  EXPECT_EQ(page.outcome, Outcome::TimedOut);
  EXPECT_LT(elapsed_, kQuick);
}

TEST_F(WebOnWindows, AGoodDownloadReplacesTheFileWithTheSameBytes) {
  ASSERT_EQ(files_.WriteAll(Target(), std::string(300 * 1024, 'x')), platform::kOk);
  EXPECT_TRUE(Download("http://www.kestrian.example/definitions/data/FileDefinition.dat",
                       Target(), 5s));
  const auto written = files_.ReadAll(Target());
  ASSERT_TRUE(written.ok());
  EXPECT_TRUE(written.value() == DataFileBytes()) << written.value().size() << " bytes";
}

// Ten parts 0.35 s apart take longer than the stall time-out, yet no pause reaches it.
TEST_F(WebOnWindows, ADownloadThatKeepsComingIsNotAStall) {
  EXPECT_TRUE(Download("http://www.trickle.example/definitions/data/FileDefinition.dat",
                       Target(), 2s));
  EXPECT_GT(elapsed_, 2s);
  const auto written = files_.ReadAll(Target());
  ASSERT_TRUE(written.ok());
  EXPECT_TRUE(written.value() == DataFileBytes()) << written.value().size() << " bytes";
}

struct DownloadCase {
  const char* name;
  const char* url;
};

TEST_F(WebOnWindows, DownloadsThatDoNotDeliverEveryByteFail) {
  const std::string closed = std::to_string(ClosedPort());
  const std::string unreachable =
      "http://127.0.0.1:" + closed + "/definitions/data/FileDefinition.dat";
  const DownloadCase cases[] = {
      {"missing file", "http://www.kestrian.example/definitions/data/ExeDefinition.dat"},
      {"missing host", "http://www.missing.example/definitions/data/FileDefinition.dat"},
      {"closed early", "http://www.cut.example/definitions/data/FileDefinition.dat"},
      {"stalls after half", "http://www.stall.example/definitions/data/FileDefinition.dat"},
      {"never answers", "http://www.slow.example/definitions/data/FileDefinition.dat"},
      {"unreachable", unreachable.c_str()},
  };
  for (const DownloadCase& c : cases) {
    SCOPED_TRACE(c.name);
    waits_ = 0;
    EXPECT_FALSE(Download(c.url, Target(), 2s));
    EXPECT_LT(elapsed_, kQuick);
  }
}

// A download is given up at its size limit, announced or counted, and at its total time even
// while bytes keep coming; an answer without a length ends where the host closes.
TEST_F(WebOnWindows, DownloadsEndAtTheirLimits) {
  using platform::DownloadOutcome;
  const std::uint64_t size = DataFileBytes().size();
  const struct {
    const char* name;
    const char* host;
    platform::DownloadLimits limits;
    DownloadOutcome outcome;
    std::uint64_t written;  // with a complete outcome
  } cases[] = {
      {"announced too large", "www.kestrian.example", {5s, 60s, size - 1}, DownloadOutcome::TooLarge, 0},
      {"just within", "www.kestrian.example", {5s, 60s, size}, DownloadOutcome::Complete, size},
      {"without a length, too large", "www.nolength.example", {5s, 60s, size / 4}, DownloadOutcome::TooLarge, 0},
      {"without a length, cut", "www.nolength.example", {5s, 60s, size}, DownloadOutcome::Complete, size / 2},
      {"out of time", "www.trickle.example", {2s, 1s, size}, DownloadOutcome::Failed, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(DownloadWithin(std::string("http://") + c.host + "/definitions/data/FileDefinition.dat", Target(),
                             c.limits),
              c.outcome);
    EXPECT_LT(elapsed_, kQuick);
    if (c.outcome == DownloadOutcome::Complete) {
      EXPECT_EQ(files_.ReadAll(Target()).value().size(), c.written);
    }
  }
}

// No host of ours sends a page of megabytes; such an answer is not read to its end.
TEST_F(WebOnWindows, AnAnswerTooLargeForAPageIsNoAnswer) {
  const WebPage page = Fetch("http://www.huge.example/definitions/version/R.HTM", 20s);
  EXPECT_EQ(page.outcome, Outcome::TimedOut);
  EXPECT_TRUE(page.body.empty());
}

// A download that cannot start, by its address or by its file, leaves the file as it was.
TEST_F(WebOnWindows, ADownloadThatCannotStartLeavesTheFileAlone) {
  ASSERT_EQ(files_.WriteAll(Target(), "kept"), platform::kOk);
  EXPECT_FALSE(Download("ftp://www.kestrian.example/definitions/data/FileDefinition.dat", Target(), 2s));
  EXPECT_FALSE(Download("not an address", Target(), 2s));
  {
    const platform::win32::UniqueFileHandle held(::CreateFileA(
        Target().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(held);
    EXPECT_FALSE(Download("http://www.kestrian.example/definitions/data/FileDefinition.dat",
                          Target(), 2s));
  }
  const auto kept = files_.ReadAll(Target());
  ASSERT_TRUE(kept.ok());
  EXPECT_EQ(kept.value(), "kept");
}

TEST_F(WebOnWindows, ADownloadIntoAMissingFolderFails) {
  EXPECT_FALSE(Download("http://www.kestrian.example/definitions/data/FileDefinition.dat",
                        folder_ + "\\missing\\download.dat", 5s));
}

}  // namespace
}  // namespace kestrian
