#pragma once
// The window class of the program's main window, by which the installer finds a running
// copy to close it.
namespace kestrian::app {

inline constexpr char kMainWindowClass[] = "KestrianMainWindow";

}  // namespace kestrian::app
