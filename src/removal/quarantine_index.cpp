#include "removal/quarantine_index.h"

#include <cstdio>
#include <set>

#include <nlohmann/json.hpp>

#include "removal/quarantine_log.h"

namespace kestrian::removal {

namespace {
using Json = nlohmann::json;

constexpr int kFormat = 1;
constexpr std::size_t kMostRecords = 100000;

RecordKind KindOf(std::string_view name, bool& known) {
  known = true;
  if (name == "file") return RecordKind::File;
  if (name == "registry") return RecordKind::Registry;
  if (name == "cookie") return RecordKind::Cookie;
  known = false;
  return RecordKind::File;
}

bool IsHexDigest(std::string_view text) {
  return text.size() == 64 && text.find_first_not_of("0123456789abcdef") == std::string_view::npos;
}

template <class T>
bool Take(const Json& object, const char* name, T& out) {
  const auto found = object.find(name);
  if (found == object.end()) return false;
  if constexpr (std::is_same_v<T, std::string>) {
    if (!found->is_string()) return false;
  } else if constexpr (std::is_same_v<T, bool>) {
    if (!found->is_boolean()) return false;
  } else {
    if (!found->is_number_unsigned()) return false;
  }
  out = found->template get<T>();
  return true;
}

bool ReadRecord(const Json& item, QuarantineRecord& record) {
  std::string kind;
  bool known = false;
  if (!item.is_object() || !Take(item, "id", record.id) || !Take(item, "kind", kind) ||
      !Take(item, "location", record.location) || !Take(item, "backup", record.backup) ||
      !Take(item, "threat", record.threat) || !Take(item, "time", record.time) ||
      !Take(item, "size", record.size) || !Take(item, "sha256", record.sha256) ||
      !Take(item, "restored", record.restored)) {
    return false;
  }
  record.kind = KindOf(kind, known);
  if (item.contains("key") && !Take(item, "key", record.key)) return false;
  if (item.contains("deleteAtLogon") && !Take(item, "deleteAtLogon", record.deleteAtLogon)) return false;
  return known && record.id != 0 && IsPlainFileName(record.backup) && IsHexDigest(record.sha256) &&
         (record.kind == RecordKind::Registry) == !record.key.empty();
}
}  // namespace

std::string_view KindName(RecordKind kind) {
  switch (kind) {
    case RecordKind::File: return "file";
    case RecordKind::Registry: return "registry";
    case RecordKind::Cookie: return "cookie";
  }
  return "file";
}

bool IsPlainFileName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of(std::string_view("\\/:\0\r\n", 6)) == std::string_view::npos;
}

std::string IndexText(const std::vector<QuarantineRecord>& records) {
  Json list = Json::array();
  for (const QuarantineRecord& record : records) {
    Json item = {{"id", record.id},           {"kind", KindName(record.kind)},
                 {"location", record.location}, {"backup", record.backup},
                 {"threat", record.threat},     {"time", record.time},
                 {"size", record.size},         {"sha256", record.sha256},
                 {"restored", record.restored}};
    if (!record.key.empty()) item["key"] = record.key;
    if (record.deleteAtLogon) item["deleteAtLogon"] = true;
    list.push_back(std::move(item));
  }
  // Records are made of UTF-8 texts only (BackupRecorder); the handler never has to act.
  return Json{{"format", kFormat}, {"records", std::move(list)}}.dump(1, '\t', false,
                                                                         Json::error_handler_t::replace) +
         "\r\n";
}

IndexRead ParseIndex(std::string_view text) {
  if (text.size() > kMostIndexBytes) return {{}, "the quarantine index is too large"};
  const Json document = Json::parse(text, nullptr, false);
  if (document.is_discarded() || !document.is_object()) return {{}, "the quarantine index is not valid JSON"};
  const auto format = document.find("format");
  const auto records = document.find("records");
  if (format == document.end() || *format != kFormat || records == document.end() ||
      !records->is_array()) {
    return {{}, "the quarantine index is of an unknown format"};
  }
  if (records->size() > kMostRecords) return {{}, "the quarantine index holds too many records"};
  IndexRead read;
  std::set<std::uint64_t> ids;
  for (const Json& item : *records) {
    QuarantineRecord record;
    if (!ReadRecord(item, record) || !ids.insert(record.id).second) {
      return {{}, "the quarantine index holds a record that cannot be read"};
    }
    read.records.push_back(std::move(record));
  }
  return read;
}

std::string IndexPath(const core::ApplicationFolder& folder) {
  return QuarantinePath(folder, kIndexFileName);
}

IndexRead LoadIndex(platform::FileSystem& files, const core::ApplicationFolder& folder) {
  const std::string path = IndexPath(folder);
  if (files.Find(path).empty()) return {};
  const auto text = files.ReadAtMost(path, kMostIndexBytes);
  if (!text.ok() && text.status() == platform::kFileTooLarge) return {{}, "the quarantine index is too large"};
  if (!text.ok()) return {{}, "the quarantine index cannot be read (error " + std::to_string(text.status()) + ")"};
  return ParseIndex(text.value());
}

platform::Status SaveIndex(platform::FileSystem& files, const core::ApplicationFolder& folder,
                           const std::vector<QuarantineRecord>& records) {
  const std::string path = IndexPath(folder);
  const std::string temporary = path + ".new";
  if (const auto status = files.WriteAll(temporary, IndexText(records)); status != platform::kOk) {
    files.Delete(temporary);
    return status;
  }
  const auto status = files.MoveReplacing(temporary, path);
  if (status != platform::kOk) files.Delete(temporary);
  return status;
}

std::string IsoUtcTime(int year, int month, int day, int hour, int minute, int second) {
  char text[32] = {};
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02dZ", year, month, day, hour, minute,
                second);
  return text;
}

}  // namespace kestrian::removal
