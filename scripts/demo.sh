#!/usr/bin/env bash
# The program's main job: builds the Windows program, starts it under Wine on the demo
# application folder (the sample definitions), runs a scan from the scan page and keeps a
# screenshot of the page after the session. Headless under Xvfb when there is no display.
set -eu
repo=$(cd "$(dirname "$0")/.." && pwd)
cd "$repo"
scripts/setup.sh
export WINEPREFIX=$repo/build/wineprefix
"$repo/scripts/wine-run" --server  # one server for the build (it runs kdefs.exe) and the run
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target Kestrian kdrive demo_definitions
out=$repo/build/demo
run=(bash tests/e2e/scan_page_run.sh build/win64/src/Kestrian.exe build/win64/tests/e2e/kdrive.exe
     build/win64/demo "$out")
if [ -n "${DISPLAY:-}" ]; then "${run[@]}"; else xvfb-run -a -s "-screen 0 1024x768x24" "${run[@]}"; fi
wineserver -k 2>/dev/null || true
echo "demo: the scan page after the session is in $out/scan-page.png"
