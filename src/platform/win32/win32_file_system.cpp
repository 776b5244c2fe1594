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

}  // namespace kestrian::platform::win32
