#include "support/scripted_host.h"

namespace kestrian::testing {

void ScriptedHost::DoEvents() {
  ++yields_;
  const auto [first, last] = actions_.equal_range(yields_);
  std::vector<std::function<void()>> due;
  for (auto it = first; it != last; ++it) due.push_back(it->second);
  for (auto& action : due) action();
}

ui::MessageAnswer ScriptedHost::ShowMessage(std::string_view text, std::string_view title,
                                            ui::MessageButtons buttons, ui::MessageIcon icon) {
  messages_.push_back({std::string(text), std::string(title), buttons, icon});
  if (whileMessageOpen) whileMessageOpen(messages_.back());
  if (!answers_.empty()) {
    const auto answer = answers_.front();
    answers_.pop_front();
    return answer;
  }
  switch (buttons) {
    case ui::MessageButtons::YesNo:
    case ui::MessageButtons::YesNoCancel:
      return ui::MessageAnswer::Yes;
    default:
      return ui::MessageAnswer::Ok;
  }
}

void ScriptedHost::SuspendMainWindowDrawing(bool suspend) {
  ++suspendCalls;
  suspendDepth_ += suspend ? 1 : -1;
}

void ScriptedHost::AtYield(int yield, std::function<void()> action) {
  actions_.emplace(yield, std::move(action));
}

}  // namespace kestrian::testing
