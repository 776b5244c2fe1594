#pragma once
#include "platform/web.h"

namespace kestrian::platform::win32 {

// WinINet with the system's Internet settings (their proxy included), never from its cache.
// The blocking calls run on a worker thread; the calling thread waits in short slices and
// calls `whileWaiting` between them. At the caller's limit it closes the request, which ends
// the worker's blocking call on Windows; under Wine the call ends with WinINet's own time-out,
// set to the same limit. The worker has always ended before a call returns.
class Win32Web final : public Web {
 public:
  WebPage FetchPage(std::string_view url, std::chrono::milliseconds timeout,
                    const WaitCallback& whileWaiting) override;
  DownloadOutcome DownloadToFile(std::string_view url, std::string_view path, const DownloadLimits& limits,
                                 const WaitCallback& whileWaiting) override;
};

}  // namespace kestrian::platform::win32
