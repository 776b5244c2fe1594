#include "platform/win32/win32_web.h"

#include <windows.h>

#include <wininet.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/win32/unique_handle.h"

namespace kestrian::platform::win32 {

namespace {
struct InternetTraits {
  using Handle = HINTERNET;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) { ::InternetCloseHandle(h); }
};
using UniqueInternet = UniqueAny<InternetTraits>;

constexpr DWORD kSliceMs = 25;
constexpr DWORD kBufferBytes = 16 * 1024;
// A page is held in memory; a host that sends more than this is not serving a page of ours.
constexpr std::size_t kMaxPageBytes = 1024 * 1024;
// Every answer comes from the host: nothing is read from or written to the cache, and
// nothing asks the user.
constexpr DWORD kRequestFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                                INTERNET_FLAG_PRAGMA_NOCACHE | INTERNET_FLAG_NO_UI |
                                INTERNET_FLAG_NO_COOKIES;

// The handles of one GET. Opening them sends nothing, so it is done on the calling thread,
// which then owns them and may close them while the worker blocks on the request.
struct Request {
  UniqueInternet session;
  UniqueInternet connection;
  UniqueInternet request;

  void Close() {
    request.reset();
    connection.reset();
    session.reset();
  }
};

// What the worker does and finds. The caller reads the results only once the worker ended.
struct Transfer {
  HINTERNET request = nullptr;         // a copy: the caller may close the handle at any time
  HANDLE file = INVALID_HANDLE_VALUE;  // where the body goes; none: into `body`
  std::atomic<ULONGLONG> lastProgress{::GetTickCount64()};  // when bytes last arrived
  // Set before the caller closes the request: the worker makes no further call on it. A call
  // begun just before the close fails on the closed handle, and no other request of this
  // program can have taken the handle's value by then, since they run one after another.
  std::atomic<bool> cancelled{false};

  std::uint64_t maxBytes = UINT64_MAX;  // of a body written to `file`

  bool answered = false;  // the host's status line and headers arrived
  bool tooLarge = false;  // more than `maxBytes` was announced or arrived
  DWORD error = 0;        // of the call that failed; 0 when the body was read to its end
  DWORD status = 0;
  std::optional<DWORD> contentLength;
  std::uint64_t received = 0;
  std::string body;
};

std::string Part(const char* text, DWORD length) {
  return text == nullptr ? std::string() : std::string(text, length);
}

// The path and query the request names; "/" when the URL has neither.
std::string ObjectName(const URL_COMPONENTSA& parts) {
  std::string object = Part(parts.lpszUrlPath, parts.dwUrlPathLength);
  object += Part(parts.lpszExtraInfo, parts.dwExtraInfoLength);
  return object.empty() ? std::string(1, '/') : object;
}

// WinINet's own time-outs bound every blocking call of the worker by the caller's limit.
// Under Wine closing the request does not end a call that waits on the network; the call
// ends with its time-out, so the worker is still waited for no longer than that.
void SetTimeout(HINTERNET handle, DWORD option, std::int64_t limitMs) {
  DWORD ms = static_cast<DWORD>(std::clamp<std::int64_t>(limitMs, 1, 0x7FFFFFFF));
  ::InternetSetOptionA(handle, option, &ms, sizeof ms);
}

// Opens a GET of an http or https URL; nullopt for any other URL or when WinINet refuses.
std::optional<Request> OpenRequest(std::string_view url, std::int64_t limitMs) {
  const std::string text(url);
  URL_COMPONENTSA parts{};
  parts.dwStructSize = sizeof parts;
  // Non-zero lengths without buffers: the parts are pointed to inside `text`.
  parts.dwHostNameLength = parts.dwUrlPathLength = parts.dwExtraInfoLength = 1;
  if (!::InternetCrackUrlA(text.c_str(), 0, 0, &parts)) return std::nullopt;
  const bool secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
  if (!secure && parts.nScheme != INTERNET_SCHEME_HTTP) return std::nullopt;
  const std::string host = Part(parts.lpszHostName, parts.dwHostNameLength);
  const std::string object = ObjectName(parts);

  Request opened;
  // The system's Internet settings decide between a direct connection and a proxy.
  opened.session = UniqueInternet(
      ::InternetOpenA("Kestrian", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
  if (!opened.session) return std::nullopt;
  SetTimeout(opened.session.get(), INTERNET_OPTION_CONNECT_TIMEOUT, limitMs);
  opened.connection = UniqueInternet(::InternetConnectA(opened.session.get(), host.c_str(),
                                                        parts.nPort, nullptr, nullptr,
                                                        INTERNET_SERVICE_HTTP, 0, 0));
  if (!opened.connection) return std::nullopt;
  const DWORD flags = kRequestFlags | (secure ? INTERNET_FLAG_SECURE : 0);
  opened.request = UniqueInternet(::HttpOpenRequestA(opened.connection.get(), "GET",
                                                     object.c_str(), nullptr, nullptr, nullptr,
                                                     flags, 0));
  if (!opened.request) return std::nullopt;
  for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT,
                       INTERNET_OPTION_RECEIVE_TIMEOUT}) {
    SetTimeout(opened.request.get(), option, limitMs);
  }
  return opened;
}

void Fail(Transfer& transfer) {
  const DWORD error = ::GetLastError();
  transfer.error = error != 0 ? error : ERROR_INTERNET_INTERNAL_ERROR;
}

// False, with the transfer failed, once the caller has given up on it.
bool GoOn(Transfer& transfer) {
  if (!transfer.cancelled) return true;
  transfer.error = ERROR_INTERNET_OPERATION_CANCELLED;
  return false;
}

bool WriteAll(HANDLE file, const char* bytes, DWORD size) {
  while (size > 0) {
    DWORD written = 0;
    if (!::WriteFile(file, bytes, size, &written, nullptr) || written == 0) return false;
    bytes += written;
    size -= written;
  }
  return true;
}

// Reads the body in pieces of what has arrived, so that every byte counts as progress the
// moment it arrives.
void ReadBody(Transfer& transfer) {
  char buffer[kBufferBytes];
  for (;;) {
    DWORD available = 0;
    if (!GoOn(transfer)) return;
    if (!::InternetQueryDataAvailable(transfer.request, &available, 0, 0)) return Fail(transfer);
    if (available == 0) return;  // the end of the body
    DWORD read = 0;
    if (!GoOn(transfer)) return;
    if (!::InternetReadFile(transfer.request, buffer, std::min(available, kBufferBytes), &read)) {
      return Fail(transfer);
    }
    if (read == 0) return;
    transfer.lastProgress = ::GetTickCount64();
    transfer.received += read;
    if (transfer.file == INVALID_HANDLE_VALUE) {
      if (transfer.body.size() + read > kMaxPageBytes) {
        transfer.error = ERROR_INSUFFICIENT_BUFFER;
        return;
      }
      transfer.body.append(buffer, read);
    } else if (transfer.received > transfer.maxBytes) {
      transfer.tooLarge = true;
      transfer.error = ERROR_FILE_TOO_LARGE;
      return;
    } else if (!WriteAll(transfer.file, buffer, read)) {
      return Fail(transfer);
    }
  }
}

void Run(Transfer& transfer) {
  if (!::HttpSendRequestA(transfer.request, nullptr, 0, nullptr, 0)) return Fail(transfer);
  transfer.lastProgress = ::GetTickCount64();
  DWORD value = 0;
  DWORD size = sizeof value;
  if (!GoOn(transfer)) return;
  if (!::HttpQueryInfoA(transfer.request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &value,
                        &size, nullptr)) {
    return Fail(transfer);
  }
  transfer.answered = true;
  transfer.status = value;
  size = sizeof value;
  if (!GoOn(transfer)) return;
  if (::HttpQueryInfoA(transfer.request, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER,
                       &value, &size, nullptr)) {
    transfer.contentLength = value;
  }
  // A file receives only the body of a found file, and none that is announced too large.
  if (transfer.file != INVALID_HANDLE_VALUE && transfer.status != HTTP_STATUS_OK) return;
  if (transfer.file != INVALID_HANDLE_VALUE && transfer.contentLength && *transfer.contentLength > transfer.maxBytes) {
    transfer.tooLarge = true;
    transfer.error = ERROR_FILE_TOO_LARGE;
    return;
  }
  ReadBody(transfer);
}

DWORD WINAPI Work(void* parameter) {
  Run(*static_cast<Transfer*>(parameter));
  return 0;
}

// Runs the transfer on a worker thread while this thread calls `whileWaiting` every slice.
// Once `expired` says so, closing the request ends the worker's blocking call; the worker is
// waited for in any case, since it uses `transfer`. False when the transfer was cut short
// that way or no worker could be started.
template <class Expired>
bool RunWorker(Transfer& transfer, Request& request, Expired expired,
               const WaitCallback& whileWaiting) {
  transfer.request = request.request.get();
  UniqueHandle thread(::CreateThread(nullptr, 0, &Work, &transfer, 0, nullptr));
  if (!thread) return false;
  bool cancelled = false;
  while (::WaitForSingleObject(thread.get(), kSliceMs) != WAIT_OBJECT_0) {
    if (whileWaiting) whileWaiting();
    if (!cancelled && expired()) {
      transfer.cancelled = true;
      request.Close();
      cancelled = true;
    }
  }
  return !cancelled;
}

// Failures before any answer that mean no connection could be made at all: to the host, or
// to the proxy that should carry the request. A connection attempt that runs into the
// time-out is not among them: the caller's limit, not the network, ended it.
bool IsUnreachable(DWORD error) {
  switch (error) {
    case ERROR_INTERNET_CANNOT_CONNECT:
    case ERROR_INTERNET_NAME_NOT_RESOLVED:
    case ERROR_INTERNET_SERVER_UNREACHABLE:
    case ERROR_INTERNET_PROXY_SERVER_UNREACHABLE:
    case ERROR_INTERNET_DISCONNECTED:
    case ERROR_INTERNET_INVALID_URL:
    case ERROR_INTERNET_UNRECOGNIZED_SCHEME:
      return true;
    default:
      return false;
  }
}

bool ReceivedWhole(const Transfer& transfer) {
  return transfer.answered && transfer.error == 0 &&
         (!transfer.contentLength || transfer.received == *transfer.contentLength);
}

std::int64_t Milliseconds(std::chrono::milliseconds duration) {
  return std::max<std::int64_t>(duration.count(), 0);
}
}  // namespace

WebPage Win32Web::FetchPage(std::string_view url, std::chrono::milliseconds timeout,
                            const WaitCallback& whileWaiting) {
  WebPage page;
  const std::int64_t limitMs = Milliseconds(timeout);
  std::optional<Request> request = OpenRequest(url, limitMs);
  if (!request) return page;  // Unreachable
  Transfer transfer;
  const ULONGLONG deadline = ::GetTickCount64() + static_cast<ULONGLONG>(limitMs);
  const bool ended = RunWorker(transfer, *request, [&] { return ::GetTickCount64() >= deadline; },
                               whileWaiting);
  if (ended && !transfer.answered && IsUnreachable(transfer.error)) return page;
  // Connected, but cut short by the deadline, a lost connection or a missing part.
  if (!ended || !ReceivedWhole(transfer)) {
    page.outcome = WebPage::Outcome::TimedOut;
    return page;
  }
  page.outcome = WebPage::Outcome::Answered;
  page.statusCode = static_cast<int>(transfer.status);
  page.body = std::move(transfer.body);
  return page;
}

DownloadOutcome Win32Web::DownloadToFile(std::string_view url, std::string_view path,
                                         const DownloadLimits& limits, const WaitCallback& whileWaiting) {
  const std::int64_t stallMs = Milliseconds(limits.stall);
  // The file is replaced only once there is a request to fill it.
  std::optional<Request> request = OpenRequest(url, stallMs);
  if (!request) return DownloadOutcome::Failed;
  const std::string name(path);
  UniqueFileHandle file(::CreateFileA(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return DownloadOutcome::Failed;
  Transfer transfer;
  transfer.file = file.get();
  transfer.maxBytes = limits.maxBytes;
  const ULONGLONG deadline = ::GetTickCount64() + static_cast<ULONGLONG>(Milliseconds(limits.total));
  // A stall is measured from the last bytes that arrived, not from the start.
  const auto givenUp = [&] {
    const ULONGLONG last = transfer.lastProgress.load();  // read first: it never passes `now`
    const ULONGLONG now = ::GetTickCount64();
    return now - last > static_cast<ULONGLONG>(stallMs) || now >= deadline;
  };
  const bool ended = RunWorker(transfer, *request, givenUp, whileWaiting);
  if (transfer.tooLarge) return DownloadOutcome::TooLarge;
  const bool complete = ended && transfer.status == HTTP_STATUS_OK && ReceivedWhole(transfer) &&
                        ::FlushFileBuffers(file.get());
  return complete ? DownloadOutcome::Complete : DownloadOutcome::Failed;
}

}  // namespace kestrian::platform::win32
