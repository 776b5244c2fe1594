#pragma once
// What the end-to-end planters share: failure reporting, files, registry values, the settings
// store, special folders, cookies and processes. A failure is written to standard error as
// "NAME: what (error N)" and remembered for the exit code.
#include <windows.h>

#include <span>
#include <string>
#include <vector>

namespace kestrian::e2e {

// ---- Failures ------------------------------------------------------------------------------

// The name failures are written with; set first thing in main.
void SetPlanterName(const char* name);
void Fail(const std::string& what);
bool Failed();
int ExitCode();  // 1 after a failure, else 0

// ---- Files ---------------------------------------------------------------------------------

bool Exists(const std::string& path);
bool WriteWholeFile(const std::string& path, const std::string& content);
// WriteWholeFile, with a failure when it cannot.
bool WriteText(const std::string& path, const std::string& text);
void RemoveFile(const std::string& path);  // read-only or not
void RemoveTree(const std::string& folder);

// ---- Registry ------------------------------------------------------------------------------

void CreateKey(HKEY root, const std::string& path);
void SetRaw(HKEY root, const std::string& path, const char* name, DWORD type,
            const std::string& data);
void SetString(HKEY root, const std::string& path, const char* name, const std::string& text,
               DWORD type = REG_SZ);
bool ReadRaw(HKEY root, const char* path, const char* name, DWORD& type, std::string& data);
bool KeyExists(HKEY root, const char* path);
bool ValueExists(HKEY root, const char* path, const char* name);
bool IsEmptyKey(HKEY root, const char* path);
void DeleteTree(HKEY root, const char* path);  // the key too; a missing key is no failure

// ---- The settings store --------------------------------------------------------------------

inline constexpr char kStore[] = "Software\\VB and VBA Program Settings";
inline constexpr char kProgramKey[] = "Software\\VB and VBA Program Settings\\Kestrian";
inline constexpr char kOptionsKey[] =
    "Software\\VB and VBA Program Settings\\Kestrian\\OptionAndSettings";
inline constexpr char kSettingsKey[] = "Software\\VB and VBA Program Settings\\Kestrian\\Settings";

// The settings store's keys a run may create, deepest first.
inline constexpr const char* kStoreKeys[] = {kOptionsKey, kSettingsKey, kProgramKey, kStore};

struct Setting {
  const char* key;
  const char* name;
  const char* value;  // null: written by the run, not by the plant
};

// Writes the settings that have a value.
void PlantSettings(std::span<const Setting> settings);
// Keeps the settings and marks the store keys that do not exist, in values of `savedKey`.
void SaveSettings(const char* savedKey, std::span<const Setting> settings);
// Puts back what SaveSettings kept: a setting it found none of is deleted, and a store key it
// marked missing is deleted again when empty.
void RestoreSettings(const char* savedKey, std::span<const Setting> settings);

// ---- Folders and cookies -------------------------------------------------------------------

std::string SpecialFolder(int csidl);  // "" when the folder does not exist
std::string WithoutTrailingBackslash(std::string path);  // a drive's root keeps its own

struct Cookie {
  const char* fileName;
  const char* content;
};

// The scan finds no cookie folder that does not exist; a fresh prefix has none yet. Creates
// it when missing, noted in `savedKey` for RemoveCookies. False when it cannot.
bool EnsureCookieFolder(const char* savedKey);
// Removes the planted cookies, and the cookie folder when EnsureCookieFolder created it and
// nothing else is in it.
void RemoveCookies(const std::string& folder, std::span<const Cookie> cookies,
                   const char* savedKey);
// What the scan counts beyond the plant, as NAME=value lines in `out`: the processes running
// now (this one stands where the scanner will) and the cookie files nobody planted.
void WriteCensus(const std::string& out, const std::string& cookieFolder,
                 std::span<const Cookie> cookies);

// ---- Processes -----------------------------------------------------------------------------

std::string ModulePath(DWORD id);  // "" when it cannot be read
std::vector<DWORD> ProcessIds();

struct Planted {
  DWORD id;
  std::string path;
};

// The processes whose program lies in `folder` (letter case ignored).
std::vector<Planted> ProcessesIn(const std::string& folder);
void StopProcessesIn(const std::string& folder);
// Starts `program` with `arguments` appended to its quoted path; its process id, 0 on a
// failure.
DWORD Start(const std::string& program, const std::string& arguments);

// Waits until `done` holds, for at most ten seconds.
template <class Done>
bool WaitFor(Done&& done) {
  for (int attempt = 0; attempt < 500; ++attempt) {
    if (done()) return true;
    ::Sleep(20);
  }
  return false;
}

}  // namespace kestrian::e2e
