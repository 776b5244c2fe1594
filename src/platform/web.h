#pragma once
// Reading pages and files from web hosts. The calls block until they end, but call
// `whileWaiting` often (at least every 50 ms) so the caller's message loop keeps running.
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace kestrian::platform {

struct WebPage {
  enum class Outcome {
    Answered,     // the host answered; `statusCode` and `body` say how
    Unreachable,  // no connection could be made (no network, unknown host, refused)
    TimedOut,     // connected, but no complete answer within the time allowed (or one
                  // too large to be a page: over a megabyte)
  };
  Outcome outcome = Outcome::Unreachable;
  int statusCode = 0;  // the HTTP status of an answer, 200 for a page that was found
  std::string body;    // the bytes of the answer as the host sent them
};

using WaitCallback = std::function<void()>;

// What a download may take before it is given up.
struct DownloadLimits {
  std::chrono::milliseconds stall{30000};   // with no byte arriving
  std::chrono::milliseconds total{600000};  // from the request to the last byte
  std::uint64_t maxBytes = UINT64_MAX;      // announced or received
};

enum class DownloadOutcome {
  Complete,  // the host answered 200 and every byte it announced arrived and was written
  Failed,    // no connection, another status, a stall, the time was up, a byte missing
  TooLarge,  // the host announced or sent more than the limit
};

class Web {
 public:
  virtual ~Web() = default;

  // GET `url`, the whole answer within `timeout`.
  virtual WebPage FetchPage(std::string_view url, std::chrono::milliseconds timeout,
                            const WaitCallback& whileWaiting) = 0;

  // GET `url` into the file `path`, replacing it, within `limits`. On any outcome but
  // Complete the file at `path` may hold a part of the answer: the caller owns it. An answer
  // without a length is complete when the host closes the connection.
  virtual DownloadOutcome DownloadToFile(std::string_view url, std::string_view path,
                                         const DownloadLimits& limits,
                                         const WaitCallback& whileWaiting) = 0;
};

}  // namespace kestrian::platform
