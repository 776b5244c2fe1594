// Replays the seed corpus of the fuzz targets, so that the ordinary test run catches a target
// that no longer builds or that fails on its seeds, without clang and without fuzzing:
//   fuzz_replay CORPUS [TARGET]
// runs each target (or TARGET alone) on every file of CORPUS/<target>, in name order, then
// on an empty input. One process for all: the run costs well under a second.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#define KESTRIAN_FUZZ_ROW(name) extern "C" int FuzzTarget_##name(const std::uint8_t*, std::size_t);
#include "fuzz_targets.inc"
#undef KESTRIAN_FUZZ_ROW

namespace {

struct Target {
  std::string_view name;
  int (*entry)(const std::uint8_t*, std::size_t);
};

constexpr Target kTargets[] = {
#define KESTRIAN_FUZZ_ROW(name) {#name, &FuzzTarget_##name},
#include "fuzz_targets.inc"
#undef KESTRIAN_FUZZ_ROW
};

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Every seed of one target; false when it has none.
bool Replay(const Target& target, const std::filesystem::path& folder) {
  std::vector<std::filesystem::path> seeds;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    if (entry.is_regular_file()) seeds.push_back(entry.path());
  }
  if (error || seeds.empty()) {
    std::fprintf(stderr, "fuzz_replay: no seeds in %s\n", folder.c_str());
    return false;
  }
  std::sort(seeds.begin(), seeds.end());
  for (const auto& seed : seeds) {
    std::printf("%.*s: %s\n", static_cast<int>(target.name.size()), target.name.data(), seed.filename().c_str());
    std::fflush(stdout);  // a target that aborts is named above its report
    const std::string bytes = ReadFile(seed);
    target.entry(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  }
  target.entry(nullptr, 0);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: fuzz_replay CORPUS [TARGET]\n");
    return 2;
  }
  const std::filesystem::path corpus = argv[1];
  int replayed = 0;
  bool complete = true;
  for (const Target& target : kTargets) {
    if (argc == 3 && target.name != argv[2]) continue;
    complete = Replay(target, corpus / target.name) && complete;
    ++replayed;
  }
  if (replayed == 0) std::fprintf(stderr, "fuzz_replay: no target %s\n", argv[2]);
  std::printf("%d targets replayed\n", replayed);
  return complete && replayed > 0 ? 0 : 1;
}
