#pragma once
// The seam to the message loop and the desktop. The Win32 program implements it with real
// calls; tests use a scripted host that answers message boxes and runs clicks at yields.
#include <string_view>

namespace kestrian::ui {

enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MessageIcon { None, Information, Question, Exclamation, Critical };
enum class MessageAnswer { Ok, Cancel, Yes, No };

class Host {
 public:
  virtual ~Host() = default;

  // Lets the message loop run: pending clicks and timers are handled before it returns.
  // Long work calls it after every item; a host may skip passes to keep its cost down as
  // long as input is still handled within a tenth of a second.
  virtual void DoEvents() = 0;
  // A modal message box; returns the button the user pressed.
  virtual MessageAnswer ShowMessage(std::string_view text, std::string_view title,
                                    MessageButtons buttons, MessageIcon icon) = 0;
  // Suspends (true) or resumes (false) drawing of the main window.
  virtual void SuspendMainWindowDrawing(bool suspend) = 0;
  // Puts the mouse pointer back to the default arrow.
  virtual void RestoreDefaultPointer() = 0;
};

}  // namespace kestrian::ui
