#!/usr/bin/env bash
# The owner's rule for the size of the tests: the lines of tests/ at most a third of the
# lines of src/ and tests/ together, counted with wc -l over every file of both folders.
# Prints the counts, the share and the verdict.
set -euo pipefail
cd "$(dirname "$0")/.."
count() { find "$1" -type f -print0 | xargs -0 cat | wc -l; }
src=$(count src)
tests=$(count tests)
sum=$((src + tests))
echo "src:   $src lines"
echo "tests: $tests lines"
echo "sum:   $sum lines"
echo "tests share: $(awk -v t="$tests" -v s="$sum" 'BEGIN { printf "%.1f%%", 100 * t / s }')"
if ((3 * tests <= sum)); then
  echo "tests/ is at most a third of src/ + tests/"
else
  echo "tests/ is over a third of src/ + tests/: it may hold at most $((src / 2)) lines"
fi
