#pragma once
// The names of the files kept in the application folder.
#include <array>
#include <cstdint>
#include <string_view>

namespace kestrian::core::data_files {

inline constexpr std::string_view kRegistryDefinitions = "RegistryDefinition.dat";
inline constexpr std::string_view kFileDefinitions = "FileDefinition.dat";
inline constexpr std::string_view kExeDefinitions = "ExeDefinition.dat";
inline constexpr std::string_view kBlockedCookies = "BlockedCookies.dat";
inline constexpr std::string_view kDownloadPrefix = "DL";
// Beside a definition file: the one it replaced, and a download that failed its test-load.
inline constexpr std::string_view kPreviousSuffix = ".previous";
inline constexpr std::string_view kRejectedSuffix = ".rejected";
inline constexpr std::string_view kExclusions = "ENoSignature.txt";
inline constexpr std::string_view kScanLog = "Scan_Log.txt";
inline constexpr std::string_view kQuarantineFolder = "quarantine";
inline constexpr std::string_view kQuarantineLog = "QuarantineLog.txt";
inline constexpr std::string_view kRestartHelper = "AppRestart.exe";

// The largest definition file the program reads or downloads: a larger one is refused
// before it is read.
inline constexpr std::uint64_t kMaxDefinitionFileBytes = 64ull * 1024 * 1024;

}  // namespace kestrian::core::data_files
