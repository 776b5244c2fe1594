#include "core/line_reader.h"

namespace kestrian::core {

bool LineReader::Next(std::string_view& line) {
  if (rest_.empty()) return false;
  const auto cr = rest_.find('\r');
  if (cr == std::string_view::npos) {
    line = rest_;
    rest_ = {};
    return true;
  }
  line = rest_.substr(0, cr);
  const bool crlf = cr + 1 < rest_.size() && rest_[cr + 1] == '\n';
  rest_.remove_prefix(cr + (crlf ? 2 : 1));
  return true;
}

std::int32_t CountLines(std::string_view content) {
  LineReader reader(content);
  std::string_view line;
  std::int32_t count = 0;
  while (count < INT32_MAX && reader.Next(line)) ++count;
  return count;
}

}  // namespace kestrian::core
