#pragma once
// The host of the console scanner: no window and no message loop; a message box is written
// to standard error (unless quiet) and answered with its default button.
#include <cstdio>

#include "ui/host.h"

namespace kestrian::app {

class ConsoleHost final : public ui::Host {
 public:
  ConsoleHost(std::FILE* messages, bool quiet) : messages_(messages), quiet_(quiet) {}

  void DoEvents() override {}
  ui::MessageAnswer ShowMessage(std::string_view text, std::string_view title,
                                ui::MessageButtons buttons, ui::MessageIcon icon) override;
  void SuspendMainWindowDrawing(bool) override {}
  void RestoreDefaultPointer() override {}
  // An error the user must see, quiet or not, written as a message box is.
  void ShowError(std::string_view text, std::string_view title);

 private:
  std::FILE* messages_;
  bool quiet_;
};

}  // namespace kestrian::app
