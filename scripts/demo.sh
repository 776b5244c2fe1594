#!/usr/bin/env bash
# The program's main job: builds the Windows program and runs the scan page run on it: traces
# of a few sample threats planted on the Wine machine, the program started on the demo
# application folder (the sample definitions), a scan from its scan page, the plants removed
# again. Ends by printing what the scan found as the program showed it (the scan page's
# counters and the results list, read off its windows) and the screenshots it kept. Headless
# under Xvfb when there is no display.
set -eu
repo=$(cd "$(dirname "$0")/.." && pwd)
cd "$repo"
scripts/setup.sh
export WINEPREFIX=$repo/build/wineprefix
"$repo/scripts/wine-run" --server  # one server for the build (it runs kdefs.exe) and the run
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target Kestrian AppRestart kdrive planter demo_definitions
out=$repo/build/demo

run=(bash tests/e2e/scan_page_run.sh build/win64/src/Kestrian.exe build/win64/tests/e2e/kdrive.exe
     build/win64/demo "$out")
if [ -n "${DISPLAY:-}" ]; then "${run[@]}"; else xvfb-run -a -s "-screen 0 1024x768x24" "${run[@]}"; fi
wineserver -k 2>/dev/null || true

# The run fails unless every plant is gone again, so from here on they are.
echo
echo "demo: planted on the Wine machine before the scan:"
awk -F'\t' '{ printf "  %-15s %s\n", $1, $2 }' "$out/planted.txt"
echo "demo: removed again after the scan (checked: none of them is left)."
echo "demo: what the scan found, as the program showed it:"
awk -F'\t' '{ printf "  %-28s %s\n", $1, $2 }' "$out/scan-counters.txt"
# The kind follows from the row: registry rows name a registry location, cookie rows are
# named "Cookie: " and the cookie's file, every other row names a file.
awk -F'\t' 'BEGIN { printf "  %-22s %-9s %s\n", "Threat", "Kind", "Location" }
  { kind = $2 ~ /^HKEY_/ ? "registry" : $1 ~ /^Cookie: / ? "cookie" : "file"
    printf "  %-22s %-9s %s\n", $1, kind, $2 }
  END { if (NR == 0) print "  (nothing)" }' "$out/results.txt"
echo "demo: the program's scan log is $out/app/Scan_Log.txt; its screenshots:"
for shot in status-page scan-page results-page; do echo "  $out/$shot.png"; done
