// Plants the machine the kscan end-to-end run scans, and takes it away again.
//   kscan_plant plant SLEEPER OUT  registry keys, settings, files, cookies and two running
//                                  copies of SLEEPER; then the folders the scan will work
//                                  out, as NAME=value lines in OUT
//   kscan_plant census OUT         what the scan counts beyond the plant: the processes
//                                  running now and the cookie files nobody planted
//   kscan_plant running OUT        the planted processes still running, one name a line
//   kscan_plant clean              stops the planted processes and removes what was planted
// Every command writes only to files and standard error; exit code 0 on success, 1 on a
// failure. "plant" cleans first, so leftovers of a run that was killed never pile up.
#include <windows.h>

#include <shlobj.h>

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "plant_support.h"

namespace {

using namespace kestrian::e2e;

// The plant's keys live under the scratch key of both roots; what it changes in the settings
// store is kept under SavedSettings until "clean" puts it back.
constexpr char kScratchKey[] = "Software\\KestrianE2E";
constexpr char kSavedSettingsKey[] = "Software\\KestrianE2E\\SavedSettings";

// The phases the run needs, whatever other tests left in the store, and the dates the scan
// stores. All of them are put back as they were.
constexpr Setting kSettings[] = {{kOptionsKey, "chkScanCookies", "1"},
                                 {kOptionsKey, "chkSweepMemory", "True"},
                                 {kOptionsKey, "chkScanRegistry", "True"},
                                 {kSettingsKey, "lblLastScan", nullptr},
                                 {kSettingsKey, "lblLastFullScan", nullptr}};

constexpr char kScratchFolder[] = "KestrianE2E";  // under each of the template folders
constexpr char kRunFolder[] = "run";              // under [Drive]KestrianE2E
constexpr const char* kProcessNames[] = {"kse2espy.exe", "kse2eexcl.exe"};

std::string WithTrailingBackslash(std::string path) {
  if (!path.empty() && path.back() != '\\') path.push_back('\\');
  return path;
}

// Two bytes per character, as version resources store their strings.
std::string Wide(std::string_view text) {
  std::string wide;
  for (char c : text) {
    wide.push_back(c);
    wide.push_back('\0');
  }
  return wide;
}

std::string Bytes(const char* data, std::size_t size) { return std::string(data, size); }

// A version string record as resources store it: length words, type word 1, the key and its
// terminator, then the value right after (no alignment padding).
std::string WideRecord(std::string_view key, std::string_view value) {
  std::string record = Bytes("\x40\x00\x10\x00\x01\x00", 6);
  record += Wide(key) + Bytes("\0\0", 2);
  if (!value.empty()) record += Wide(value) + Bytes("\0\0", 2);
  return record;
}

std::string ExecutableStub() {
  std::string stub = "MZ";
  stub.append(62, '\0');
  stub += "This program cannot be run in DOS mode.\r\n";
  stub.append(16, '\0');
  return stub;
}

std::string WideVersionBlock(std::string_view company) {
  return ExecutableStub() + WideRecord("VS_VERSION_INFO", "") + WideRecord("StringFileInfo", "") +
         WideRecord("040904b0", "") + WideRecord("CompanyName", company) +
         WideRecord("FileDescription", "Planted by the kscan end-to-end run") +
         WideRecord("FileVersion", "1.0.0.0");
}

// The one-byte form: "CompanyName", a zero, the value, three zeros.
std::string PlainVersionBlock(std::string_view company) {
  std::string block = ExecutableStub() + "VS_VERSION_INFO" + Bytes("\0\0\0\0", 4) +
                      "StringFileInfo" + Bytes("\0\0", 2) + "040904b0" + Bytes("\0\0", 2);
  block += "CompanyName" + Bytes("\0", 1) + std::string(company) + Bytes("\0\0\0", 3);
  block += "FileDescription" + Bytes("\0", 1) + "Planted by the kscan end-to-end run" +
           Bytes("\0\0\0", 3);
  return block;
}

const std::string kPlainContent = "Planted by the kscan end-to-end run.\r\n";

// ---- Folders -------------------------------------------------------------------------------

std::string FolderFrom(UINT (*getter)(LPSTR, UINT)) {
  char buffer[MAX_PATH + 1] = {};
  const UINT length = getter(buffer, MAX_PATH);
  return (length == 0 || length > MAX_PATH) ? std::string() : std::string(buffer, length);
}

struct Folders {
  std::string windows;  // without a trailing backslash, as are the others but `drive`
  std::string system;
  std::string desktop;
  std::string drive;  // "C:\"
  std::string cookies;
};

Folders KnownFolders() {
  Folders folders;
  folders.windows = WithoutTrailingBackslash(FolderFrom(&::GetWindowsDirectoryA));
  folders.system = WithoutTrailingBackslash(FolderFrom(&::GetSystemDirectoryA));
  folders.desktop = WithoutTrailingBackslash(SpecialFolder(CSIDL_DESKTOPDIRECTORY));
  folders.drive = WithTrailingBackslash(SpecialFolder(CSIDL_PROGRAMS)).substr(0, 3);
  folders.cookies = WithoutTrailingBackslash(SpecialFolder(CSIDL_COOKIES));
  return folders;
}

// The folders the file definitions' templates name, each with the scratch folder appended.
std::vector<std::string> ScratchFolders(const Folders& folders) {
  std::vector<std::string> scratch;
  if (folders.drive.size() == 3) {
    scratch.push_back(folders.drive + kScratchFolder);
    scratch.push_back(folders.drive + "Program Files\\" + kScratchFolder);
  }
  if (!folders.desktop.empty()) scratch.push_back(folders.desktop + "\\" + kScratchFolder);
  if (!folders.windows.empty()) scratch.push_back(folders.windows + "\\" + kScratchFolder);
  return scratch;
}

std::string RunFolder(const Folders& folders) {
  return folders.drive + kScratchFolder + "\\" + kRunFolder;
}

// ---- What is planted -----------------------------------------------------------------------

enum class Place { kSystem, kProgramFiles, kDrive, kDesktop, kWindows };

struct PlantedFile {
  Place place;
  const char* name;
  std::string content;
  DWORD attributes;
};

std::vector<PlantedFile> PlantedFiles() {
  return {
      {Place::kSystem, "kse2e_visible.dll", kPlainContent, FILE_ATTRIBUTE_NORMAL},
      {Place::kSystem, "kse2e_readonly.dll", kPlainContent, FILE_ATTRIBUTE_READONLY},
      {Place::kSystem, "kse2e_hidden.dll", kPlainContent, FILE_ATTRIBUTE_HIDDEN},
      {Place::kSystem, "kse2e_system.dll", kPlainContent, FILE_ATTRIBUTE_SYSTEM},
      {Place::kSystem, "kse2e_twin1.dll", kPlainContent, FILE_ATTRIBUTE_NORMAL},
      {Place::kSystem, "kse2e_twin2.dll", kPlainContent, FILE_ATTRIBUTE_NORMAL},
      {Place::kSystem, "kse2e_mswide.dll", WideVersionBlock("Microsoft Corporation"),
       FILE_ATTRIBUTE_NORMAL},
      {Place::kSystem, "kse2e_msplain.dll", PlainVersionBlock("Microsoft Corporation"),
       FILE_ATTRIBUTE_NORMAL},
      {Place::kSystem, "kse2e_vendor.dll", WideVersionBlock("Kestrian Test Vendor"),
       FILE_ATTRIBUTE_NORMAL},
      {Place::kSystem, "kse2e_excluded.dll", kPlainContent, FILE_ATTRIBUTE_NORMAL},
      {Place::kProgramFiles, "kse2e_pfiles.exe", kPlainContent, FILE_ATTRIBUTE_NORMAL},
      // Found only if "[PFILES]" were read as "[pfiles]".
      {Place::kProgramFiles, "kse2e_case.exe", kPlainContent, FILE_ATTRIBUTE_NORMAL},
      {Place::kDrive, "kse2e_drive.exe", kPlainContent, FILE_ATTRIBUTE_NORMAL},
      {Place::kDesktop, "kse2e_desktop.exe", kPlainContent, FILE_ATTRIBUTE_NORMAL},
      {Place::kWindows, "kse2e_windows.exe", kPlainContent, FILE_ATTRIBUTE_NORMAL},
  };
}

std::string PathOf(const PlantedFile& file, const Folders& folders) {
  switch (file.place) {
    case Place::kSystem: return folders.system + "\\" + file.name;
    case Place::kProgramFiles:
      return folders.drive + "Program Files\\" + kScratchFolder + "\\" + file.name;
    case Place::kDrive: return folders.drive + kScratchFolder + "\\" + file.name;
    case Place::kDesktop: return folders.desktop + "\\" + kScratchFolder + "\\" + file.name;
    case Place::kWindows: return folders.windows + "\\" + kScratchFolder + "\\" + file.name;
  }
  return {};
}

// Internet Explorer's layout: name, value, host and path, flags, times, "*". The cookie's
// name holds the key too, but without a "/" it names no site.
constexpr Cookie kCookies[] = {
    {"kestrian@adtrack[1].txt", "adtrack_id\n4711\nadtrack.example/\n1024\n0\n0\n0\n0\n*\n"},
    {"kestrian@goodsite[1].txt", "session\n42\ngoodsite.example/\n1024\n0\n0\n0\n0\n*\n"},
    {"kestrian@www.popspy[1].txt", "uid\n9\nwww.popspy.example/\n1024\n0\n0\n0\n0\n*\n"},
    {"kestrian@counter7[1].txt", "hits\n3\ncounter7.example/\n1024\n0\n0\n0\n0\n*\n"},
    {"kestrian@AdTrack[2].txt", "uid\n5\nAdTrack.example/\n1024\n0\n0\n0\n0\n*\n"},
    {"kestrian@xbanner[1].txt", "seen\n1\nxbanner.example/banners\n1024\n0\n0\n0\n0\n*\n"},
    {"kestrian@ybanner[1].txt", "seen\n1\nybanner.example/banners\n1024\n0\n0\n0\n0\n*\n"},
    {"kestrian@clickz[1].txt", "c\n1\nclickz.example/\n1024\n0\n0\n0\n0\n*\n"},
    {"kestrian@qlickz[1].txt", "c\n1\nqlickz.example/\n1024\n0\n0\n0\n0\n*\n"},
};

// ---- Files ---------------------------------------------------------------------------------

void PlantFile(const std::string& path, const std::string& content, DWORD attributes) {
  const std::string folder = path.substr(0, path.rfind('\\'));
  ::CreateDirectoryA(folder.c_str(), nullptr);
  if (!WriteWholeFile(path, content)) return Fail("cannot write " + path);
  if (!::SetFileAttributesA(path.c_str(), attributes)) Fail("cannot set attributes of " + path);
}

// ---- Registry ------------------------------------------------------------------------------

void PlantRegistry() {
  const std::string base = kScratchKey;
  const std::string values = base + "\\Values";
  SetString(HKEY_CURRENT_USER, values, "StringValue", "planted string");
  SetString(HKEY_CURRENT_USER, values, "ExpandValue", "%SystemRoot%\\kse2e.exe", REG_EXPAND_SZ);
  SetRaw(HKEY_CURRENT_USER, values, "DwordValue", REG_DWORD, std::string("\x07\x00\x00\x00", 4));
  SetRaw(HKEY_CURRENT_USER, values, "BinaryValue", REG_BINARY, std::string("\x01\x02\x03\x04", 4));
  SetRaw(HKEY_CURRENT_USER, values, "MultiValue", REG_MULTI_SZ, std::string("one\0two\0\0", 9));
  SetRaw(HKEY_CURRENT_USER, values, "QwordValue", REG_QWORD, std::string(8, '\x01'));
  SetString(HKEY_CURRENT_USER, base + "\\Twin", "TwinValue", "second trace");
  SetString(HKEY_CURRENT_USER, base + "\\Microsoft\\Windows\\CurrentVersion\\Run", "SpyValue",
            "C:\\KestrianE2E\\run\\kse2espy.exe");
  CreateKey(HKEY_CURRENT_USER, base + "\\Excluded");
  CreateKey(HKEY_CURRENT_USER, base + "\\Nameless");
  SetString(HKEY_LOCAL_MACHINE, base + "\\Machine", "MachineValue", "machine-wide");
  PlantSettings(kSettings);
}

// ---- Processes -----------------------------------------------------------------------------

void StartProcess(const std::string& sleeper, const std::string& path) {
  if (!::CopyFileA(sleeper.c_str(), path.c_str(), FALSE)) return Fail("cannot copy to " + path);
  const DWORD id = Start(path, "");
  // The scan reads the main module's path; wait until the process has one.
  if (id != 0 && !WaitFor([&] { return !ModulePath(id).empty(); })) {
    Fail("no module path for " + path);
  }
}

// ---- Commands ------------------------------------------------------------------------------

int Clean() {
  const Folders folders = KnownFolders();
  if (folders.drive.size() == 3) StopProcessesIn(RunFolder(folders));
  for (const PlantedFile& file : PlantedFiles()) {
    if (file.place == Place::kSystem && !folders.system.empty()) RemoveFile(PathOf(file, folders));
  }
  for (const std::string& folder : ScratchFolders(folders)) RemoveTree(folder);
  RemoveCookies(folders.cookies, kCookies, kSavedSettingsKey);
  if (KeyExists(HKEY_CURRENT_USER, kSavedSettingsKey)) {
    RestoreSettings(kSavedSettingsKey, kSettings);
  }
  DeleteTree(HKEY_CURRENT_USER, kScratchKey);
  DeleteTree(HKEY_LOCAL_MACHINE, kScratchKey);
  return ExitCode();
}

int Plant(const std::string& sleeper, const char* foldersOut) {
  Clean();
  if (Failed()) return 1;
  CreateKey(HKEY_CURRENT_USER, kSavedSettingsKey);
  SaveSettings(kSavedSettingsKey, kSettings);
  if (!EnsureCookieFolder(kSavedSettingsKey)) return 1;
  const Folders folders = KnownFolders();
  if (folders.windows.empty() || folders.system.empty() || folders.desktop.empty() ||
      folders.drive.size() != 3 || folders.cookies.empty()) {
    Fail("a folder of the scan is unknown");
    return 1;
  }
  PlantRegistry();
  for (const std::string& folder : ScratchFolders(folders)) {
    if (!::CreateDirectoryA(folder.c_str(), nullptr)) Fail("cannot create " + folder);
  }
  for (const PlantedFile& file : PlantedFiles()) {
    PlantFile(PathOf(file, folders), file.content, file.attributes);
  }
  for (const Cookie& cookie : kCookies) {
    PlantFile(folders.cookies + "\\" + cookie.fileName, cookie.content, FILE_ATTRIBUTE_NORMAL);
  }
  const std::string runFolder = RunFolder(folders);
  if (!::CreateDirectoryA(runFolder.c_str(), nullptr)) Fail("cannot create " + runFolder);
  for (const char* name : kProcessNames) StartProcess(sleeper, runFolder + "\\" + name);
  WriteText(foldersOut, "WINDIR=" + folders.windows + "\nSYSDIR=" + folders.system +
                            "\nDESKTOP=" + folders.desktop + "\nDRIVE=" + folders.drive +
                            "\nCOOKIES=" + folders.cookies + "\n");
  return ExitCode();
}

int Census(const char* out) {
  WriteCensus(out, KnownFolders().cookies, kCookies);
  return ExitCode();
}

int Running(const char* out) {
  std::string lines;
  for (const Planted& process : ProcessesIn(RunFolder(KnownFolders()))) {
    lines += process.path.substr(process.path.rfind('\\') + 1) + "\n";
  }
  WriteText(out, lines);
  return ExitCode();
}

int Usage() {
  std::fputs(
      "usage: kscan_plant plant SLEEPER OUT | census OUT | running OUT | clean\n", stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  SetPlanterName("kscan_plant");
  if (argc < 2) return Usage();
  const std::string command = argv[1];
  if (command == "plant" && argc == 4) return Plant(argv[2], argv[3]);
  if (command == "census" && argc == 3) return Census(argv[2]);
  if (command == "running" && argc == 3) return Running(argv[2]);
  if (command == "clean" && argc == 2) return Clean();
  return Usage();
}
