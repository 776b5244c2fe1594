// Plants a machine for an end-to-end run from a plan file, reports it and takes it away again.
//   planter plant PLAN SLEEPER PROBE OUT  plants every line (cleaning first, so leftovers
//                          of a killed run never pile up); writes OUT\values.txt (NAME=value)
//   planter check PLAN     every line with an expected state after the run: prints each that
//                          differs; exit code 1 when one does
//   planter dump PLAN OUT  every file and cookie with its bytes, every key with its values
//   planter stop PLAN      stops the planted processes
//   planter clean PLAN     stops them and removes what was planted
// A plan line is KIND|FIELD|..., "#" starts a comment. ${DRIVE} ("C:\"), ${SYSTEM},
// ${WINDOWS} and ${DESKTOP} stand for this machine's folders; <CRLF> and <LF> in a text for line ends. Kinds:
//   folder|PATH                          made on plant, removed with all inside on clean
//   key|HIVE\KEY|AFTER                   removed with all inside on clean; dumped
//   seen-key|HIVE\KEY|AFTER              a key the machine has: only checked
//   new-key|HIVE\KEY|AFTER               as key, and must not exist before (a key Windows has)
//   file|PATH|TEXT|AFTER                 removed on clean
//   copy|PATH|probe|AFTER
//   attributes|PATH|rhs                  makes a planted file read-only, hidden, system
//   run|PATH|AFTER                       a running copy of the sleeper (AFTER: "absent stopped")
//   hold|PATH|read or none|AFTER         a copy of the sleeper keeping PATH open, sharing that
//   cookie|NAME|TEXT|AFTER               in the cookie folder (made when missing)
//   value|HIVE\KEY|NAME|TYPE|DATA|AFTER  TYPE sz, expand, multi (parts split by ";"), or
//                                        dword, qword, binary with DATA in hex; dumped with
//                                        an AFTER only (a setting the run changes has none)
//   seen|HIVE\KEY|NAME|AFTER             a value the machine has: only checked
//   exists|PATH|AFTER                    a file the machine has: only checked
//   process|PATH|AFTER                   a program the machine runs: only checked
//   short|NAME|PATH                      NAME=PATH and SHORT_NAME=its 8.3 form in values.txt
//   unset|HIVE\KEY|NAME                  a value the run may leave, deleted on clean
// AFTER is what "check" expects: present or absent (a process: running or stopped).
#include <windows.h>

#include <psapi.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "platform/win32/unique_handle.h"

namespace {

using kestrian::platform::win32::UniqueFileHandle;
using kestrian::platform::win32::UniqueFindHandle;
using kestrian::platform::win32::UniqueHandle;
using kestrian::platform::win32::UniqueHkey;
using Fields = std::vector<std::string>;

bool failed = false;
void Fail(const std::string& what) {
  std::fprintf(stderr, "planter: %s (error %lu)\n", what.c_str(), ::GetLastError());
  failed = true;
}

// What the planter notes for "clean": keys it made where Windows has none, the cookie folder.
constexpr char kNotes[] = "HKCU\\Software\\KestrianE2EPlanter";

// The folder's path; "" when it is missing and not to be made.
std::string Folder(int csidl, bool make = false) {
  char buffer[MAX_PATH + 1] = {};
  if (!::SHGetSpecialFolderPathA(nullptr, buffer, csidl, make)) return {};
  return buffer;
}

std::string CookiePath(const std::string& name) { return Folder(CSIDL_COOKIES) + "\\" + name; }

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

std::string Expand(std::string text) {
  text = Replaced(text, "${DRIVE}", Folder(CSIDL_PROGRAMS).substr(0, 3));
  text = Replaced(text, "${SYSTEM}", Folder(CSIDL_SYSTEM));
  text = Replaced(text, "${WINDOWS}", Folder(CSIDL_WINDOWS));
  text = Replaced(text, "${DESKTOP}", Folder(CSIDL_DESKTOPDIRECTORY));
  return Replaced(Replaced(text, "<CRLF>", "\r\n"), "<LF>", "\n");
}

std::vector<Fields> ReadPlan(const char* path) {
  std::vector<Fields> plan;
  std::ifstream file(path);
  if (!file) Fail(std::string("cannot read ") + path);
  for (std::string line; std::getline(file, line);) {
    if (line.empty() || line[0] == '#') continue;
    Fields& fields = plan.emplace_back();
    std::istringstream parts(line);
    for (std::string field; std::getline(parts, field, '|');) fields.push_back(Expand(field));
    fields.resize(std::max<size_t>(fields.size(), 6));  // the fields a line leaves out are empty
  }
  return plan;
}

bool Exists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool Write(const std::string& path, const std::string& content) {
  std::ofstream file(path, std::ios::binary);
  if (file << content && file.flush()) return true;
  Fail("cannot write " + path);
  return false;
}

void RemoveTree(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
    WIN32_FIND_DATAA entry{};
    UniqueFindHandle search(::FindFirstFileA((path + "\\*").c_str(), &entry));
    for (BOOL more = bool(search); more; more = ::FindNextFileA(search.get(), &entry)) {
      const std::string name = entry.cFileName;
      if (name != "." && name != "..") RemoveTree(path + "\\" + name);
    }
    search.reset();  // a folder being searched cannot be removed
    if (!::RemoveDirectoryA(path.c_str())) Fail("cannot remove " + path);
    return;
  }
  ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (!::DeleteFileA(path.c_str())) Fail("cannot delete " + path);
}

std::string Read(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return file ? std::string(std::istreambuf_iterator<char>(file), {}) : "(unreadable)";
}

struct Key {
  HKEY root;
  std::string path;
  std::string name;  // as the dump writes it
};

Key KeyOf(const std::string& text) {
  const std::string path = text.substr(text.find('\\') + 1);
  return text.starts_with("HKLM\\") ? Key{HKEY_LOCAL_MACHINE, path, "HKEY_LOCAL_MACHINE\\" + path}
                                    : Key{HKEY_CURRENT_USER, path, "HKEY_CURRENT_USER\\" + path};
}

bool KeyExists(const Key& key) {
  UniqueHkey opened;
  return ::RegOpenKeyExA(key.root, key.path.c_str(), 0, KEY_READ, opened.put()) == ERROR_SUCCESS;
}

bool ReadValue(const Key& key, const std::string& name, DWORD& type, std::string& data) {
  data.assign(1 << 16, '\0');
  auto size = static_cast<DWORD>(data.size());
  const bool read = ::RegGetValueA(key.root, key.path.c_str(), name.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &type,
                                   data.data(), &size) == ERROR_SUCCESS;
  data.resize(read ? size : 0);
  return read;
}

std::string FromHex(const std::string& hex) {
  std::string bytes;
  for (size_t at = 0; at + 1 < hex.size(); at += 2) bytes.push_back(static_cast<char>(std::stoi(hex.substr(at, 2), nullptr, 16)));
  return bytes;
}

std::string Hex(const std::string& bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  for (unsigned char byte : bytes) text += std::string{kDigits[byte >> 4], kDigits[byte & 0x0F]};
  return text;
}

void SetValue(const Key& key, const std::string& name, const std::string& type, const std::string& data) {
  DWORD kind = REG_SZ;
  std::string bytes = data + std::string(1, '\0');
  if (type == "expand") kind = REG_EXPAND_SZ;
  if (type == "multi") kind = REG_MULTI_SZ, bytes = Replaced(data, ";", std::string(1, '\0')) + std::string(2, '\0');
  if (type == "dword") kind = REG_DWORD, bytes = FromHex(data);
  if (type == "qword") kind = REG_QWORD, bytes = FromHex(data);
  if (type == "binary") kind = REG_BINARY, bytes = FromHex(data);
  UniqueHkey opened;
  if (::RegCreateKeyExA(key.root, key.path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, opened.put(), nullptr) !=
      ERROR_SUCCESS) {
    return Fail("cannot create key " + key.name);
  }
  if (type != "key" && ::RegSetValueExA(opened.get(), name.c_str(), 0, kind,
                                        reinterpret_cast<const BYTE*>(bytes.data()),
                                        static_cast<DWORD>(bytes.size())) != ERROR_SUCCESS) {
    Fail("cannot set " + key.name + "\\" + name);
  }
}

void DeleteKey(const Key& key) {
  ::RegDeleteTreeA(key.root, key.path.c_str());
  if (KeyExists(key) && ::RegDeleteKeyA(key.root, key.path.c_str()) != ERROR_SUCCESS) Fail("cannot delete " + key.name);
}

void DeleteValue(const Key& key, const std::string& name) {
  const LSTATUS status = ::RegDeleteKeyValueA(key.root, key.path.c_str(), name.c_str());
  if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) Fail("cannot delete " + key.name + "\\" + name);
}

// The dump's line of a value; "" when there is none.
std::string ValueLine(const Key& key, const std::string& name) {
  DWORD type = 0;
  std::string data;
  if (!ReadValue(key, name, type, data)) return {};
  return "value " + key.name + " [" + name + "] type " + std::to_string(type) + " " + Hex(data) + "\n";
}

bool HasValue(const Key& key, const std::string& name) { return !ValueLine(key, name).empty(); }

// The key, each of its values and each of its sub-keys, one line each.
void DumpKey(const Key& key, std::string& lines) {
  UniqueHkey opened;
  if (::RegOpenKeyExA(key.root, key.path.c_str(), 0, KEY_READ, opened.put()) != ERROR_SUCCESS) return;
  lines += "key " + key.name + "\n";
  char name[16384];
  for (DWORD index = 0, length = sizeof name;
       ::RegEnumValueA(opened.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
       ++index, length = sizeof name) {
    lines += ValueLine(key, std::string(name, length));
  }
  for (DWORD index = 0, length = sizeof name;
       ::RegEnumKeyExA(opened.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
       ++index, length = sizeof name) {
    const std::string child(name, length);
    DumpKey({key.root, key.path + "\\" + child, key.name + "\\" + child}, lines);
  }
}

// The ids of the processes running `program`.
std::vector<DWORD> Running(const std::string& program) {
  std::vector<DWORD> ids;
  UniqueFileHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = ::Process32First(snapshot.get(), &entry); more; more = ::Process32Next(snapshot.get(), &entry)) {
    UniqueHandle process(::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, entry.th32ProcessID));
    char path[MAX_PATH] = {};
    if (process && ::GetModuleFileNameExA(process.get(), nullptr, path, MAX_PATH) &&
        _stricmp(path, program.c_str()) == 0) {
      ids.push_back(entry.th32ProcessID);
    }
  }
  return ids;
}

void Stop(const std::string& program) {
  for (DWORD id : Running(program)) {
    UniqueHandle process(::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id));
    if (!process) continue;  // ended meanwhile
    ::TerminateProcess(process.get(), 0);
    if (::WaitForSingleObject(process.get(), 60000) != WAIT_OBJECT_0) Fail("cannot stop " + program);
  }
}

void Start(const std::string& program, const std::string& arguments, const std::string& ready) {
  std::string commandLine = "\"" + program + "\"" + arguments;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
    return Fail("cannot start " + program);
  }
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  // The scan reads the program's path: a process counts once it has one. A loaded machine may
  // be slow to start a program: it has a minute.
  for (DWORD start = ::GetTickCount(); ready.empty() ? Running(program).empty() : !Exists(ready); ::Sleep(20)) {
    if (::GetTickCount() - start >= 60000) return Fail(program + " did not get ready");
  }
}

std::string HolderOf(const std::string& path) { return path.substr(0, path.rfind('\\')) + "\\kse2_holder.exe"; }

int Stop(const std::vector<Fields>& plan) {
  for (const Fields& line : plan) {
    if (line[0] == "run") Stop(line[1]);
    if (line[0] == "hold") Stop(HolderOf(line[1]));
  }
  return failed ? 1 : 0;
}

int Clean(const std::vector<Fields>& plan) {
  const Key notes = KeyOf(kNotes);
  Stop(plan);
  for (const Fields& line : plan) {
    const std::string& kind = line[0];
    if (kind == "folder" || kind == "file") RemoveTree(line[1]);
    if (kind == "cookie") RemoveTree(CookiePath(line[1]));
    if (kind == "key" || (kind == "new-key" && HasValue(notes, line[1]))) DeleteKey(KeyOf(line[1]));
    if (kind == "value" || kind == "unset") DeleteValue(KeyOf(line[1]), line[2]);
  }
  DWORD type = 0;
  std::string made;
  if (ReadValue(notes, "cookies", type, made)) ::RemoveDirectoryA(made.c_str());  // when empty
  DeleteKey(notes);
  return failed ? 1 : 0;
}

int Dump(const std::vector<Fields>& plan, const std::string& out) {
  std::string lines;
  for (const Fields& line : plan) {
    const std::string& kind = line[0];
    const std::string& where = line[1];
    if (kind == "file" || kind == "copy" || kind == "run") lines += "file " + where + " " + Hex(Read(where)) + "\n";
    if (kind == "cookie") lines += "cookie " + CookiePath(where) + " " + Hex(Read(CookiePath(where))) + "\n";
    if (kind == "key") DumpKey(KeyOf(where), lines);
    if (kind == "value" && !line[5].empty()) lines += ValueLine(KeyOf(where), line[2]);
  }
  return Write(out, lines) ? 0 : 1;
}

// Every kind of line but the processes.
void PlantItem(const Fields& line, const std::string& sleeper, const std::string& probe, std::string& values) {
  const std::string& kind = line[0];
  const std::string& where = line[1];
  const Key notes = KeyOf(kNotes);
  if (kind == "folder" && !::CreateDirectoryA(where.c_str(), nullptr)) Fail("cannot create " + where);
  if (kind == "new-key" && KeyExists(KeyOf(where))) return Fail(where + " exists already");
  if (kind == "new-key") SetValue(notes, where, "sz", "made by the plant");
  if (kind == "key" || kind == "new-key") SetValue(KeyOf(where), "", "key", "");
  if (kind == "value") SetValue(KeyOf(where), line[2], line[3], line[4]);
  if (kind == "file") Write(where, line[2]);
  const std::string& flags = line[2];
  const DWORD attributes = (flags.find('r') != std::string::npos ? FILE_ATTRIBUTE_READONLY : 0) |
                           (flags.find('h') != std::string::npos ? FILE_ATTRIBUTE_HIDDEN : 0) |
                           (flags.find('s') != std::string::npos ? FILE_ATTRIBUTE_SYSTEM : 0);
  if (kind == "attributes" && !::SetFileAttributesA(where.c_str(), attributes)) Fail("cannot mark " + where);
  const std::string source = kind == "run" ? sleeper : line[2] == "probe" ? probe : "";
  if (!source.empty() && !::CopyFileA(source.c_str(), where.c_str(), FALSE)) Fail("cannot copy to " + where);
  if (kind == "cookie" && Folder(CSIDL_COOKIES).empty()) {  // a fresh prefix has none yet
    const std::string made = Folder(CSIDL_COOKIES, true);
    if (made.empty()) return Fail("cannot make the cookie folder");
    SetValue(notes, "cookies", "sz", made);
  }
  if (kind == "cookie") Write(CookiePath(where), line[2]);
  if (kind == "short") {
    char shortPath[MAX_PATH] = {};
    const DWORD length = ::GetShortPathNameA(line[2].c_str(), shortPath, MAX_PATH);
    values += where + "=" + line[2] + "\nSHORT_" + where + "=" + std::string(shortPath, length) + "\n";
  }
}

void StartItem(const Fields& line, const std::string& sleeper) {
  const std::string& where = line[1];
  if (line[0] == "run") Start(where, "", "");
  if (line[0] != "hold") return;
  const std::string holder = HolderOf(where);
  if (!Exists(holder) && !::CopyFileA(sleeper.c_str(), holder.c_str(), FALSE)) Fail("cannot copy to " + holder);
  const std::string ready = where + ".ready";
  Start(holder, " \"" + where + "\" " + line[2] + " \"" + ready + "\"", ready);
}

int Plant(const std::vector<Fields>& plan, const std::string& sleeper, const std::string& probe,
          const std::string& out) {
  if (Clean(plan) != 0) return 1;
  std::string values = Expand("DRIVE=${DRIVE}\n");
  for (const Fields& line : plan) PlantItem(line, sleeper, probe, values);
  // The processes start after the dump of what was planted: a held file cannot be read.
  if (failed || Dump(plan, out + "\\planted-dump.txt") != 0) return 1;
  for (const Fields& line : plan) StartItem(line, sleeper);
  return !failed && Write(out + "\\values.txt", values) ? 0 : 1;
}

// What a line's item is now, in the words of its expected state; "" for a line without one.
std::string StateOf(const Fields& line) {
  const std::string& kind = line[0];
  const std::string& where = line[1];
  const auto presence = [](bool present) { return present ? "present" : "absent"; };
  if (kind == "file" || kind == "copy" || kind == "exists") return presence(Exists(where));
  if (kind == "cookie") return presence(Exists(CookiePath(where)));
  if (kind == "key" || kind == "new-key" || kind == "seen-key") return presence(KeyExists(KeyOf(where)));
  if (kind == "value" || kind == "seen") return presence(HasValue(KeyOf(where), line[2]));
  if (kind == "run") return presence(Exists(where)) + std::string(Running(where).empty() ? " stopped" : " running");
  if (kind == "process") return Running(where).empty() ? "stopped" : "running";
  if (kind == "hold") return Running(HolderOf(where)).empty() ? "stopped" : "running";
  return {};
}

// Where a line of each kind holds its expected state.
size_t AfterField(const std::string& kind) {
  if (kind == "value") return 5;
  if (kind == "run" || kind == "exists" || kind == "process" || kind.ends_with("key")) return 2;
  return 3;
}

int Check(const std::vector<Fields>& plan) {
  for (const Fields& line : plan) {
    const std::string& expected = line[AfterField(line[0])];
    const std::string state = StateOf(line);
    if (!state.empty() && !expected.empty() && state != expected) {
      const bool value = line[0] == "value" || line[0] == "seen";
      const std::string item = line[0] + " " + line[1] + (value ? " [" + line[2] + "]" : "");
      std::printf("%s: %s, expected %s\n", item.c_str(), state.c_str(), expected.c_str());
      failed = true;
    }
  }
  return failed ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc >= 3 ? argv[1] : "";
  const std::vector<Fields> plan = argc >= 3 ? ReadPlan(argv[2]) : std::vector<Fields>{};
  if (failed) return 1;
  if (command == "plant" && argc == 6) return Plant(plan, argv[3], argv[4], argv[5]);
  if (command == "check" && argc == 3) return Check(plan);
  if (command == "dump" && argc == 4) return Dump(plan, argv[3]);
  if (command == "stop" && argc == 3) return Stop(plan);
  if (command == "clean" && argc == 3) return Clean(plan);
  std::fputs("usage: planter plant PLAN SLEEPER PROBE OUT | check PLAN | dump PLAN OUT | stop PLAN | clean PLAN\n",
             stderr);
  return 2;
}
