#pragma once
// A finding about one line of a definition file or source, reported as "FILE:LINE: message".
#include <string>

namespace kestrian::kdefs {

struct Problem {
  int line = 0;  // 1-based
  std::string message;

  bool operator==(const Problem&) const = default;
};

}  // namespace kestrian::kdefs
