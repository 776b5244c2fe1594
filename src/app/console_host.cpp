#include "app/console_host.h"

#include <string>

namespace kestrian::app {

void ConsoleHost::ShowError(std::string_view text, std::string_view title) {
  const std::string line = std::string(title) + ": " + std::string(text) + "\n";
  std::fwrite(line.data(), 1, line.size(), messages_);
  std::fflush(messages_);
}

ui::MessageAnswer ConsoleHost::ShowMessage(std::string_view text, std::string_view title,
                                           ui::MessageButtons buttons, ui::MessageIcon) {
  if (!quiet_) ShowError(text, title);
  // The first button is the default one.
  switch (buttons) {
    case ui::MessageButtons::YesNo:
    case ui::MessageButtons::YesNoCancel:
      return ui::MessageAnswer::Yes;
    case ui::MessageButtons::Ok:
    case ui::MessageButtons::OkCancel:
      break;
  }
  return ui::MessageAnswer::Ok;
}

}  // namespace kestrian::app
