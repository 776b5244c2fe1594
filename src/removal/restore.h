#pragma once
// Taking a removal back: a backup of the quarantine index is checked against its SHA-256 and
// written back where it came from (a file to its path, a registry backup through the registry
// calls, all or nothing), its location goes on the exclusion list so that the next scan
// leaves it alone, and its record is marked restored. Deleting a backup removes it and its
// record. Every failure comes back with its reason; nothing is half restored.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/application_folder.h"
#include "core/exclusion_list.h"
#include "platform/machine.h"
#include "removal/quarantine_index.h"
#include "ui/host.h"

namespace kestrian::removal {

struct RestoreContext {
  platform::Machine& machine;
  const core::ApplicationFolder& folder;
  ui::Host& host;  // asks before anything is replaced
  core::ExclusionList& exclusions;
  std::string_view productName;
};

enum class RestoreResult { Done, Declined, Failed };

struct RestoreOutcome {
  RestoreResult result = RestoreResult::Failed;
  std::string reason;  // why not, when not done
};

class QuarantineRestore {
 public:
  explicit QuarantineRestore(RestoreContext context) : context_(context) {}

  // Reads the index again; the reason when it cannot be read.
  std::string Load();
  const std::vector<QuarantineRecord>& Records() const { return records_; }
  const QuarantineRecord* Find(std::uint64_t id) const;

  // What is there now with other content is replaced only on the user's Yes; without
  // `askBeforeReplacing` (the console) it is never replaced.
  RestoreOutcome Restore(std::uint64_t id, bool askBeforeReplacing = true);
  // The backup and its record, without a question.
  RestoreOutcome Delete(std::uint64_t id);

 private:
  RestoreOutcome RestoreFile(const QuarantineRecord& record, const std::string& bytes, bool ask);
  RestoreOutcome RestoreRegistry(const QuarantineRecord& record, const std::string& bytes, bool ask);
  bool CreateFolders(const std::string& path);
  bool Ask(const std::string& question);

  RestoreContext context_;
  std::vector<QuarantineRecord> records_;
};

}  // namespace kestrian::removal
