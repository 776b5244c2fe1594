#pragma once
// What the Win32 tests of the web need around the test update host: a port where nothing
// listens, and another proxy named in the Internet settings for a while.
#include <winsock2.h>
#include <windows.h>

#include <wininet.h>

#include <optional>
#include <string>

#include "platform/win32/unique_handle.h"

namespace kestrian::testing {

inline constexpr char kInternetSettings[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

// A port of this machine where nothing listens: one the system handed out and took back.
inline int ClosedPort() {
  WSADATA data{};
  if (::WSAStartup(MAKEWORD(2, 2), &data) != 0) return 0;
  int port = 0;
  const SOCKET probe = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int size = sizeof address;
  if (probe != INVALID_SOCKET &&
      ::bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &size) == 0) {
    port = ntohs(address.sin_port);
  }
  if (probe != INVALID_SOCKET) ::closesocket(probe);
  ::WSACleanup();
  return port;
}

// Names another proxy in the Internet settings while it lives; the old one comes back after.
class ProxyServerSetting {
 public:
  explicit ProxyServerSetting(const std::string& server) {
    ::RegOpenKeyExA(HKEY_CURRENT_USER, kInternetSettings, 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                    key_.put());
    char old[256] = {};
    DWORD size = sizeof old - 1;
    if (::RegQueryValueExA(key_.get(), "ProxyServer", nullptr, nullptr,
                           reinterpret_cast<BYTE*>(old), &size) == ERROR_SUCCESS) {
      old_ = old;
    }
    Set(server);
  }
  ~ProxyServerSetting() {
    if (old_) Set(*old_);
  }
  ProxyServerSetting(const ProxyServerSetting&) = delete;
  ProxyServerSetting& operator=(const ProxyServerSetting&) = delete;

 private:
  void Set(const std::string& server) {
    ::RegSetValueExA(key_.get(), "ProxyServer", 0, REG_SZ,
                     reinterpret_cast<const BYTE*>(server.c_str()),
                     static_cast<DWORD>(server.size() + 1));
    // Windows reads the settings once per process until told they changed; Wine reads
    // them at every InternetOpen.
    ::InternetSetOptionA(nullptr, INTERNET_OPTION_SETTINGS_CHANGED, nullptr, 0);
    ::InternetSetOptionA(nullptr, INTERNET_OPTION_REFRESH, nullptr, 0);
  }
  platform::win32::UniqueHkey key_;
  std::optional<std::string> old_;
};

}  // namespace kestrian::testing
