#include "report/report_file.h"

namespace kestrian::report {

std::string PartialReportPath(std::string_view path) { return std::string(path) + ".partial"; }

platform::Status WriteReportFile(platform::FileSystem& files, std::string_view path,
                                 std::string_view text) {
  const std::string partial = PartialReportPath(path);
  platform::Status status = files.WriteAll(partial, text);
  if (status == platform::kOk) status = files.MoveReplacing(partial, path);
  if (status != platform::kOk) files.Delete(partial);
  return status;
}

}  // namespace kestrian::report
