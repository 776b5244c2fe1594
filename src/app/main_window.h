#pragma once
// The main window's Win32 view: one native control per model control, model changes pushed
// to the natives, user input turned into model changes followed by the bound handler.
#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/control_binding.h"
#include "app/tab_page_background.h"
#include "app/win32_host.h"
#include "app/window_timer.h"
#include "ui/frm_main.h"

namespace kestrian::app {

class MainWindow {
 public:
  MainWindow(ui::FrmMain& form, Win32Host& host);
  ~MainWindow();
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  bool Create(HINSTANCE instance, const std::string& title);
  HWND Handle() const { return window_; }

  // The handler of a click on a button, check box, option button or tab strip.
  void OnClick(const ui::Control& control, std::function<void()> handler);
  // The handler of a mouse button going down on a control; it learns whether Shift, and
  // neither Ctrl nor Alt, was held. Bind after Create.
  void OnMouseDown(const ui::Control& control, std::function<void(bool shiftAlone)> handler);
  // The handler of a row's check mark changed by the user.
  void OnItemCheck(const ui::ListView& list, std::function<void(std::size_t)> handler);
  // Run when the window is asked to close while a handler is still working; the window
  // closes as soon as that handler returns.
  void OnCloseWhileBusy(std::function<void()> handler) { closeWhileBusy_ = std::move(handler); }
  // The handler of a message of the program's own (WM_APP and above).
  void OnAppMessage(UINT message, std::function<void(WPARAM, LPARAM)> handler) {
    appMessages_[message] = std::move(handler);
  }
  // The handler of a model timer's tick.
  void OnTick(const ui::Timer& timer, std::function<void()> handler) { ticks_[&timer] = std::move(handler); }
  // Run once just before the window is destroyed, whatever the cause of the close (the end
  // of the Windows session included).
  void OnClosing(std::function<void()> handler) { closing_ = std::move(handler); }
  // Run when the window is minimized (true) or shown normally or maximized (false).
  void OnMinimizedChange(std::function<void(bool)> handler) { minimizedChange_ = std::move(handler); }
  // Attaches the menu bar (the window then owns it) and routes its commands to `dispatch`
  // as clicks are routed; the client area keeps its size.
  void SetMenuCommands(HMENU menuBar, std::function<bool(int)> dispatch);
  // Run as a menu of the bar opens, to enable or gray its items.
  void OnMenuOpening(std::function<void(HMENU)> handler) { menuOpening_ = std::move(handler); }

  // The native window that shows `control`, or null.
  HWND NativeOf(const ui::Control& control) const;

 private:
  class FramePeer;
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK MouseDownProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                        UINT_PTR id, DWORD_PTR data);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void CreateControls();
  HWND CreateNative(ui::Control& control, int id);
  void RefreshAll();
  void Invoke(const std::function<void()>& handler);
  void OnCommand(int id, int code);
  void OnNotify(const NMHDR& header);
  void Close();
  void RunClosing();
  void EndWithSession();
  void OnTimer(UINT_PTR id);
  void AddToolTips();
  HBRUSH PageBackground(HWND control, HDC dc);

  ui::FrmMain& form_;
  Win32Host& host_;
  HWND window_ = nullptr;
  HFONT font_ = nullptr;
  int dpi_ = 96;
  int busy_ = 0;
  bool closePending_ = false;
  bool closed_ = false;
  TabPageBackground tabPage_;
  std::vector<std::unique_ptr<NativeControl>> natives_;
  std::vector<std::unique_ptr<FramePeer>> frames_;
  std::vector<std::unique_ptr<WindowTimer>> timers_;
  std::map<const ui::Timer*, std::function<void()>> ticks_;
  std::map<UINT, std::function<void(WPARAM, LPARAM)>> appMessages_;
  std::map<int, NativeControl*> byId_;
  std::map<const ui::Control*, std::function<void()>> clicks_;
  std::map<const ui::Control*, std::function<void(std::size_t)>> itemChecks_;
  std::map<HWND, std::function<void(bool)>> mouseDowns_;
  std::function<void()> closeWhileBusy_;
  std::function<void()> closing_;
  std::function<void(bool)> minimizedChange_;
  std::function<bool(int)> menuDispatch_;
  std::function<void(HMENU)> menuOpening_;
};

}  // namespace kestrian::app
