#include "app/kscan_quarantine.h"

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "app/console_host.h"
#include "core/exclusion_list.h"
#include "core/program_version.h"
#include "platform/win32/win32_machine.h"
#include "removal/pending_deletes.h"
#include "removal/restore.h"

namespace kestrian::app {

namespace {
constexpr int kDone = 0;
constexpr int kLeft = 1;
constexpr int kError = 2;

void Say(const std::string& text) {
  std::fputs(("kscan: " + text + "\n").c_str(), stderr);
}

void Print(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}

std::string State(const removal::QuarantineRecord& record) {
  if (record.restored) return "restored";
  return record.deleteAtLogon ? "deleted at the next logon" : "quarantined";
}

// The program's machine and folder, and the restore working on them.
class Quarantine {
 public:
  Quarantine() { exclusions_.Load(); }

  int List(bool json) {
    if (!Load()) return kError;
    if (json) {
      Print(removal::IndexText(restore_.Records()));
      return kDone;
    }
    std::string lines;
    for (const auto& record : restore_.Records()) {
      lines += std::to_string(record.id) + "\t" + record.time + "\t" +
               std::string(removal::KindName(record.kind)) + "\t" + record.threat + "\t" +
               record.location + "\t" + State(record) + "\n";
    }
    Print(lines);
    return kDone;
  }

  // Restores or deletes every id; all of them must be known before anything is done.
  int Each(std::span<char* const> words, bool restore) {
    if (!Load()) return kError;
    std::vector<std::uint64_t> ids;
    for (const char* word : words) {
      const std::string_view text = word;
      std::uint64_t id = 0;
      const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), id);
      if (error != std::errc() || end != text.data() + text.size() || restore_.Find(id) == nullptr) {
        Say("there is no quarantine record " + std::string(text));
        return kError;
      }
      ids.push_back(id);
    }
    int status = kDone;
    for (const std::uint64_t id : ids) {
      const std::string location = restore_.Find(id)->location;
      const auto outcome = restore ? restore_.Restore(id, false) : restore_.Delete(id);
      if (outcome.result == removal::RestoreResult::Done) continue;
      Say(std::to_string(id) + " " + location + (restore ? ": not restored: " : ": not deleted: ") +
          outcome.reason);
      status = kLeft;
    }
    return status;
  }

  int Finish() {
    const auto outcome = removal::FinishRemoval(machine_.Get(), folder_);
    for (const auto& line : outcome.lines) Print(line + "\n");
    if (!outcome.error.empty()) {
      Say(outcome.error);
      return kError;
    }
    return outcome.kept > 0 ? kLeft : kDone;
  }

 private:
  bool Load() {
    const std::string error = restore_.Load();
    if (!error.empty()) Say(error);
    return error.empty();
  }

  platform::win32::Win32Machine machine_;
  platform::VersionResource version_ = core::ProgramVersion(machine_.Get().environment);
  core::ApplicationFolder folder_ = core::ApplicationFolder::OfExecutable(machine_.Get().environment);
  ConsoleHost host_{stderr, false};
  std::string exclusionText_;
  core::ExclusionList exclusions_{machine_.Get().files, folder_, host_, exclusionText_};
  removal::QuarantineRestore restore_{{machine_.Get(), folder_, host_, exclusions_, version_.productName}};
};
}  // namespace

int RunQuarantineVerb(std::span<char* const> arguments) {
  const auto usage = [] {
    std::fputs("usage: kscan quarantine list [--json] | restore ID... | delete ID...\n", stderr);
    return kError;
  };
  if (arguments.empty()) return usage();
  const std::string_view verb = arguments[0];
  const auto rest = arguments.subspan(1);
  if (verb == "list" && rest.size() <= 1) {
    if (!rest.empty() && std::string_view(rest[0]) != "--json") return usage();
    return Quarantine().List(!rest.empty());
  }
  if ((verb == "restore" || verb == "delete") && !rest.empty()) {
    return Quarantine().Each(rest, verb == "restore");
  }
  return usage();
}

int RunFinishRemoval() { return Quarantine().Finish(); }

}  // namespace kestrian::app
