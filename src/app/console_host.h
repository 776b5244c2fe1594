#pragma once
// The host of the console scanner: no window and no message loop; a message box is written
// to standard error and answered with its default button.
#include <cstdio>

#include "ui/host.h"

namespace kestrian::app {

class ConsoleHost final : public ui::Host {
 public:
  explicit ConsoleHost(std::FILE* messages) : messages_(messages) {}

  void DoEvents() override {}
  ui::MessageAnswer ShowMessage(std::string_view text, std::string_view title,
                                ui::MessageButtons buttons, ui::MessageIcon icon) override;
  void SuspendMainWindowDrawing(bool) override {}
  void RestoreDefaultPointer() override {}

 private:
  std::FILE* messages_;
};

}  // namespace kestrian::app
