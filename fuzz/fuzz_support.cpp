#include "fuzz_support.h"

#include <ctime>

namespace kestrian::fuzz {

std::vector<std::string_view> Parts(std::string_view input, char separator) {
  std::vector<std::string_view> parts;
  for (auto at = input.find(separator); at != std::string_view::npos; at = input.find(separator)) {
    parts.push_back(input.substr(0, at));
    input.remove_prefix(at + 1);
  }
  parts.push_back(input);
  return parts;
}

std::pair<std::string_view, std::string_view> SplitOnce(std::string_view input, char separator) {
  const auto at = input.find(separator);
  if (at == std::string_view::npos) return {input, {}};
  return {input.substr(0, at), input.substr(at + 1)};
}

std::string Repeated(std::string_view input, std::size_t bytes) {
  std::string out;
  if (input.empty()) return out;
  out.reserve(bytes + input.size());
  while (out.size() < bytes) out.append(input);
  return out;
}

bool TimeThisInput(std::string_view input) {
#ifdef KESTRIAN_FUZZING
  std::uint32_t hash = 2166136261u;  // FNV-1a
  for (const char c : input) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
  return !input.empty() && hash % 64 == 0;
#else
  (void)input;
  return false;
#endif
}

bool GrewTooFast(double small, double large, std::size_t largeUnits) {
  if (large > 0.005 + 2e-6 * static_cast<double>(largeUnits)) return true;
  return large > 0.1 && large > 48 * small;
}

double ThreadSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

}  // namespace kestrian::fuzz
