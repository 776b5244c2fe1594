#pragma once
#include "platform/desktop.h"

namespace kestrian::platform::win32 {

class Win32Desktop final : public Desktop {
 public:
  Status RunCommand(std::string_view commandLine, int showStyle) override;
  Status OpenDocument(std::string_view target) override;
};

}  // namespace kestrian::platform::win32
