#pragma once
// "Restore from Quarantine...": the quarantine index as a list (time, threat, kind, original
// location, state) that sorts by a click on a column's header, takes several rows at once
// and is used with the keyboard (Tab, arrows, Ctrl+A, Enter restores, Escape closes), with
// Restore, Delete and Close. A modeless dialog owned by the main window; the work is the
// removal layer's QuarantineRestore.
#include <windows.h>

#include <cstdint>
#include <vector>

#include "app/dialog_support.h"
#include "app/dialog_window.h"
#include "app/win32_host.h"
#include "removal/restore.h"

namespace kestrian::app {

inline constexpr char kRestoreWindowTitle[] = "Restore from Quarantine";

// The records in the order of `column` (0 time, 1 threat, 2 kind, 3 location, 4 state); ties
// keep the index's order.
void SortRecords(std::vector<removal::QuarantineRecord>& records, int column, bool ascending);

class RestoreWindow {
 public:
  RestoreWindow(Win32Host& host, HWND owner, removal::RestoreContext context);
  RestoreWindow(const RestoreWindow&) = delete;
  RestoreWindow& operator=(const RestoreWindow&) = delete;

  // Reads the index again and shows the window (or brings it forward).
  void Show();
  HWND Handle() const { return window_.Get(); }

 private:
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void OnInitDialog(HWND window);
  INT_PTR OnNotify(const NMHDR& header);
  void CreateControls();
  void Layout();
  void Reload();
  void FillList();
  std::vector<std::uint64_t> SelectedIds() const;
  void RestoreSelected();
  void DeleteSelected();
  void Report(const std::vector<std::string>& failures, const char* done, const char* notDone);
  HFONT Font() const;

  Win32Host& host_;
  HWND owner_;
  removal::RestoreContext context_;
  removal::QuarantineRestore restore_;
  std::vector<removal::QuarantineRecord> shown_;
  int sortColumn_ = 0;
  bool ascending_ = false;  // the newest first
  int dpi_ = 96;
  UniqueFont font_;
  // Last: destroyed before the font its controls use.
  DialogWindow window_{host_, this, &RestoreWindow::OnInitDialog, &RestoreWindow::OnMessage};
};

}  // namespace kestrian::app
