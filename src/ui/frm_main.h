#pragma once
// The main window as the behaviour sees it: every control the behaviour names, with the
// window's design-time captions, layout (twips), timer intervals and states.
#include <array>
#include <functional>
#include <vector>

#include "ui/controls.h"
#include "ui/list_view.h"
#include "ui/scheduler_controls.h"

namespace kestrian::ui {

class FrmMain {
 public:
  FrmMain();
  FrmMain(const FrmMain&) = delete;
  FrmMain& operator=(const FrmMain&) = delete;

  bool Visible() const { return visible_; }
  void SetVisible(bool visible) { visible_ = visible; }

  // Every control, for a view that mirrors them all.
  const std::vector<Control*>& AllControls() const { return all_; }

  static constexpr int kWidth = 10560;  // client area, twips
  static constexpr int kHeight = 7440;

  // Navigation bar.
  Button cmdStatus{"cmdStatus"};
  Button cmdScan{"cmdScan"};
  Button cmdResults{"cmdResults"};
  Button cmdSettings{"cmdSettings"};
  Button cmdUpdate{"cmdUpdate"};
  Button cmdLog{"cmdLog"};
  Button Command5{"Command5"};
  Button cmdWebsite{"cmdWebsite"};  // "Visit " and the vendor's web address
  Label lblWebText{"lblWebText"};   // what the update host's pages say about themselves

  // Pages.
  Frame frmStatus{"frmStatus"};
  Frame frmScan{"frmScan"};
  Frame frmResults{"frmResults"};
  Frame frmOptions{"frmOptions"};

  // Status page: a welcome line, then a caption label beside each value.
  Label Label22{"Label22"};
  std::array<Label, 6> lblStatusCaption{Label{"lblStatusCaption(0)"}, Label{"lblStatusCaption(1)"},
                                        Label{"lblStatusCaption(2)"}, Label{"lblStatusCaption(3)"},
                                        Label{"lblStatusCaption(4)"}, Label{"lblStatusCaption(5)"}};
  Label lblVersion{"lblVersion"};
  Label lblDefCount{"lblDefCount"};
  Label lblDefVersion{"lblDefVersion"};
  Label lblDefRemoved{"lblDefRemoved"};
  LinkLabel lblViewLogFile{"lblViewLogFile"};  // "Show Report", as cmdLog
  Label lblLastScan{"lblLastScan"};
  Label lblLastFullScan{"lblLastFullScan"};

  // Scan page.
  Label lblPercentageCompleted{"lblPercentageCompleted"};
  Label lblStatus{"lblStatus"};
  Label lblMemoryCaption{"lblMemoryCaption"};
  Label lblMemoryInspected{"lblMemoryInspected"};
  Label lblRegistryCaption{"lblRegistryCaption"};
  Label lblRegistryInspected{"lblRegistryInspected"};
  Label lblFilesCaption{"lblFilesCaption"};
  Label lblFilesFolderInspected{"lblFilesFolderInspected"};
  Label lblFoundCaption{"lblFoundCaption"};
  Label lblSoftwareFound{"lblSoftwareFound"};
  Label lblTracesCaption{"lblTracesCaption"};
  Label lbltracesFound{"lbltracesFound"};
  Label lblTotalNoOfRunningItems{"lblTotalNoOfRunningItems"};
  Shape shpCircle{"shpCircle"};
  ProgressBar pb1{"pb1"};
  ProgressBar pb2{"pb2"};
  ProgressBar pbgMain{"pbgMain"};
  ListView lvwSpywareFound{"lvwSpywareFound", {"Found"}};
  Button cmdScanNow{"cmdScanNow"};
  Button cmdPause{"cmdPause"};
  Button cmdStop{"cmdStop"};
  Button cmdRemove{"cmdRemove"};

  // Results page.
  ListView lvwPicRemoveListOfSpywareFoundAndToBeRemoved{
      "lvwPicRemoveListOfSpywareFoundAndToBeRemoved", {"Spyware/Adware Found", "Location"}, true};
  Label lblRemovePicSoftwareFound{"lblRemovePicSoftwareFound"};
  Button cmdSelectAll{"cmdSelectAll"};
  Button cmdExclude{"cmdExclude"};
  Button Command4{"Command4"};  // Delete
  ProgressBar pgbDeleteSpywaresFound{"pgbDeleteSpywaresFound"};
  Label lblDeletingPercentageCompleted{"lblDeletingPercentageCompleted"};
  Label lblDeletingCaption{"lblDeletingCaption"};

  // Hidden data lists.
  Frame fraHiddenLists{"fraHiddenLists"};
  ListView lvwRegistryToBeDeleted{
      "lvwRegistryToBeDeleted", {"Main Key", "KeyValue", "Value", "SpywareName"}, true};
  ListView lvwFilesToBeDeleted{"lvwFilesToBeDeleted", {}, true};
  ListView lvwFileNotFounds{"lvwFileNotFounds"};
  ListView lvwCookiesToDelete{"lvwCookiesToDelete", {"Cookie Name", "CookieLocation"}, true};
  ListView lvwBlockedCookies{"lvwBlockedCookies"};

  // Options page.
  TabStrip TabStrip1{"TabStrip1",
                     {"Scan Options", "Proactive System Protection", "Scheduled Scans",
                      "Automatic Live Update"}};
  std::array<Frame, 4> frmView{Frame{"frmView(0)"}, Frame{"frmView(1)"}, Frame{"frmView(2)"},
                               Frame{"frmView(3)"}};
  OptionButton optScanAllSelectedHardDrive{"optScanAllSelectedHardDrive"};
  OptionButton optScanOnlyKnownSoftwares{"optScanOnlyKnownSoftwares"};
  ListView lvwHardDrives{"lvwHardDrives", {"Drive"}, true};
  CheckBox chkMakeLog{"chkMakeLog"};
  CheckBox chkSweepMemory{"chkSweepMemory"};
  CheckBox chkScanRegistry{"chkScanRegistry"};
  CheckBox chkScanCookies{"chkScanCookies"};
  Button Command1{"Command1"};  // "Scan Now", forwards to cmdScan

  // Options page, "Proactive System Protection" (frmView(1)) and "Automatic Live Update"
  // (frmView(3)). Every box and option starts clear, so the page's load sets what it reads.
  Label lblHomePageProtection{"lblHomePageProtection"};
  CheckBox chkHomePage{"chkHomePage"};
  OptionButton optIEHomePageSheildOn{"optIEHomePageSheildOn"};
  OptionButton optIEHomePageSheildOff{"optIEHomePageSheildOff"};
  OptionButton optAlwaysnotifybeforerestoring{"optAlwaysnotifybeforerestoring"};
  OptionButton optRestoredefaultwithoutnotification{"optRestoredefaultwithoutnotification"};
  Label lblAutoProtect{"lblAutoProtect"};
  CheckBox chkAutoProtect{"chkAutoProtect"};
  OptionButton optMemorySheildOn{"optMemorySheildOn"};
  OptionButton optMemorySheildOff{"optMemorySheildOff"};
  CheckBox chkRunAtStartup{"chkRunAtStartup"};
  CheckBox chkAutomaticUpdate{"chkAutomaticUpdate"};
  Label lblLastUpdate{"lblLastUpdate"};
  // Also the mark of a check the user started: disabled while it runs.
  Button cmdLiveUpdate{"cmdLiveUpdate"};

  // Options page, "Scheduled Scans" (frmView(2)). Scheduling starts off: the list and the
  // pickers are disabled, and "Apply" waits for a change.
  CheckBox chkAutomaticScanYesOrNo{"chkAutomaticScanYesOrNo"};
  Label lblRunOn{"lblRunOn"};
  ComboBox cmbDays{"cmbDays",
                   {"Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday",
                    "Daily", "Date & Time", "Never"}};
  Label lblScheduleDate{"lblScheduleDate"};
  DateTimePicker dtpScheduleDate{"dtpScheduleDate", DateTimePicker::Format::ShortDate};
  Label lblScheduleTime{"lblScheduleTime"};
  DateTimePicker dtpScheduleTime{"dtpScheduleTime", DateTimePicker::Format::Time};
  CheckBox chkAutoDel{"chkAutoDel"};
  Button cmdDefaultSetting{"cmdDefaultSetting"};  // "Reset"
  Button CmdProceed{"CmdProceed"};                // "Apply"

  // Timers, with their design-time intervals and states.
  Timer tmrScroll{"tmrScroll", 200, true};
  Timer tmrTimeOut{"tmrTimeOut", 30000, true};
  Timer tmrCheckHomePage{"tmrCheckHomePage", 5000, true};
  Timer tmrMemoryInspected{"tmrMemoryInspected", 10000, true};
  Timer tmrScheduler{"tmrScheduler", 10, true};
  Timer timUpdate{"timUpdate", 1000, false};
  Timer tmrCheckSignature{"tmrCheckSignature", 60000, true};
  Timer tmrTime{"tmrTime", 1000, true};

 private:
  void Add(Control& control, Control* container, Bounds bounds, std::string_view caption = {});
  void LayOutNavigation();
  void LayOutStatusPage();
  void LayOutScanPage();
  void LayOutResultsPage();
  void LayOutOptionsPage();
  void LayOutProtectionOptions();
  void LayOutUpdateOptions();
  void LayOutScheduledScans();
  void ListTimers();

  bool visible_ = false;
  std::vector<Control*> all_;
};

// The "Delete Failed" window: the files a removal could not delete. Shown without being
// modal; its view is told when it is shown or hidden and reads the list then.
class FrmDelete {
 public:
  bool Visible() const { return visible_; }
  void SetVisible(bool visible) {
    visible_ = visible;
    if (peer_ != nullptr) peer_->OnModelChanged();
  }
  void AttachPeer(ControlPeer* peer) { peer_ = peer; }
  // Each item still on the machine and why it stayed.
  ListView lstProblem{"lstProblem", {"Location", "Reason"}};

 private:
  bool visible_ = false;
  ControlPeer* peer_ = nullptr;
};

}  // namespace kestrian::ui
