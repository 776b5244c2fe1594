#pragma once
// The real machine: every platform service implemented with Win32 calls.
#include "platform/machine.h"
#include "platform/win32/cng_crypto.h"
#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_environment.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_processes.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_system_restore.h"
#include "platform/win32/win32_web.h"

namespace kestrian::platform::win32 {

class Win32Machine {
 public:
  Win32Machine() : machine_{registry_, files_, environment_, clock_, processes_, desktop_, systemRestore_, libraries_, web_, crypto_} {}
  Win32Machine(const Win32Machine&) = delete;
  Win32Machine& operator=(const Win32Machine&) = delete;
  Machine& Get() { return machine_; }

 private:
  Win32Registry registry_;
  Win32FileSystem files_;
  Win32Environment environment_;
  Win32Clock clock_;
  Win32Processes processes_;
  Win32Desktop desktop_;
  Win32SystemRestore systemRestore_;
  Win32Libraries libraries_;
  Win32Web web_;
  CngCrypto crypto_;
  Machine machine_;
};

}  // namespace kestrian::platform::win32
