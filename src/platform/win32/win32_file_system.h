#pragma once
#include "platform/file_system.h"

namespace kestrian::platform::win32 {

class Win32FileSystem final : public FileSystem {
 public:
  std::vector<DirectoryEntry> Find(std::string_view pattern) override;
  Result<std::vector<FolderEntry>> ListFolder(std::string_view folder,
                                              std::size_t maxEntries) override;
  Result<std::string> ReadAll(std::string_view path) override;
  Result<std::string> ReadAtMost(std::string_view path, std::uint64_t maxBytes) override;
  Status WriteAll(std::string_view path, std::string_view bytes) override;
  Status Append(std::string_view path, std::string_view bytes) override;
  Status Delete(std::string_view path) override;
  Status ClearReadOnly(std::string_view path) override;
  Status MoveReplacing(std::string_view from, std::string_view to) override;
  Status Copy(std::string_view from, std::string_view to, bool failIfExists) override;
  Status CreateFolder(std::string_view path) override;
  std::string FullPath(std::string_view path) override;
  Result<std::string> ResolvedPath(std::string_view path) override;
};

}  // namespace kestrian::platform::win32
