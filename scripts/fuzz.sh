#!/usr/bin/env bash
# Fuzzes the parsers: every target of fuzz/ (or the ones named), one after the other, for
# SECONDS each, at the lowest priority:
#   bash scripts/fuzz.sh SECONDS [TARGET...]
# Installs clang and libFuzzer (Debian's clang and libclang-rt-dev) when they are missing,
# builds the "fuzz" preset, and runs each target on a working copy of its seeds in
# build/fuzz/corpus/<target> (what it finds stays there, not in the repository). A finding is
# written to build/fuzz/findings/<target>/; replay it with build/fuzz/fuzz/fuzz_<target> FILE.
# Prints the executions of each target; exits 1 when any target found something.
set -u
repo=$(cd "$(dirname "$0")/.." && pwd)
cd "$repo"
seconds=${1:?usage: scripts/fuzz.sh SECONDS [TARGET...]}
shift

if ! command -v clang++ >/dev/null || ! ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1; then
  sudo=$([ "$(id -u)" = 0 ] || echo sudo)
  $sudo apt-get update -qq && $sudo apt-get install -y -qq clang libclang-rt-dev >/dev/null || exit 1
fi
scripts/setup.sh >/dev/null || exit 1
cmake --preset fuzz >/dev/null && cmake --build --preset fuzz >/dev/null || exit 1

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=($(sed -n '/^set(KESTRIAN_FUZZ_TARGETS/,/^)/p' fuzz/CMakeLists.txt | sed '1d;$d'))
fi
work=$repo/build/fuzz
found=0
printf '%-22s %14s  %s\n' target executions result
for target in "${targets[@]}"; do
  mkdir -p "$work/corpus/$target" "$work/findings/$target"
  log=$work/findings/$target/last-run.log
  # New inputs go to the working copy (the first folder); the seeds are only read. The time
  # checks of the targets measure CPU time; libFuzzer's own time-out is wall-clock time and
  # only catches a hang, so it is generous for a busy machine at the lowest priority.
  nice -n 19 "$work/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=120 -rss_limit_mb=2048 \
    -max_len=4096 -print_final_stats=1 -artifact_prefix="$work/findings/$target/" \
    "$work/corpus/$target" "fuzz/corpus/$target" >"$log" 2>&1
  status=$?
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  result=clean
  if [ $status -ne 0 ]; then result="FINDING (see $log)"; found=1; fi
  printf '%-22s %14s  %s\n' "$target" "${executions:-?}" "$result"
done
exit $found
