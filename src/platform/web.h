#pragma once
// Reading pages and files from web hosts. The calls block until they end, but call
// `whileWaiting` often (at least every 50 ms) so the caller's message loop keeps running.
#include <chrono>
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

class Web {
 public:
  virtual ~Web() = default;

  // GET `url`, the whole answer within `timeout`.
  virtual WebPage FetchPage(std::string_view url, std::chrono::milliseconds timeout,
                            const WaitCallback& whileWaiting) = 0;

  // GET `url` into the file `path`, replacing it. True only when the host answered 200 and
  // every byte it announced arrived and was written. A transfer that stalls for `stallTimeout`
  // fails. On failure the file at `path` may hold a part of the answer: the caller owns it.
  virtual bool DownloadToFile(std::string_view url, std::string_view path,
                              std::chrono::milliseconds stallTimeout,
                              const WaitCallback& whileWaiting) = 0;
};

}  // namespace kestrian::platform
