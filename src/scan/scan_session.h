#pragma once
// One run of the scan page's Start command: resets the counters and lists, runs the phases
// (cookies, running processes, registry, known files), honours Pause and Stop, and stores
// the scan dates.
#include <functional>

#include "scan/scan_context.h"
#include "scan/scanners.h"

namespace kestrian::scan {

// Work that follows a session and belongs to other parts of the program.
struct SessionFollowUps {
  std::function<void()> writeScanLog;    // when "Make a scan log" is checked
  std::function<void()> deleteChecked;   // the results page's Delete command
};

class ScanSession {
 public:
  ScanSession(ScanContext& context, ScanPhases phases, SessionFollowUps followUps = {})
      : context_(context), phases_(phases), followUps_(std::move(followUps)) {}

  // cmdScanNow click.
  void Start();
  // cmdPause click: the scan waits while the message is open.
  void PauseFromButton();
  // cmdStop click.
  void StopFromButton();
  // cmdSelectAll click: checks every unchecked result row and runs its check handler.
  void SelectAll();

  void RunScanPhases();

 private:
  void PrepareWindow();
  void ResetCountersAndLists();
  void StoreScanDates();
  void ShowOutcome();
  void EnableCommands();
  void SetPhaseCaption(const char* caption, const char* prefix);
  // Each is true when its phase ran (was selected).
  bool RunCookiePhase();
  bool RunProcessPhase(bool cookiesRan);
  bool RunRegistryPhase();
  void RunFilePhase();
  bool PhaseEnabledAsNumber(const core::settings::Key& key);
  bool PhaseEnabledAsBoolean(const core::settings::Key& key);
  void MarkCaption(const ui::Label& caption);

  ScanContext& context_;
  ScanPhases phases_;
  SessionFollowUps followUps_;
};

// Removes every checked row and keeps the order of the others.
void RemoveCheckedRows(ui::ListView& list);

}  // namespace kestrian::scan
