#include "removal/protected_registry.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "core/text.h"
#include "core/path_parts.h"

namespace kestrian::removal {

namespace {
using Parts = std::vector<std::string>;

// Key: the key itself and its ancestors are refused, keys below it stay removable.
// Subtree: everything below it is refused as well, values included.
enum class Scope { Key, Subtree };

struct ListedKey {
  std::string_view path;  // upper case, as seen from HKEY_LOCAL_MACHINE or HKEY_CURRENT_USER
  Scope scope;
};

constexpr ListedKey kListedKeys[] = {
    // Where programs and extensions register: the keys stay, their entries are removable.
    {"SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\RUN", Scope::Key},
    {"SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\RUNONCE", Scope::Key},
    {"SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\RUNONCEEX", Scope::Key},
    {"SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\RUNSERVICES", Scope::Key},
    {"SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\RUNSERVICESONCE", Scope::Key},
    {"SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\POLICIES\\EXPLORER\\RUN", Scope::Key},
    {"SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\POLICIES\\SYSTEM", Scope::Key},
    {"SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\EXPLORER\\BROWSER HELPER OBJECTS", Scope::Key},
    {"SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\EXPLORER\\SHELLEXECUTEHOOKS", Scope::Key},
    {"SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\EXPLORER\\SHELLICONOVERLAYIDENTIFIERS", Scope::Key},
    {"SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\EXPLORER\\SHAREDTASKSCHEDULER", Scope::Key},
    {"SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\SHELL EXTENSIONS\\APPROVED", Scope::Key},
    {"SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\SHELLSERVICEOBJECTDELAYLOAD", Scope::Key},
    {"SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\APP PATHS", Scope::Key},
    {"SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\UNINSTALL", Scope::Key},
    {"SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\INTERNET SETTINGS", Scope::Key},
    {"SOFTWARE\\MICROSOFT\\WINDOWS NT\\CURRENTVERSION\\WINLOGON\\NOTIFY", Scope::Key},
    {"SOFTWARE\\MICROSOFT\\WINDOWS NT\\CURRENTVERSION\\IMAGE FILE EXECUTION OPTIONS", Scope::Key},
    {"SOFTWARE\\MICROSOFT\\WINDOWS NT\\CURRENTVERSION\\WINDOWS", Scope::Key},
    {"SOFTWARE\\MICROSOFT\\WINDOWS NT\\CURRENTVERSION\\SVCHOST", Scope::Key},
    {"SOFTWARE\\MICROSOFT\\INTERNET EXPLORER\\MAIN", Scope::Key},
    {"SOFTWARE\\MICROSOFT\\INTERNET EXPLORER\\TOOLBAR", Scope::Key},
    {"SOFTWARE\\MICROSOFT\\INTERNET EXPLORER\\EXTENSIONS", Scope::Key},
    {"SOFTWARE\\MICROSOFT\\INTERNET EXPLORER\\SEARCHSCOPES", Scope::Key},
    {"SOFTWARE\\MICROSOFT\\ACTIVE SETUP\\INSTALLED COMPONENTS", Scope::Key},
    {"SOFTWARE\\CLASSES\\CLSID", Scope::Key},
    {"SOFTWARE\\CLASSES\\INTERFACE", Scope::Key},
    {"SOFTWARE\\CLASSES\\TYPELIB", Scope::Key},
    {"SOFTWARE\\CLASSES\\APPID", Scope::Key},
    {"SOFTWARE\\CLASSES\\PROTOCOLS\\HANDLER", Scope::Key},
    {"SOFTWARE\\CLASSES\\PROTOCOLS\\FILTER", Scope::Key},
    {"SOFTWARE\\POLICIES", Scope::Key},
    {"SYSTEM\\CURRENTCONTROLSET\\SERVICES", Scope::Key},
    {"SYSTEM\\CURRENTCONTROLSET\\CONTROL", Scope::Key},
    // What Windows reads to start, log the user on and open files and folders.
    {"SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\EXPLORER\\SHELL FOLDERS", Scope::Subtree},
    {"SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\EXPLORER\\USER SHELL FOLDERS", Scope::Subtree},
    {"SOFTWARE\\MICROSOFT\\CRYPTOGRAPHY", Scope::Subtree},
    {"SOFTWARE\\MICROSOFT\\WINDOWS NT\\CURRENTVERSION\\PROFILELIST", Scope::Subtree},
    {"SOFTWARE\\MICROSOFT\\WINDOWS NT\\CURRENTVERSION\\FONTS", Scope::Subtree},
    {"SOFTWARE\\CLASSES\\*", Scope::Subtree},
    {"SOFTWARE\\CLASSES\\.EXE", Scope::Subtree},
    {"SOFTWARE\\CLASSES\\EXEFILE", Scope::Subtree},
    {"SOFTWARE\\CLASSES\\.COM", Scope::Subtree},
    {"SOFTWARE\\CLASSES\\COMFILE", Scope::Subtree},
    {"SOFTWARE\\CLASSES\\.BAT", Scope::Subtree},
    {"SOFTWARE\\CLASSES\\BATFILE", Scope::Subtree},
    {"SOFTWARE\\CLASSES\\.CMD", Scope::Subtree},
    {"SOFTWARE\\CLASSES\\CMDFILE", Scope::Subtree},
    {"SOFTWARE\\CLASSES\\.LNK", Scope::Subtree},
    {"SOFTWARE\\CLASSES\\LNKFILE", Scope::Subtree},
    {"SOFTWARE\\CLASSES\\.REG", Scope::Subtree},
    {"SOFTWARE\\CLASSES\\REGFILE", Scope::Subtree},
    {"SOFTWARE\\CLASSES\\DIRECTORY", Scope::Subtree},
    {"SOFTWARE\\CLASSES\\FOLDER", Scope::Subtree},
    {"SOFTWARE\\CLASSES\\DRIVE", Scope::Subtree},
    {"SYSTEM\\CURRENTCONTROLSET\\CONTROL\\SESSION MANAGER", Scope::Subtree},
    {"SYSTEM\\CURRENTCONTROLSET\\CONTROL\\SAFEBOOT", Scope::Subtree},
    {"SYSTEM\\CURRENTCONTROLSET\\CONTROL\\LSA", Scope::Subtree},
    {"SYSTEM\\CURRENTCONTROLSET\\CONTROL\\CLASS", Scope::Subtree},
    {"SYSTEM\\CURRENTCONTROLSET\\CONTROL\\NETWORKPROVIDER", Scope::Subtree},
    {"SYSTEM\\CURRENTCONTROLSET\\CONTROL\\COMPUTERNAME", Scope::Subtree},
    {"SYSTEM\\CURRENTCONTROLSET\\ENUM", Scope::Subtree},
    {"SYSTEM\\CURRENTCONTROLSET\\HARDWARE PROFILES", Scope::Subtree},
    {"SYSTEM\\SELECT", Scope::Subtree},
    {"SYSTEM\\MOUNTEDDEVICES", Scope::Subtree},
    {"SYSTEM\\SETUP", Scope::Subtree},
    {"HARDWARE", Scope::Subtree},
    {"SAM", Scope::Subtree},
    {"SECURITY", Scope::Subtree},
    {"BCD00000000", Scope::Subtree},
};

// The services and drivers Windows needs to start and to reach the network, each guarded
// with its whole key: storage and file systems, plug and play, RPC, logon and security,
// the event log, and the network stack from the adapters to name resolution and sharing.
constexpr std::string_view kNeededServices[] = {
    "ACPI",      "ACPIEX",     "BFE",          "BROKERINFRASTRUCTURE", "CNG",
    "CRYPTSVC",  "DCOMLAUNCH", "DHCP",         "DISK",                 "DNSCACHE",
    "EVENTLOG",  "FLTMGR",     "FVEVOL",       "GPSVC",                "INTELIDE",
    "KEYISO",    "KSECDD",     "KSECPKG",      "LANMANSERVER",         "LANMANWORKSTATION",
    "LSM",       "MOUNTMGR",   "MPSSVC",       "MRXSMB",               "MSISADRV",
    "MUP",       "NDIS",       "NETBIOS",      "NETBT",                "NETLOGON",
    "NETMAN",    "NETPROFM",   "NLASVC",       "NSI",                  "NSIPROXY",
    "NTFS",      "PARTMGR",    "PCI",          "PCIIDE",               "PLUGPLAY",
    "POWER",     "PROFSVC",    "RDBSS",        "RPCEPTMAPPER",         "RPCSS",
    "SAMSS",     "SCHEDULE",   "SPACEPORT",    "STORAHCI",             "STORNVME",
    "TCPIP",     "TCPIP6",     "TDX",          "AFD",                  "VOLMGR",
    "VOLMGRX",   "VOLSNAP",    "WINHTTPAUTOPROXYSVC", "WINMGMT",       "WINSOCK",
    "WINSOCK2",  "WLANSVC",    "WOF",
};

// Values Windows reads at logon from the machine's hive (the user's own Winlogon Shell is a
// place where adware starts, and stays removable). "*" is every value of the key.
struct ListedValue {
  std::string_view key;
  std::string_view name;
};
constexpr ListedValue kMachineValues[] = {
    {"SOFTWARE\\MICROSOFT\\WINDOWS NT\\CURRENTVERSION\\WINLOGON", "SHELL"},
    {"SOFTWARE\\MICROSOFT\\WINDOWS NT\\CURRENTVERSION\\WINLOGON", "USERINIT"},
    {"SOFTWARE\\MICROSOFT\\WINDOWS NT\\CURRENTVERSION\\WINLOGON", "SYSTEM"},
    {"SOFTWARE\\MICROSOFT\\WINDOWS NT\\CURRENTVERSION\\WINLOGON", "UIHOST"},
    {"SOFTWARE\\MICROSOFT\\WINDOWS NT\\CURRENTVERSION\\WINLOGON", "VMAPPLET"},
    {"SOFTWARE\\MICROSOFT\\WINDOWS NT\\CURRENTVERSION", "*"},
    {"SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION", "*"},
};

constexpr std::string_view kClasses = "SOFTWARE\\CLASSES";
constexpr std::string_view kCurrentConfig = "SYSTEM\\CURRENTCONTROLSET\\HARDWARE PROFILES\\CURRENT";

// A key as Windows maps it: which hive it lies in and its path there, upper case.
struct CanonicalKey {
  bool machine = false;  // in HKEY_LOCAL_MACHINE (HKEY_CLASSES_ROOT counts as there)
  bool rootOrChild = false;
  Parts parts;
};

Parts Prefixed(std::string_view prefix, Parts parts) {
  Parts joined = core::PathParts(prefix);
  joined.insert(joined.end(), parts.begin(), parts.end());
  return joined;
}

bool IsControlSet(std::string_view part) {
  constexpr std::string_view kControlSet = "CONTROLSET";
  if (part.size() <= kControlSet.size() || part.substr(0, kControlSet.size()) != kControlSet) return false;
  return std::all_of(part.begin() + kControlSet.size(), part.end(),
                      [](char c) { return c >= '0' && c <= '9'; });
}

// Nothing for a root that is none of the five.
std::optional<CanonicalKey> Canonical(platform::RootKey root, std::string_view subKey) {
  namespace roots = platform::roots;
  CanonicalKey key;
  Parts parts = core::PathParts(subKey);
  if (root == roots::kUsers) {
    // Each user's key holds what HKEY_CURRENT_USER shows, its "_Classes" key the classes.
    if (parts.empty()) return CanonicalKey{false, true, {}};
    const bool classes = parts.front().ends_with("_CLASSES");
    parts.erase(parts.begin());
    key.rootOrChild = parts.size() <= 1;
    key.parts = classes ? Prefixed(kClasses, std::move(parts)) : std::move(parts);
  } else if (root == roots::kClassesRoot || root == roots::kLocalMachine || root == roots::kCurrentUser ||
             root == roots::kCurrentConfig) {
    key.rootOrChild = parts.size() <= 1;
    key.machine = root != roots::kCurrentUser;
    if (root == roots::kClassesRoot) parts = Prefixed(kClasses, std::move(parts));
    if (root == roots::kCurrentConfig) parts = Prefixed(kCurrentConfig, std::move(parts));
    key.parts = std::move(parts);
  } else {
    return std::nullopt;
  }
  std::erase(key.parts, "WOW6432NODE");  // the 32-bit view mirrors its parent
  if (key.parts.size() >= 2 && key.parts[0] == "SYSTEM" && IsControlSet(key.parts[1])) {
    key.parts[1] = "CURRENTCONTROLSET";
  }
  return key;
}

bool StartsWith(const Parts& parts, const Parts& prefix) {
  return parts.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), parts.begin());
}

bool InNeededService(const Parts& parts) {
  static const Parts kServices = core::PathParts("SYSTEM\\CURRENTCONTROLSET\\SERVICES");
  if (parts.size() <= kServices.size() || !StartsWith(parts, kServices)) return false;
  const std::string& service = parts[kServices.size()];
  return std::find(std::begin(kNeededServices), std::end(kNeededServices), service) !=
         std::end(kNeededServices);
}

bool InGuardedSubtree(const Parts& parts) {
  for (const ListedKey& listed : kListedKeys) {
    if (listed.scope == Scope::Subtree && StartsWith(parts, core::PathParts(listed.path))) return true;
  }
  return InNeededService(parts);
}
}  // namespace

bool IsProtectedKey(platform::RootKey root, std::string_view subKey) {
  const auto key = Canonical(root, subKey);
  if (!key || key->rootOrChild) return true;
  for (const ListedKey& listed : kListedKeys) {
    if (StartsWith(core::PathParts(listed.path), key->parts)) return true;  // listed, or an ancestor
  }
  return InGuardedSubtree(key->parts);
}

bool IsProtectedValue(platform::RootKey root, std::string_view subKey, std::string_view valueName) {
  const auto key = Canonical(root, subKey);
  if (!key) return true;
  if (InGuardedSubtree(key->parts)) return true;
  if (!key->machine) return false;
  const std::string name = core::ToUpper(core::Trim(valueName));
  for (const ListedValue& listed : kMachineValues) {
    if ((listed.name == "*" || listed.name == name) && key->parts == core::PathParts(listed.key)) return true;
  }
  return false;
}

}  // namespace kestrian::removal
