#include "ui/frm_main.h"

#include <iterator>
#include <utility>

namespace kestrian::ui {

namespace {
// Wide enough for the web address on its button and for the four option tabs side by side.
constexpr int kNavigationWidth = 2160;
constexpr int kPageLeft = 2400;
constexpr int kPageTop = 120;
constexpr int kPageWidth = 8040;
constexpr int kPageHeight = 7200;
constexpr int kContentWidth = kPageWidth - 480;  // inside a page's margins
constexpr int kContentRight = 240 + kContentWidth;
}  // namespace

FrmMain::FrmMain() {
  LayOutNavigation();
  LayOutStatusPage();
  LayOutScanPage();
  LayOutResultsPage();
  LayOutOptionsPage();
  LayOutProtectionOptions();
  LayOutUpdateOptions();
  LayOutScheduledScans();
  ListTimers();
}

void FrmMain::Add(Control& control, Control* container, Bounds bounds, std::string_view caption) {
  LayOut(control, bounds, caption, container);
  all_.push_back(&control);
}

void FrmMain::LayOutNavigation() {
  struct Entry {
    Button* button;
    const char* caption;
  };
  const Entry entries[] = {{&cmdStatus, "S&tatus"},         {&cmdScan, "Scan &Now"},
                           {&cmdResults, "&Results/Removal"}, {&cmdSettings, "Sett&ings"},
                           {&cmdUpdate, "&Live Update"},      {&cmdLog, "View &Log"},
                           {&Command5, "Send to Tr&ay"}};
  int top = 240;
  for (const Entry& entry : entries) {
    Add(*entry.button, nullptr, {120, top, kNavigationWidth, 480}, entry.caption);
    top += 600;
  }
  Add(cmdWebsite, nullptr, {120, top + 240, kNavigationWidth, 720});
  Add(lblWebText, nullptr, {120, 6480, kNavigationWidth, 720});
}

void FrmMain::LayOutStatusPage() {
  Add(frmStatus, nullptr, {kPageLeft, kPageTop, kPageWidth, kPageHeight}, "Status");
  Add(Label22, &frmStatus, {240, 120, kContentWidth, 300});
  const std::pair<Label*, const char*> rows[] = {
      {&lblVersion, "Program version:"},
      {&lblDefCount, "Threats covered:"},
      {&lblDefVersion, "Definition version:"},
      {&lblDefRemoved, "Items removed so far:"},
      {&lblLastScan, "Last scan:"},
      {&lblLastFullScan, "Last complete system scan:"}};
  int top = 480;
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    Add(lblStatusCaption[i], &frmStatus, {240, top, 3240, 300}, rows[i].second);
    Add(*rows[i].first, &frmStatus, {3600, top, kContentRight - 3600, 300});
    top += 420;
  }
  Add(lblViewLogFile, &frmStatus, {240, top + 240, 3240, 300}, "Show Report");
}

void FrmMain::LayOutScanPage() {
  Add(frmScan, nullptr, {kPageLeft, kPageTop, kPageWidth, kPageHeight}, "Scan");
  Add(lblPercentageCompleted, &frmScan, {240, 300, kContentWidth, 300});
  Add(lblStatus, &frmScan, {240, 660, kContentWidth, 600});
  struct Counter {
    Label* caption;
    const char* text;
    Label* value;
  };
  const Counter counters[] = {
      {&lblMemoryCaption, "Cookies/Processes Inspected", &lblMemoryInspected},
      {&lblRegistryCaption, "Registry Entries Inspected", &lblRegistryInspected},
      {&lblFilesCaption, "Files/Folders Inspected", &lblFilesFolderInspected},
      {&lblFoundCaption, "Spyware/Adware Found", &lblSoftwareFound},
      {&lblTracesCaption, "Traces Found", &lbltracesFound}};
  int top = 1380;
  for (const Counter& counter : counters) {
    Add(*counter.caption, &frmScan, {1500, top, 3000, 300}, counter.text);
    Add(*counter.value, &frmScan, {4620, top, 1800, 300});
    top += 360;
  }
  Add(shpCircle, &frmScan, {1215, 645, 180, 180});
  Add(pb1, &frmScan, {240, 3240, kContentWidth, 240});
  Add(pb2, &frmScan, {240, 3600, kContentWidth, 240});
  Add(pbgMain, &frmScan, {240, 3960, kContentWidth, 240});
  Add(lvwSpywareFound, &frmScan, {240, 4380, kContentWidth, 1920});
  Add(cmdScanNow, &frmScan, {240, 6480, 1320, 420}, "&Start");
  Add(cmdPause, &frmScan, {1680, 6480, 1320, 420}, "&Pause");
  Add(cmdStop, &frmScan, {3120, 6480, 1320, 420}, "St&op");
  Add(cmdRemove, &frmScan, {kContentRight - 2520, 6480, 2520, 420}, "Click Here to &Continue");
  Add(lblTotalNoOfRunningItems, &frmScan, {kContentRight - 2520, 6540, 1080, 300});
  lblTotalNoOfRunningItems.SetVisible(false);
  cmdPause.SetEnabled(false);
  cmdStop.SetEnabled(false);
}

void FrmMain::LayOutResultsPage() {
  Add(frmResults, nullptr, {kPageLeft, kPageTop, kPageWidth, kPageHeight}, "Results/Removal");
  Add(lblRemovePicSoftwareFound, &frmResults, {240, 300, kContentWidth, 300});
  Add(lvwPicRemoveListOfSpywareFoundAndToBeRemoved, &frmResults, {240, 720, kContentWidth, 4800});
  Add(pgbDeleteSpywaresFound, &frmResults, {240, 5640, kContentWidth, 240});
  Add(lblDeletingPercentageCompleted, &frmResults, {240, 5940, 3300, 300});
  Add(lblDeletingCaption, &frmResults, {3600, 5940, kContentRight - 3600, 300});
  Add(cmdSelectAll, &frmResults, {240, 6480, 1320, 420}, "Select &All");
  Add(cmdExclude, &frmResults, {1680, 6480, 1320, 420}, "E&xclude");
  Add(Command4, &frmResults, {kContentRight - 1320, 6480, 1320, 420}, "&Delete");
  for (Control* widget : std::initializer_list<Control*>{
           &pgbDeleteSpywaresFound, &lblDeletingPercentageCompleted, &lblDeletingCaption}) {
    widget->SetVisible(false);
  }
  Add(fraHiddenLists, nullptr, {0, 0, 0, 0});
  fraHiddenLists.SetVisible(false);
  for (ListView* list : {&lvwRegistryToBeDeleted, &lvwFilesToBeDeleted, &lvwFileNotFounds,
                         &lvwCookiesToDelete, &lvwBlockedCookies}) {
    Add(*list, &fraHiddenLists, {0, 0, 0, 0});
  }
}

void FrmMain::LayOutOptionsPage() {
  Add(frmOptions, nullptr, {kPageLeft, kPageTop, kPageWidth, kPageHeight}, "Settings");
  Add(TabStrip1, &frmOptions, {120, 240, kPageWidth - 240, 6840});
  for (int i = 0; i < 4; ++i) {
    Add(frmView[i], &frmOptions, {240, 720, kContentWidth, 6240}, TabStrip1.Tabs()[i]);
    frmView[i].SetVisible(i == 0);
  }
  Frame& scanOptions = frmView[0];
  Add(optScanAllSelectedHardDrive, &scanOptions, {240, 360, 3000, 300}, "&Complete System Scan");
  Add(optScanOnlyKnownSoftwares, &scanOptions, {240, 720, 3000, 300}, "&Quick Scan");
  OptionButton::Group({&optScanAllSelectedHardDrive, &optScanOnlyKnownSoftwares});
  Add(lvwHardDrives, &scanOptions, {3480, 360, 3000, 1800});
  Add(chkMakeLog, &scanOptions, {240, 2760, 4200, 300}, "Save scan results to &log");
  Add(chkSweepMemory, &scanOptions, {240, 3120, 4200, 300}, "Scan Running &Processes");
  Add(chkScanRegistry, &scanOptions, {240, 3480, 4200, 300}, "Scan Windows Re&gistry");
  Add(chkScanCookies, &scanOptions, {240, 3840, 4200, 300}, "Scan Internet C&ookies");
  Add(Command1, &scanOptions, {240, 4440, 1320, 420}, "Sc&an Now");
}

// "Proactive System Protection": each shield's switch box above its Enabled / Disabled pair.
void FrmMain::LayOutProtectionOptions() {
  Frame& protection = frmView[1];
  Add(lblHomePageProtection, &protection, {240, 360, 4200, 300}, "Home Page Hijack Protection");
  Add(chkHomePage, &protection, {480, 720, 1320, 300}, "Enable");
  Add(optIEHomePageSheildOn, &protection, {1920, 720, 1320, 300}, "Enabled");
  Add(optIEHomePageSheildOff, &protection, {3360, 720, 1320, 300}, "Disabled");
  OptionButton::Group({&optIEHomePageSheildOn, &optIEHomePageSheildOff});
  Add(optAlwaysnotifybeforerestoring, &protection, {720, 1080, 5400, 300},
      "Ask me what I would like to do");
  Add(optRestoredefaultwithoutnotification, &protection, {720, 1440, 5400, 300},
      "Silently restore my original home page");
  OptionButton::Group({&optAlwaysnotifybeforerestoring, &optRestoredefaultwithoutnotification});
  Add(lblAutoProtect, &protection, {240, 2160, 4200, 300}, "Auto-Protect");
  Add(chkAutoProtect, &protection, {480, 2520, 1320, 300}, "Enable");
  Add(optMemorySheildOn, &protection, {1920, 2520, 1320, 300}, "Enabled");
  Add(optMemorySheildOff, &protection, {3360, 2520, 1320, 300}, "Disabled");
  OptionButton::Group({&optMemorySheildOn, &optMemorySheildOff});
  Add(chkRunAtStartup, &protection, {240, 3240, 6360, 300},
      "Run at Startup and protect my computer automatically");
  chkRunAtStartup.SetToolTip("Click this option to automatically run at startup");
}

// "Automatic Live Update": the switch and the date of the last definition update.
void FrmMain::LayOutUpdateOptions() {
  Frame& update = frmView[3];
  Add(chkAutomaticUpdate, &update, {240, 360, 6360, 300},
      "Enable automatic Live update (recommended)");
  Add(lblLastUpdate, &update, {240, 840, 6360, 300});
  Add(cmdLiveUpdate, &update, {240, 1320, 2400, 420}, "Run Live &Update Now");
}

// "Scheduled Scans": the switch, the day list and the two pickers, each with its label, and
// the automatic deletion box; "Reset" and "Apply" at the foot of the tab.
void FrmMain::LayOutScheduledScans() {
  Frame& schedule = frmView[2];
  Add(chkAutomaticScanYesOrNo, &schedule, {240, 360, 4200, 300}, "Enable Scheduled Scans");
  Add(lblRunOn, &schedule, {480, 840, 960, 300}, "Run on:");
  Add(cmbDays, &schedule, {1560, 780, 2400, 315});
  Add(lblScheduleDate, &schedule, {480, 1320, 960, 300}, "Date:");
  Add(dtpScheduleDate, &schedule, {1560, 1260, 2400, 315});
  Add(lblScheduleTime, &schedule, {480, 1800, 960, 300}, "Time:");
  Add(dtpScheduleTime, &schedule, {1560, 1740, 2400, 315});
  Add(chkAutoDel, &schedule, {240, 2400, 6360, 300},
      "Delete spyware automatically after a scheduled scan");
  Add(cmdDefaultSetting, &schedule, {kContentWidth - 3000, 5640, 1320, 420}, "Reset");
  Add(CmdProceed, &schedule, {kContentWidth - 1560, 5640, 1320, 420}, "Apply");
  for (Control* control : std::initializer_list<Control*>{&cmbDays, &dtpScheduleDate,
                                                         &dtpScheduleTime, &CmdProceed}) {
    control->SetEnabled(false);
  }
}

void FrmMain::ListTimers() {
  for (Timer* timer : {&tmrScroll, &tmrTimeOut, &tmrCheckHomePage, &tmrMemoryInspected,
                       &tmrScheduler, &timUpdate, &tmrCheckSignature, &tmrTime}) {
    all_.push_back(timer);
  }
}

}  // namespace kestrian::ui
