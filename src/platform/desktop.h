#pragma once
// Starting other programs on the user's desktop.
#include <string_view>

#include "platform/status.h"

namespace kestrian::platform {

namespace show_styles {
inline constexpr int kHidden = 0;
inline constexpr int kNormal = 1;
inline constexpr int kMinimized = 2;  // minimized with focus
}  // namespace show_styles

class Desktop {
 public:
  virtual ~Desktop() = default;

  // Starts `commandLine` as it stands (program and arguments) without waiting for it.
  virtual Status RunCommand(std::string_view commandLine, int showStyle) = 0;
  // Opens a document or a web address with the shell's "open" verb (its default program).
  virtual Status OpenDocument(std::string_view target) = 0;
};

}  // namespace kestrian::platform
