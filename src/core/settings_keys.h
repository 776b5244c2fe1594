#pragma once
// Every section, key and default of the per-user settings store, in one place. A key that
// different readers read with different defaults has one entry per reader.
#include <string_view>

namespace kestrian::core::settings {

struct Key {
  std::string_view section;
  std::string_view name;
  std::string_view fallback;  // the default a read passes
};

inline constexpr std::string_view kProductName = "Kestrian";
inline constexpr std::string_view kSharedApplication = "RuvaveZezuvozUvuvizev";

inline constexpr std::string_view kOptions = "OptionAndSettings";
inline constexpr std::string_view kSettings = "Settings";
inline constexpr std::string_view kDrives = "Drives";

// Section "OptionAndSettings".
inline constexpr Key kMakeLog{kOptions, "chkMakeLog", "1"};
inline constexpr Key kSweepMemory{kOptions, "chkSweepMemory", "1"};           // options page
inline constexpr Key kSweepMemoryForScan{kOptions, "chkSweepMemory", "True"};  // scan session
inline constexpr Key kScanRegistry{kOptions, "chkScanRegistry", "1"};
inline constexpr Key kScanRegistryForScan{kOptions, "chkScanRegistry", "True"};
inline constexpr Key kScanCookies{kOptions, "chkScanCookies", "1"};
inline constexpr Key kRunAtStartup{kOptions, "chkRunAtStartup", "0"};                // page load
inline constexpr Key kRunAtStartupReadBack{kOptions, "chkRunAtStartup", "1"};        // its click
inline constexpr Key kAutomaticUpdate{kOptions, "chkAutomaticUpdate", "0"};
inline constexpr Key kAutomaticScan{kOptions, "chkAutomaticScanYesOrNo", "0"};
inline constexpr Key kScheduleDayForTimer{kOptions, "Day", "7"};
inline constexpr Key kScheduleDayForLoad{kOptions, "Day", "None"};
inline constexpr Key kScheduleTime{kOptions, "Time", "Null"};
inline constexpr Key kScheduleDate{kOptions, "Date", "Null"};
inline constexpr Key kMemoryShieldOn{kOptions, "optMemorySheildOn", "True"};
inline constexpr Key kMemoryShieldOff{kOptions, "optMemorySheildOff", "False"};
inline constexpr Key kHomePageShieldOn{kOptions, "optIEHomePageSheildOn", "True"};
inline constexpr Key kHomePageShieldOff{kOptions, "optIEHomePageSheildOff", "False"};
inline constexpr Key kNotifyBeforeRestoring{kOptions, "optAlwaysnotifybeforerestoring", "True"};
inline constexpr Key kRestoreSilently{kOptions, "optRestoredefaultwithoutnotification", "False"};
inline constexpr Key kCompleteScan{kOptions, "optScanAllSelectedHardDrive", "True"};
inline constexpr Key kQuickScan{kOptions, "optScanOnlyKnownSoftwares", "False"};  // never read
inline constexpr Key kHomePage{kOptions, "Homepage", ""};
inline constexpr Key kExeDefinitionVersion{kOptions, "EXEDefinition", "43"};  // status page
inline constexpr Key kCookieDefinitionVersion{kOptions, "CookieDefinition", ""};
inline constexpr Key kFileDefinitionVersion{kOptions, "FileDefinition", ""};
inline constexpr Key kRegistryDefinitionVersion{kOptions, "RegistryDefinition", ""};
inline constexpr Key kSignatureUpdateDate{kOptions, "Signature Update Date", "0"};
inline constexpr Key kShow{kOptions, "SHOW", ""};          // written only
inline constexpr Key kRestart{kOptions, "RESTART", ""};    // written only
inline constexpr Key kStatus{kOptions, "STATUS", ""};      // written only

// Section "Settings".
inline constexpr Key kAutoDelete{kSettings, "chkAutoDel", "0"};
inline constexpr Key kLastScan{kSettings, "lblLastScan", "Never"};
inline constexpr Key kLastFullScan{kSettings, "lblLastFullScan", "Never"};
inline constexpr Key kDefinitionsRemoved{kSettings, "lblDefRemoved", "0"};
inline constexpr Key kMinimized{kSettings, "Minimized", "No"};
inline constexpr Key kShowHelp{kSettings, "showHelp", "1"};

// Section "Drives": one key per drive letter.
inline constexpr std::string_view kDriveDefault = "True";

// The shared application entry (application kSharedApplication, section "Settings").
inline constexpr Key kSharedProduct{kSettings, "Product", ""};
inline constexpr Key kSharedFile{kSettings, "File", ""};

}  // namespace kestrian::core::settings
