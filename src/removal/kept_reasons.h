#pragma once
// Why an item a removal was to delete is still on the machine, shown beside it in "Delete
// Failed" and in kscan's report.
#include <string_view>

namespace kestrian::removal::kept {

// Refused whatever the definitions say.
inline constexpr std::string_view kWindowsKey = "a registry key Windows needs";
inline constexpr std::string_view kWindowsValue = "a registry value Windows needs";
inline constexpr std::string_view kProgramFile = "part of this program";
inline constexpr std::string_view kUnresolvedPath = "a path Windows cannot resolve";
inline constexpr std::string_view kWindowsFile = "a Microsoft file of the Windows folder";
inline constexpr std::string_view kFolder = "a folder, not a file";
// Tried and left.
inline constexpr std::string_view kNoBackup = "no backup could be made";
inline constexpr std::string_view kStillRunning = "its program is still running";
inline constexpr std::string_view kInUse = "in use or access denied";
inline constexpr std::string_view kAtNextRestart = "will be removed at the next restart";
inline constexpr std::string_view kStillThere = "still there after the removal";

}  // namespace kestrian::removal::kept
