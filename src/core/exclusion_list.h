#pragma once
// The exclusion list: the findings the user declared harmless. The file in the application
// folder is only ever appended to; the in-memory text is rebuilt from it after every append.
#include <string>
#include <string_view>

#include "core/application_folder.h"
#include "platform/file_system.h"
#include "ui/host.h"

namespace kestrian::core {

// Whole-entry test: true when one CR LF separated piece of `exclusionText` equals
// `candidate` without regard to case. The candidate is not trimmed.
bool IsExcluded(std::string_view exclusionText, std::string_view candidate);

// First-occurrence test: the first place `name` occurs in the text (ignoring case) must run
// to the end of its entry. So a process name matches an entry that is the name or a path
// ending in it, unless an earlier entry holds the name inside a longer text.
bool IsNameExcluded(std::string_view exclusionText, std::string_view name);

// Appends the trimmed entry as a line of its own to the exclusion file of `folder`, creating
// the file. The file is read only at CR and CR LF line ends, and Notepad saves it without a
// final one, so a file that does not end in one gets a CR LF first: the entry would else be
// glued onto the last line and neither would match any more. Nothing else of the file changes.
platform::Status AppendExclusion(platform::FileSystem& files, const ApplicationFolder& folder,
                                 std::string_view entry);

class ExclusionList {
 public:
  ExclusionList(platform::FileSystem& files, const ApplicationFolder& folder, ui::Host& host,
                std::string& exclusionText)
      : files_(files), folder_(folder), host_(host), text_(exclusionText) {}

  // AppendExclusion, then reloads. A failed write loses the entry and still reloads.
  void Add(std::string_view entry);
  // Rebuilds the in-memory text from the file.
  void Load();

  bool IsExcluded(std::string_view candidate) const { return core::IsExcluded(text_, candidate); }
  bool IsNameExcluded(std::string_view name) const { return core::IsNameExcluded(text_, name); }
  const std::string& Text() const { return text_; }

 private:
  platform::FileSystem& files_;
  const ApplicationFolder& folder_;
  ui::Host& host_;
  std::string& text_;
};

}  // namespace kestrian::core
