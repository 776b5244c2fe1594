#pragma once
// Sequential text lines of a data file: a line ends at CR LF or at a CR alone; a line feed
// that does not follow a carriage return belongs to the line.
#include <cstdint>
#include <string_view>

namespace kestrian::core {

class LineReader {
 public:
  explicit LineReader(std::string_view content) : rest_(content) {}
  // The next line without its terminator; false at the end of the content.
  bool Next(std::string_view& line);
  bool AtEnd() const { return rest_.empty(); }

 private:
  std::string_view rest_;
};

// How many lines the content holds by the rule above (an empty content holds none), at most
// INT32_MAX.
std::int32_t CountLines(std::string_view content);

}  // namespace kestrian::core
