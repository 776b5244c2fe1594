#pragma once
// A host for the behaviour's tests: it records message boxes and answers them from a script,
// counts yields and runs scripted clicks at chosen yields, and records drawing locks.
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "ui/host.h"

namespace kestrian::testing {

struct ShownMessage {
  std::string text;
  std::string title;
  ui::MessageButtons buttons;
  ui::MessageIcon icon;
};

class ScriptedHost final : public ui::Host {
 public:
  void DoEvents() override {
    ++yields_;
    const auto [first, last] = actions_.equal_range(yields_);
    std::vector<std::function<void()>> due;
    for (auto it = first; it != last; ++it) due.push_back(it->second);
    for (auto& action : due) action();
  }
  ui::MessageAnswer ShowMessage(std::string_view text, std::string_view title,
                                ui::MessageButtons buttons, ui::MessageIcon icon) override {
    messages_.push_back({std::string(text), std::string(title), buttons, icon});
    if (whileMessageOpen) whileMessageOpen(messages_.back());
    if (!answers_.empty()) {
      const auto answer = answers_.front();
      answers_.pop_front();
      return answer;
    }
    const bool asks = buttons == ui::MessageButtons::YesNo || buttons == ui::MessageButtons::YesNoCancel;
    return asks ? ui::MessageAnswer::Yes : ui::MessageAnswer::Ok;
  }
  void SuspendMainWindowDrawing(bool suspend) override {
    ++suspendCalls;
    suspendDepth_ += suspend ? 1 : -1;
  }
  void RestoreDefaultPointer() override { ++pointerResets; }

  // Runs `action` inside yield number `yield` (counted from 1).
  void AtYield(int yield, std::function<void()> action) { actions_.emplace(yield, std::move(action)); }
  // The answer to the next message box; without one, a box gets its first button.
  void Answer(ui::MessageAnswer answer) { answers_.push_back(answer); }
  // Runs while a message box is open (before it is answered).
  std::function<void(const ShownMessage&)> whileMessageOpen;

  const std::vector<ShownMessage>& Messages() const { return messages_; }
  int Yields() const { return yields_; }
  bool DrawingSuspended() const { return suspendDepth_ > 0; }
  int suspendCalls = 0;
  int pointerResets = 0;

 private:
  int yields_ = 0;
  int suspendDepth_ = 0;
  std::multimap<int, std::function<void()>> actions_;
  std::deque<ui::MessageAnswer> answers_;
  std::vector<ShownMessage> messages_;
};

}  // namespace kestrian::testing
