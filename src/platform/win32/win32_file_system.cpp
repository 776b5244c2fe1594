#include "platform/win32/win32_file_system.h"

#include <algorithm>
#include <string>

#include "platform/win32/unique_handle.h"

namespace kestrian::platform::win32 {

namespace {
Status LastError() {
  const DWORD error = ::GetLastError();
  return error == 0 ? kInvalidHandle : static_cast<Status>(error);
}

Status WriteBytes(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    DWORD written = 0;
    const auto chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 20));
    if (!::WriteFile(file, bytes.data(), chunk, &written, nullptr)) return LastError();
    bytes.remove_prefix(written);
  }
  return kOk;
}

constexpr DWORD kLongestPath = 32768;

// "C:\" or "\\server\share": nothing above it can be looked at.
bool IsRoot(std::string_view path) {
  if (path.size() <= 3 && path.size() >= 2 && path[1] == ':') return true;
  return path.substr(0, 2) == "\\\\" && std::count(path.begin(), path.end(), '\\') <= 3;
}

bool IsMissing(Status status) { return status == kFileNotFound || status == kPathNotFound; }

// The final path of an existing file or folder, as its handle names it.
Result<std::string> FinalPath(const std::string& path) {
  UniqueFileHandle file(::CreateFileA(path.c_str(), 0,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file) return Result<std::string>::Failure(LastError());
  std::string buffer(kLongestPath, '\0');
  const DWORD length = ::GetFinalPathNameByHandleA(file.get(), buffer.data(), kLongestPath,
                                                   FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  if (length == 0 || length >= kLongestPath) return Result<std::string>::Failure(LastError());
  buffer.resize(length);
  return WithoutDevicePrefix(buffer);
}

// The long form of an existing path, for one the final path is refused for (no access).
Result<std::string> LongPath(const std::string& path) {
  std::string buffer(kLongestPath, '\0');
  const DWORD length = ::GetLongPathNameA(path.c_str(), buffer.data(), kLongestPath);
  if (length == 0 || length >= kLongestPath) return Result<std::string>::Failure(LastError());
  buffer.resize(length);
  return buffer;
}

std::string Joined(std::string folder, std::string_view rest) {
  if (rest.empty()) return folder;
  if (folder.empty() || folder.back() != '\\') folder += '\\';
  return folder + std::string(rest);
}

Status OpenForWriting(std::string_view path, DWORD disposition, UniqueFileHandle& file) {
  const std::string name(path);
  file = UniqueFileHandle(::CreateFileA(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                        disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
  return file ? kOk : LastError();
}
}  // namespace

std::vector<DirectoryEntry> Win32FileSystem::Find(std::string_view pattern) {
  std::vector<DirectoryEntry> entries;
  const std::string search(pattern);
  WIN32_FIND_DATAA data{};
  UniqueFindHandle find(::FindFirstFileA(search.c_str(), &data));
  if (!find) return entries;
  do {
    const std::string_view name = data.cFileName;
    if (name == "." || name == "..") continue;
    entries.push_back({std::string(name), data.dwFileAttributes});
  } while (::FindNextFileA(find.get(), &data));
  return entries;
}

Result<std::vector<FolderEntry>> Win32FileSystem::ListFolder(std::string_view folder,
                                                             std::size_t maxEntries) {
  using Listing = Result<std::vector<FolderEntry>>;
  const std::string search = std::string(folder) + "\\*";
  WIN32_FIND_DATAA data{};
  UniqueFindHandle find(::FindFirstFileA(search.c_str(), &data));
  if (!find) return Listing::Failure(LastError());
  std::vector<FolderEntry> entries;
  do {
    const std::string_view name = data.cFileName;
    if (name == "." || name == "..") continue;
    if (entries.size() == maxEntries) return Listing::Failure(kMoreData);
    entries.push_back({std::string(name), data.cAlternateFileName, data.dwFileAttributes});
  } while (::FindNextFileA(find.get(), &data));
  // A listing cut short would pass for a folder without the names it did not reach.
  if (::GetLastError() != ERROR_NO_MORE_FILES) return Listing::Failure(LastError());
  return entries;
}

Result<std::string> Win32FileSystem::ReadAll(std::string_view path) {
  return ReadAtMost(path, UINT64_MAX);
}

Result<std::string> Win32FileSystem::ReadAtMost(std::string_view path, std::uint64_t maxBytes) {
  const std::string name(path);
  UniqueFileHandle file(::CreateFileA(name.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) return Result<std::string>::Failure(LastError());
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(file.get(), &size)) return Result<std::string>::Failure(LastError());
  if (static_cast<std::uint64_t>(size.QuadPart) > maxBytes) return Result<std::string>::Failure(kFileTooLarge);
  std::string content(static_cast<std::size_t>(size.QuadPart), '\0');
  std::size_t done = 0;
  while (done < content.size()) {
    DWORD read = 0;
    const auto chunk = static_cast<DWORD>(std::min<std::size_t>(content.size() - done, 1u << 20));
    if (!::ReadFile(file.get(), content.data() + done, chunk, &read, nullptr)) {
      return Result<std::string>::Failure(LastError());
    }
    if (read == 0) break;  // the file shrank while we read it
    done += read;
  }
  content.resize(done);
  return content;
}

Status Win32FileSystem::WriteAll(std::string_view path, std::string_view bytes) {
  UniqueFileHandle file;
  if (const Status status = OpenForWriting(path, CREATE_ALWAYS, file); status != kOk) return status;
  return WriteBytes(file.get(), bytes);
}

Status Win32FileSystem::Append(std::string_view path, std::string_view bytes) {
  UniqueFileHandle file;
  if (const Status status = OpenForWriting(path, OPEN_ALWAYS, file); status != kOk) return status;
  if (::SetFilePointer(file.get(), 0, nullptr, FILE_END) == INVALID_SET_FILE_POINTER &&
      ::GetLastError() != NO_ERROR) {
    return LastError();
  }
  return WriteBytes(file.get(), bytes);
}

Status Win32FileSystem::Delete(std::string_view path) {
  const std::string name(path);
  return ::DeleteFileA(name.c_str()) ? kOk : LastError();
}

Status Win32FileSystem::ClearReadOnly(std::string_view path) {
  const std::string name(path);
  const DWORD attributes = ::GetFileAttributesA(name.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return LastError();
  if ((attributes & FILE_ATTRIBUTE_READONLY) == 0) return kOk;
  const DWORD others = attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
  return ::SetFileAttributesA(name.c_str(), others != 0 ? others : FILE_ATTRIBUTE_NORMAL) ? kOk : LastError();
}

Status Win32FileSystem::MoveReplacing(std::string_view from, std::string_view to) {
  const std::string source(from);
  const std::string target(to);
  return ::MoveFileExA(source.c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
             ? kOk
             : LastError();
}

Status Win32FileSystem::Copy(std::string_view from, std::string_view to, bool failIfExists) {
  const std::string source(from);
  const std::string target(to);
  return ::CopyFileA(source.c_str(), target.c_str(), failIfExists ? TRUE : FALSE) ? kOk
                                                                                  : LastError();
}

Status Win32FileSystem::CreateFolder(std::string_view path) {
  const std::string name(path);
  return ::CreateDirectoryA(name.c_str(), nullptr) ? kOk : LastError();
}

std::string Win32FileSystem::FullPath(std::string_view path) {
  const std::string relative(path);
  char buffer[MAX_PATH * 2] = {};
  const DWORD length = ::GetFullPathNameA(relative.c_str(), sizeof buffer, buffer, nullptr);
  if (length == 0 || length >= sizeof buffer) return relative;
  return std::string(buffer, length);
}

Result<std::string> Win32FileSystem::ResolvedPath(std::string_view path) {
  const std::string plain = WithoutDevicePrefix(path);
  if (!IsPathText(plain)) return Result<std::string>::Failure(ERROR_INVALID_NAME);
  std::string head(kLongestPath, '\0');
  const DWORD length = ::GetFullPathNameA(plain.c_str(), kLongestPath, head.data(), nullptr);
  if (length == 0 || length >= kLongestPath) return Result<std::string>::Failure(LastError());
  head.resize(length);
  // The longest existing part resolved, the missing parts after it as given.
  std::string rest;
  for (;;) {
    auto resolved = FinalPath(head);
    if (!resolved.ok()) resolved = LongPath(head);
    if (resolved.ok()) return Joined(resolved.value(), rest);
    const std::size_t slash = head.find_last_of('\\');
    if (!IsMissing(resolved.status()) || IsRoot(head) || slash == std::string::npos) return resolved;
    const std::string part = head.substr(slash + 1);
    rest = rest.empty() ? part : part + "\\" + rest;
    head.resize(slash);
    if (head.size() == 2 && head[1] == ':') head += '\\';  // a drive's root keeps its backslash
  }
}

}  // namespace kestrian::platform::win32
