#pragma once
// The names of the files kept in the application folder.
#include <array>
#include <string_view>

namespace kestrian::core::data_files {

inline constexpr std::string_view kRegistryDefinitions = "RegistryDefinition.dat";
inline constexpr std::string_view kFileDefinitions = "FileDefinition.dat";
inline constexpr std::string_view kExeDefinitions = "ExeDefinition.dat";
inline constexpr std::string_view kBlockedCookies = "BlockedCookies.dat";
inline constexpr std::string_view kDownloadPrefix = "DL";
inline constexpr std::string_view kExclusions = "ENoSignature.txt";
inline constexpr std::string_view kScanLog = "Scan_Log.txt";
inline constexpr std::string_view kQuarantineFolder = "quarantine";
inline constexpr std::string_view kQuarantineLog = "QuarantineLog.txt";
inline constexpr std::string_view kRestartHelper = "AppRestart.exe";

}  // namespace kestrian::core::data_files
