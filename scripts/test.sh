#!/usr/bin/env bash
# Builds everything and runs every test: the native unit and contract tests (with
# sanitizers), then the Win32 tests and the end-to-end runs under Wine and Xvfb.
# The last line is the summary "N passed, N failed".
set -u
repo=$(cd "$(dirname "$0")/.." && pwd)
cd "$repo"
scripts/setup.sh || { echo "0 passed, 1 failed"; exit 1; }

results=$repo/build/test-results
rm -rf "$results" && mkdir -p "$results/native" "$results/win64"
broken=0  # build or run steps that failed outside any test
step() { "$@" || { echo "test: '$*' failed"; broken=$((broken + 1)); }; }

step cmake --preset native >/dev/null
step cmake --build --preset native
GTEST_OUTPUT=xml:$results/native/ step ctest --preset native --output-junit "$results/native-ctest.xml"

# One wineserver for the build (it runs kdefs.exe) and every test: each Wine process then
# starts in milliseconds, and none races a server that is shutting down.
export WINEPREFIX=$repo/build/wineprefix
"$repo/scripts/wine-run" --server
step cmake --preset win64 >/dev/null
step cmake --build --preset win64
# Wine reads the report folder as a Windows path (drive Z: is the Linux root).
run_win64=(env "GTEST_OUTPUT=xml:Z:$results/win64/"
           ctest --preset win64 --output-junit "$results/win64-ctest.xml")
if [ -n "${DISPLAY:-}" ]; then
  step "${run_win64[@]}"
else
  # Large enough for the main window at 144 DPI, whose picture the text-fit run keeps.
  step xvfb-run -a -s "-screen 0 1280x1024x24" "${run_win64[@]}"
fi
wineserver -k 2>/dev/null || true

exec python3 "$repo/scripts/test-summary.py" "$results" "$broken"
