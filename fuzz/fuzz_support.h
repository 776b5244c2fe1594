#pragma once
// What every fuzz target shares: its entry point, the check that ends a run with a finding,
// the split of one input into the parts a target needs, and the time bound that makes
// work growing faster than its input a finding too.
//
// A target is built two ways. With libFuzzer (clang, KESTRIAN_FUZZ) its entry point is
// LLVMFuzzerTestOneInput. In the ordinary native build the replay program of the tests
// links every target at once, each entry renamed through KESTRIAN_FUZZ_ENTRY.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#ifndef KESTRIAN_FUZZ_ENTRY
#define KESTRIAN_FUZZ_ENTRY LLVMFuzzerTestOneInput
#endif
#define KESTRIAN_FUZZ_TARGET extern "C" int KESTRIAN_FUZZ_ENTRY(const std::uint8_t* data, std::size_t size)

// A broken oracle is a finding: say which, then abort so that the fuzzer keeps the input.
#define FUZZ_CHECK(condition)                                                                   \
  do {                                                                                          \
    if (!(condition)) ::kestrian::fuzz::Fail(__FILE__, __LINE__, #condition);                   \
  } while (false)

namespace kestrian::fuzz {

[[noreturn]] inline void Fail(const char* file, int line, const char* condition) {
  std::fprintf(stderr, "%s:%d: fuzz check failed: %s\n", file, line, condition);
  std::abort();
}

inline std::string_view AsText(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// The input cut at every byte `separator` (the last part may be empty).
std::vector<std::string_view> Parts(std::string_view input, char separator);

// The first part up to `separator` and the rest after it (the rest empty when there is none).
std::pair<std::string_view, std::string_view> SplitOnce(std::string_view input, char separator);

// The input repeated to at least `bytes` bytes (nothing for an empty input).
std::string Repeated(std::string_view input, std::size_t bytes);

// The size the time check blows inputs up to.
inline constexpr std::size_t kLargeInput = 256 * 1024;

// Whether this input also gets the time check: one in 64 inputs, chosen by its bytes so that
// a finding replays, since the check costs a tenth of a second and the plain run far less.
// Only when fuzzing: the replay of the seeds in the test run checks no times.
bool TimeThisInput(std::string_view input);

// CPU time of this thread, in seconds: other programs on the machine do not count.
double ThreadSeconds();

template <class Work>
double SecondsOf(Work&& work) {
  const double start = ThreadSeconds();
  work();
  return ThreadSeconds() - start;
}

// How many times over the large input of the time check repeats the small one.
inline constexpr std::size_t kGrowth = 16;

// Whether work that took `small` seconds on some input and `large` on the same input sixteen
// times over grew faster than the input: linear work grows sixteenfold (twice that now and
// then on a busy machine, whose caches and page faults weigh on a run of a few milliseconds),
// quadratic work 256-fold, so 48-fold is the line, for work of a tenth of a second at least
// (a millisecond's run is all noise). Also work far slower than a linear reading of
// `largeUnits` units could be: 5 ms plus 2 microseconds a unit, five times what the readers
// take with the sanitizers and libFuzzer's comparison hooks.
bool GrewTooFast(double small, double large, std::size_t largeUnits);

// The time check of a target whose work grows with its input: when TimeThisInput holds,
// `work` runs on the input repeated to a sixteenth of `largeSize` bytes and then to sixteen
// times that, and growing faster than the input is a finding. Each byte counts as `unitsPerByte`
// units (more where each byte is compared with a short text of bounded length, such as a
// name or a pattern).
template <class Work>
void LinearOnLargeInput(std::string_view input, const char* what, Work&& work, std::size_t unitsPerByte = 1,
                        std::size_t largeSize = kLargeInput) {
  if (!TimeThisInput(input)) return;
  const std::string small = Repeated(input, largeSize / kGrowth);
  const std::string large = Repeated(small, kGrowth * small.size());
  // A busy machine slows a run now and then (caches, page faults): a finding must hold on the
  // quickest of three runs of each size.
  double smallSeconds = SecondsOf([&] { work(std::string_view(small)); });
  double largeSeconds = SecondsOf([&] { work(std::string_view(large)); });
  for (int again = 0; again < 2 && GrewTooFast(smallSeconds, largeSeconds, large.size() * unitsPerByte); ++again) {
    smallSeconds = std::min(smallSeconds, SecondsOf([&] { work(std::string_view(small)); }));
    largeSeconds = std::min(largeSeconds, SecondsOf([&] { work(std::string_view(large)); }));
  }
  if (GrewTooFast(smallSeconds, largeSeconds, large.size() * unitsPerByte)) {
    std::fprintf(stderr, "%s: %.3f s for %zu bytes, %.3f s for a sixteenth of them\n", what, largeSeconds,
                 large.size(), smallSeconds);
    std::abort();
  }
}

}  // namespace kestrian::fuzz
