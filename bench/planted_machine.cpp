#include "bench/planted_machine.h"

#include <algorithm>
#include <cstdio>
#include <random>

#include "core/definition_line.h"

namespace kestrian::bench {

namespace {
constexpr int kPlantedVendors = 200;        // registry: a key and two values each
constexpr int kFileVendors = 60;            // Program Files folders, four files each
constexpr int kFilesPerVendor = 4;
constexpr int kWindowsFiles = 40;           // directly in the Windows folder
constexpr int kMicrosoftFiles = 20;         // planted, but signed as Microsoft's
constexpr int kMatchingCookieFiles = 300;
constexpr const char* kVendorPrefix = "KBench Vendor ";

std::string Format(const char* format, auto... args) {
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, format, args...);
  return buffer;
}

std::string Guid(std::mt19937& random) {
  std::uniform_int_distribution<unsigned> nibble(0, 15);
  std::string guid = "{";
  for (int group : {8, 4, 4, 4, 12}) {
    if (guid.size() > 1) guid.push_back('-');
    for (int i = 0; i < group; ++i) guid.push_back("0123456789ABCDEF"[nibble(random)]);
  }
  guid.push_back('}');
  return guid;
}

// Text as two bytes per character, as version resources store it.
std::string TwoByte(std::string_view text) {
  std::string out;
  for (char c : text) {
    out.push_back(c);
    out.push_back('\0');
  }
  return out;
}
}  // namespace

std::string CompanyBlock(std::string_view company) {
  return std::string("\x01\x00", 2) + TwoByte("StringFileInfo") + std::string(6, '\0') +
         std::string("\x01\x00", 2) + TwoByte("CompanyName") + std::string(2, '\0') +
         TwoByte(company) + std::string(2, '\0');
}

namespace {

// An executable-looking file with a version block naming its company, about 6 KB.
std::string FakeExecutable(const std::string& company) {
  std::string bytes = "MZ";
  bytes.resize(4096, '\x90');
  bytes += CompanyBlock(company);
  bytes += std::string("\x01\x00", 2) + TwoByte("FileDescription") + std::string(2, '\0');
  bytes += TwoByte("Helper") + std::string(2, '\0');
  bytes.resize(6144, '\0');
  return bytes;
}

// An Internet Explorer cookie file: records of name, value, host/path, flags, four time
// words and "*".
std::string CookieContent(const std::string& host, int records, std::mt19937& random) {
  std::uniform_int_distribution<unsigned> word(1'000'000, 4'000'000'000u);
  std::string text;
  for (int i = 0; i < records; ++i) {
    text += Format("id%d\n%08x%08x%08x\n%s/\n1536\n%u\n%u\n%u\n%u\n*\n", i, word(random),
                   word(random), word(random), host.c_str(), word(random), word(random),
                   word(random), word(random));
  }
  return text;
}

void DeleteMatching(const std::string& folder, const std::string& pattern, bool folders) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA data{};
  HANDLE find = ::FindFirstFileA((folder + pattern).c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    const bool directory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (directory == folders) names.emplace_back(data.cFileName);
  } while (::FindNextFileA(find, &data));
  ::FindClose(find);
  for (const auto& name : names) {
    if (folders) {
      RemoveFolderTree(folder + name);
    } else {
      ::SetFileAttributesA((folder + name).c_str(), FILE_ATTRIBUTE_NORMAL);
      ::DeleteFileA((folder + name).c_str());
    }
  }
}

void DeleteVendorKeys(HKEY root) {
  HKEY software = nullptr;
  if (::RegOpenKeyExA(root, "Software", 0, KEY_READ, &software) != ERROR_SUCCESS) return;
  std::vector<std::string> names;
  char name[256];
  for (DWORD index = 0;; ++index) {
    DWORD length = sizeof name;
    if (::RegEnumKeyExA(software, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      break;
    }
    if (std::string_view(name, length).starts_with(kVendorPrefix)) names.emplace_back(name, length);
  }
  for (const auto& key : names) ::RegDeleteTreeA(software, key.c_str());
  ::RegCloseKey(software);
}

void PlantKey(HKEY root, const std::string& path, const std::string& installPath, DWORD version) {
  HKEY key = nullptr;
  if (::RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS) {
    return;
  }
  ::RegSetValueExA(key, "InstallPath", 0, REG_SZ, reinterpret_cast<const BYTE*>(installPath.c_str()),
                   static_cast<DWORD>(installPath.size() + 1));
  ::RegSetValueExA(key, "Version", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&version),
                   sizeof version);
  ::RegCloseKey(key);
}
}  // namespace

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
  HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok =
      ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  ::CloseHandle(file);
  return ok && written == bytes.size();
}

void RemoveFolderTree(const std::string& folder) {
  DeleteMatching(folder + "\\", "*", false);
  std::vector<std::string> children;
  WIN32_FIND_DATAA data{};
  HANDLE find = ::FindFirstFileA((folder + "\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::string_view name = data.cFileName;
      if (name != "." && name != ".." && (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        children.emplace_back(name);
      }
    } while (::FindNextFileA(find, &data));
    ::FindClose(find);
  }
  for (const auto& child : children) RemoveFolderTree(folder + "\\" + child);
  ::RemoveDirectoryA(folder.c_str());
}

void PlantedMachine::Plant(const std::string& programFiles, const std::string& windows) {
  programFiles_ = programFiles;
  windows_ = windows;
  MakeScratchFolders();
  Remove();  // whatever an interrupted run left
  MakeScratchFolders();
  WriteRegistryDefinitions();
  WriteFileDefinitions(programFiles, windows);
  WriteExecutableDefinitions();
  WriteCookies();
  WriteMixDefinitions();
}

void PlantedMachine::Remove() {
  if (!scratch_.empty()) RemoveFolderTree(scratch_);
  if (!programFiles_.empty()) DeleteMatching(programFiles_, std::string(kVendorPrefix) + "*", true);
  if (!windows_.empty()) DeleteMatching(windows_, "kbench*.exe", false);
  DeleteVendorKeys(HKEY_CURRENT_USER);
  DeleteVendorKeys(HKEY_LOCAL_MACHINE);
}

void PlantedMachine::ForgetLines() {
  for (auto* lines : {&registryLines_, &fileLines_, &plantedFileLines_, &plantedKeyLines_,
                      &mixRegistryLines_, &mixFileLines_}) {
    std::vector<std::string>().swap(*lines);
  }
}

void PlantedMachine::MakeScratchFolders() {
  char temp[MAX_PATH] = {};
  ::GetTempPathA(MAX_PATH, temp);
  scratch_ = std::string(temp) + "kestrian-bench";
  appFolder_ = scratch_ + "\\app";
  mixFolder_ = scratch_ + "\\app-mix";
  cookieFolder_ = scratch_ + "\\Cookies";
  ::CreateDirectoryA(scratch_.c_str(), nullptr);
  ::CreateDirectoryA(appFolder_.c_str(), nullptr);
  ::CreateDirectoryA(mixFolder_.c_str(), nullptr);
  ::CreateDirectoryA(cookieFolder_.c_str(), nullptr);
}

void PlantedMachine::WriteDefinitionFile(const std::string& folder, const char* name,
                                         const std::vector<std::string>& lines) {
  std::string content;
  for (const auto& line : lines) content.append(core::EncodeDefinitionLine(line)).append("\r\n");
  WriteWholeFile(folder + "\\" + name, content);
}

void PlantedMachine::WriteRegistryDefinitions() {
  std::mt19937 random(1);
  std::vector<std::string> lines;
  // The planted keys: each is named whole, by its two values, and by one value it lacks.
  for (int vendor = 0; vendor < kPlantedVendors; ++vendor) {
    const bool user = vendor % 2 == 0;
    const std::string key = Format("Software\\%s%03d", kVendorPrefix, vendor);
    PlantKey(user ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE, key,
             Format("C:\\Program Files\\%s%03d", kVendorPrefix, vendor), 0x10000u + vendor);
    plantedKeysAndValues_ += 3;
    const int root = user ? 1 : 2;
    const std::string threat = Format("%s%03d", kVendorPrefix, vendor);
    lines.push_back(Format("%d^%s^=%s", root, key.c_str(), threat.c_str()));
    lines.push_back(Format("%d^%s^InstallPath=%s", root, key.c_str(), threat.c_str()));
    lines.push_back(Format("%d^%s^Version=%s", root, key.c_str(), threat.c_str()));
    lines.push_back(Format("%d^%s^UninstallString=%s", root, key.c_str(), threat.c_str()));
  }
  plantedKeyLines_ = lines;
  // The rest names what this machine does not have: whole keys (40%), values in keys every
  // machine has (25%) and values in absent keys.
  const char* runKeys[] = {
      "1^Software\\Microsoft\\Windows\\CurrentVersion\\Run",
      "2^Software\\Microsoft\\Windows\\CurrentVersion\\Run",
      "2^Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
      "1^Software\\Microsoft\\Internet Explorer\\Main",
      "2^Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon",
  };
  for (int n = 0; static_cast<int>(lines.size()) < size_.registryLines; ++n) {
    const std::string threat = Format("AdVendor %05d", n);
    switch (n % 20) {
      case 0: case 1: case 2:
        lines.push_back(Format("1^Software\\AdVendor%05d^=%s", n, threat.c_str()));
        break;
      case 3: case 4:
        lines.push_back(Format("2^Software\\AdVendor%05d\\Toolbar^=%s", n, threat.c_str()));
        break;
      case 5: case 6:
        lines.push_back(Format("0^CLSID\\%s^=%s", Guid(random).c_str(), threat.c_str()));
        break;
      case 7:
        lines.push_back(Format(
            "2^Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects\\%s^=%s",
            Guid(random).c_str(), threat.c_str()));
        break;
      case 8:
        lines.push_back(Format("0^TypeLib\\%s^=%s", Guid(random).c_str(), threat.c_str()));
        break;
      case 9: case 10: case 11: case 12: case 13:
        lines.push_back(Format("%s^AdVendor%05d Update=%s", runKeys[n % 5], n, threat.c_str()));
        break;
      case 14: case 15: case 16:
        lines.push_back(Format("1^Software\\AdVendor%05d^InstallPath=%s", n, threat.c_str()));
        break;
      default:
        lines.push_back(Format("2^Software\\AdVendor%05d\\Settings^Version=%s", n, threat.c_str()));
        break;
    }
  }
  std::shuffle(lines.begin(), lines.end(), random);
  WriteDefinitionFile(appFolder_, "RegistryDefinition.dat", lines);
  registryLines_ = std::move(lines);
}

void PlantedMachine::WriteFileDefinitions(const std::string& programFiles,
                                          const std::string& windows) {
  std::mt19937 random(2);
  std::vector<std::string> lines;
  int planted = 0;
  for (int vendor = 0; vendor < kFileVendors; ++vendor) {
    const std::string folderName = Format("%s%03d", kVendorPrefix, vendor);
    ::CreateDirectoryA((programFiles + folderName).c_str(), nullptr);
    for (int i = 0; i < kFilesPerVendor; ++i, ++planted) {
      const std::string name = Format("kbv%03d_%d.%s", vendor, i, i % 2 ? "exe" : "dll");
      const bool microsoft = planted < kMicrosoftFiles;
      const std::string path = programFiles + folderName + "\\" + name;
      if (WriteWholeFile(path, FakeExecutable(microsoft ? "Microsoft Corporation"
                                                        : folderName + " Ltd"))) {
        plantedFilePaths_.push_back(path);
      }
      lines.push_back(Format("%s=%s|[pfiles]%s\\", name.c_str(), folderName.c_str(),
                             folderName.c_str()));
    }
  }
  for (int i = 0; i < kWindowsFiles; ++i) {
    const std::string name = Format("kbench%03d.exe", i);
    if (WriteWholeFile(windows + name, FakeExecutable("KBench Windows Ltd"))) {
      plantedFilePaths_.push_back(windows + name);
    }
    lines.push_back(Format("%s=KBench Windows %03d|[wDir]", name.c_str(), i));
  }
  plantedFileLines_ = lines;
  // The rest names files this machine does not have: 20% in the system folder, 40% in
  // vendor folders under Program Files, 10% in folders every machine has, 15% in the
  // Windows folder, the rest in folders on the desktop and the drive.
  for (int n = 0; static_cast<int>(lines.size()) < size_.fileLines; ++n) {
    const std::string threat = Format("AdVendor %05d", n);
    switch (n % 20) {
      case 0: case 1: case 2: case 3:
        lines.push_back(Format("adw%05d.dll=%s", n, threat.c_str()));
        break;
      case 4: case 5: case 6: case 7: case 8: case 9: case 10: case 11:
        lines.push_back(Format("adw%05d.exe=%s|[pfiles]AdVendor%05d\\", n, threat.c_str(), n));
        break;
      case 12:
        lines.push_back(Format("adw%05d.dll=%s|[pfiles]Common Files\\", n, threat.c_str()));
        break;
      case 13:
        lines.push_back(Format("adw%05d.dll=%s|[pfiles]Internet Explorer\\", n, threat.c_str()));
        break;
      case 14: case 15: case 16:
        lines.push_back(Format("adw%05d.exe=%s|[wDir]", n, threat.c_str()));
        break;
      case 17: case 18:
        lines.push_back(Format("adw%05d.exe=%s|[dDir]AdVendor%05d\\", n, threat.c_str(), n));
        break;
      default:
        lines.push_back(Format("adw%05d.exe=%s|[Drive]AdVendor%05d\\", n, threat.c_str(), n));
        break;
    }
  }
  std::shuffle(lines.begin(), lines.end(), random);
  WriteDefinitionFile(appFolder_, "FileDefinition.dat", lines);
  fileLines_ = std::move(lines);
}

void PlantedMachine::WriteMixDefinitions() {
  std::mt19937 random(4);
  // Registry: the planted keys, each also named by seven values it lacks; five keys every
  // machine has, named by a thousand absent values each; the rest of the 5,000 keys absent,
  // named whole and by eight values each.
  std::vector<std::string> lines = plantedKeyLines_;
  for (std::size_t at = 0; at < plantedKeyLines_.size(); at += 4) {
    const std::string key = plantedKeyLines_[at].substr(0, plantedKeyLines_[at].rfind('^'));
    for (int i = 0; i < 6; ++i) lines.push_back(Format("%s^Extra%d=%s", key.c_str(), i, "KBench Vendor"));
  }
  const char* commonKeys[] = {
      "1^Software\\Microsoft\\Windows\\CurrentVersion\\Run",
      "2^Software\\Microsoft\\Windows\\CurrentVersion\\Run",
      "2^Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
      "1^Software\\Microsoft\\Internet Explorer\\Main",
      "2^Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon",
  };
  for (const char* key : commonKeys) {
    for (int n = 0; n < 1000; ++n) lines.push_back(Format("%s^MixVendor%04d Update=Mix %04d", key, n, n));
  }
  for (int n = 0; lines.size() < static_cast<std::size_t>(size_.registryLines); ++n) {
    std::string key;
    switch (n % 4) {
      case 0: key = Format("0^CLSID\\%s", Guid(random).c_str()); break;
      case 1: key = Format("1^Software\\MixVendor%04d", n); break;
      case 2: key = Format("2^Software\\MixVendor%04d\\Toolbar", n); break;
      default: key = Format("0^TypeLib\\%s", Guid(random).c_str()); break;
    }
    lines.push_back(Format("%s^=Mix %04d", key.c_str(), n));
    for (int i = 0; i < 8 && lines.size() < static_cast<std::size_t>(size_.registryLines); ++i) {
      lines.push_back(Format("%s^Value%d=Mix %04d", key.c_str(), i, n));
    }
  }
  std::shuffle(lines.begin(), lines.end(), random);
  WriteDefinitionFile(mixFolder_, "RegistryDefinition.dat", lines);
  mixRegistryLines_ = std::move(lines);

  // Files: the planted files; absent names in the folders every machine has; 220 absent
  // vendor folders, the 60 planted ones and a sub-folder of 14 of them.
  lines = plantedFileLines_;
  const std::pair<const char*, int> common[] = {{"", 10'000},          {"|[wDir]", 7'500},
                                                {"|[pfiles]Common Files\\", 2'500},
                                                {"|[pfiles]Internet Explorer\\", 2'500},
                                                {"|[dDir]", 1'500}, {"|[Drive]", 1'000}};
  int n = 0;
  for (const auto& [folder, count] : common) {
    for (int i = 0; i < count; ++i, ++n) lines.push_back(Format("mix%05d.dll=Mix %05d%s", n, n, folder));
  }
  std::vector<std::string> vendorFolders;
  for (int vendor = 0; vendor < kFileVendors; ++vendor) {
    vendorFolders.push_back(Format("[pfiles]%s%03d\\", kVendorPrefix, vendor));
    if (vendor < 14) vendorFolders.push_back(Format("[pfiles]%s%03d\\bin\\", kVendorPrefix, vendor));
  }
  for (int vendor = 0; vendor < 220; ++vendor) vendorFolders.push_back(Format("[pfiles]MixVendor%03d\\", vendor));
  for (int i = 0; lines.size() < static_cast<std::size_t>(size_.fileLines); ++i, ++n) {
    const std::string& folder = vendorFolders[static_cast<std::size_t>(i) % vendorFolders.size()];
    lines.push_back(Format("mix%05d.exe=Mix %05d|%s", n, n, folder.c_str()));
  }
  std::shuffle(lines.begin(), lines.end(), random);
  WriteDefinitionFile(mixFolder_, "FileDefinition.dat", lines);
  mixFileLines_ = std::move(lines);
}

void PlantedMachine::WriteExecutableDefinitions() {
  std::vector<std::string> lines;
  for (int n = 0; static_cast<int>(lines.size()) < size_.executableNames; ++n) {
    lines.push_back(n % 3 == 0 ? Format("adw%05d.exe", n) : Format("adproc%04d.exe", n));
  }
  WriteDefinitionFile(appFolder_, "ExeDefinition.dat", lines);
  WriteDefinitionFile(mixFolder_, "ExeDefinition.dat", lines);
}

void PlantedMachine::WriteCookies() {
  std::mt19937 random(3);
  // Five kinds of pattern, each with its own number; a handful without any plain run,
  // which every site has to be tried against.
  std::vector<std::string> patterns;
  for (int n = 0; static_cast<int>(patterns.size()) < size_.cookiePatterns; ++n) {
    if (n % 1000 == 999) {
      patterns.push_back("[x-z]#[0-9]?");
      continue;
    }
    switch (n % 5) {
      case 0: patterns.push_back(Format("*adsite%d*", n)); break;
      case 1: patterns.push_back(Format("ads?.example%d#.com", n)); break;
      case 2: patterns.push_back(Format("[a-c]track%d*", n)); break;
      case 3: patterns.push_back(Format("stats#.tracker%d.net", n)); break;
      default: patterns.push_back(Format("*.clickmeter%d.[a-z]*", n)); break;
    }
  }
  WriteDefinitionFile(appFolder_, "BlockedCookies.dat", patterns);
  WriteDefinitionFile(mixFolder_, "BlockedCookies.dat", patterns);

  std::uniform_int_distribution<int> pick(0, size_.cookiePatterns / 5 - 1);
  std::uniform_int_distribution<int> digit(0, 9);
  std::uniform_int_distribution<int> records(1, 4);
  for (int i = 0; i < size_.cookieFiles; ++i) {
    std::string host;
    if (i % (size_.cookieFiles / kMatchingCookieFiles + 1) == 0) {
      const int n = pick(random) * 5;  // a pattern number of kind 0
      switch (i % 5) {
        case 0: host = Format("www.adsite%d.com", n); break;
        case 1: host = Format("ads%d.example%d%d.com", digit(random), n + 1, digit(random)); break;
        case 2: host = Format("btrack%d.net", n + 2); break;
        case 3: host = Format("stats%d.tracker%d.net", digit(random), n + 3); break;
        default: host = Format("img.clickmeter%d.com", n + 4); break;
      }
      ++matchingCookies_;
    } else {
      switch (i % 4) {
        case 0: host = Format("www.newsportal%d.com", i); break;
        case 1: host = Format("shop%d.example.org", i); break;
        case 2: host = Format("mail.provider%d.net", i); break;
        default: host = Format("www.weather%d.co.uk", i); break;
      }
    }
    // The file is named after the host without "www." and without its last part.
    std::string key = host.starts_with("www.") ? host.substr(4) : host;
    key.resize(key.rfind('.'));
    WriteWholeFile(Format("%s\\benchuser@%s[%d].txt", cookieFolder_.c_str(), key.c_str(), 1 + i % 3),
                   CookieContent(host, records(random), random));
  }
  // What else a cookie folder holds: the cache index and a sub-folder.
  WriteWholeFile(cookieFolder_ + "\\index.dat", std::string(32768, '\0'));
  ::CreateDirectoryA((cookieFolder_ + "\\Low").c_str(), nullptr);
}

}  // namespace kestrian::bench
