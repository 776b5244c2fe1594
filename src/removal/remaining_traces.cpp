#include "removal/remaining_traces.h"

#include "core/text.h"
#include "removal/kept_reasons.h"
#include "scan/registry_definition.h"

namespace kestrian::removal {

namespace {
bool Missing(platform::Status status) {
  return status == platform::kFileNotFound || status == platform::kPathNotFound;
}

bool StillThere(platform::Machine& machine, const RemovalTrace& trace) {
  if (trace.kind == RemovalTrace::Kind::File) return !machine.files.Find(trace.path).empty();
  auto& registry = machine.registry;
  constexpr auto kQuery = platform::key_access::kQueryValue;
  if (trace.value.empty()) return !Missing(registry.OpenKey(trace.root, trace.path, kQuery));
  platform::RegistryValue value;
  return !Missing(registry.QueryValue(trace.root, trace.path, kQuery, trace.value, value));
}

std::string LocationOf(const RemovalTrace& trace) {
  return trace.kind == RemovalTrace::Kind::File ? trace.path
                                                : RegistryItemLocation(trace.root, trace.path, trace.value);
}

bool Listed(const ui::ListView& problems, const std::string& location) {
  for (const auto& item : problems.Items()) {
    if (core::EqualsIgnoringCase(item.text, location)) return true;
  }
  return false;
}
}  // namespace

std::vector<RemovalTrace> TracesOf(const ui::FrmMain& form) {
  std::vector<RemovalTrace> traces;
  for (const auto& row : form.lvwRegistryToBeDeleted.Items()) {
    traces.push_back({RemovalTrace::Kind::Registry,
                      static_cast<platform::RootKey>(
                          static_cast<std::uint32_t>(core::ParseNumber(row.text).value_or(0))),
                      std::string(core::Trim(row.SubItem(1))), std::string(core::Trim(row.SubItem(2)))});
  }
  for (const ui::ListView* files : {&form.lvwFilesToBeDeleted, &form.lvwCookiesToDelete}) {
    for (const auto& row : files->Items()) traces.push_back({RemovalTrace::Kind::File, 0, row.text, {}});
  }
  return traces;
}

std::string RegistryItemLocation(platform::RootKey root, std::string_view key, std::string_view value) {
  std::string location(scan::RootKeyName(root));
  location.append("\\").append(key);
  if (!value.empty()) location.append("\\").append(value);
  return location;
}

void ListRemainingTraces(platform::Machine& machine, const std::vector<RemovalTrace>& traces,
                         ui::FrmDelete& deleteFailed) {
  auto& problems = deleteFailed.lstProblem;
  for (const RemovalTrace& trace : traces) {
    const std::string location = LocationOf(trace);
    if (!StillThere(machine, trace) || Listed(problems, location)) continue;
    const auto row = problems.Add(location);
    problems.SetSubItem(row, 1, std::string(kept::kStillThere));
  }
}

}  // namespace kestrian::removal
