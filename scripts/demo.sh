#!/usr/bin/env bash
# The program's main job: builds the Windows program, plants a few traces of the sample
# threats on the Wine machine, starts the program on the demo application folder (the sample
# definitions), runs a scan from the scan page and keeps a screenshot of the page after the
# session. Headless under Xvfb when there is no display.
set -eu
repo=$(cd "$(dirname "$0")/.." && pwd)
cd "$repo"
scripts/setup.sh
export WINEPREFIX=$repo/build/wineprefix
"$repo/scripts/wine-run" --server  # one server for the build (it runs kdefs.exe) and the run
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target Kestrian AppRestart kdrive demo_definitions
out=$repo/build/demo

# The demo machine: a few traces the sample definitions name (a registry key, a Run value,
# files in the Windows and system folders), removed again when the demo ends.
wine_run=$repo/scripts/wine-run
windows=$WINEPREFIX/drive_c/windows
planted_files=("$windows/coolsrch.exe" "$windows/keywatch.exe" "$windows/system32/srchpilot.dll")
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
unplant() {
  "$wine_run" reg delete 'HKCU\Software\AcmeBar' /f >/dev/null 2>&1 || true
  "$wine_run" reg delete "$run_key" /v CoolSearch /f >/dev/null 2>&1 || true
  rm -f "${planted_files[@]}"
}
trap unplant EXIT
"$wine_run" reg add 'HKCU\Software\AcmeBar' /v Version /d 2.1 /f >/dev/null 2>&1
"$wine_run" reg add "$run_key" /v CoolSearch /d 'C:\windows\coolsrch.exe' /f >/dev/null 2>&1
for file in "${planted_files[@]}"; do printf 'planted by the demo\r\n' >"$file"; done

run=(bash tests/e2e/scan_page_run.sh build/win64/src/Kestrian.exe build/win64/tests/e2e/kdrive.exe
     build/win64/demo "$out")
if [ -n "${DISPLAY:-}" ]; then "${run[@]}"; else xvfb-run -a -s "-screen 0 1024x768x24" "${run[@]}"; fi
unplant
trap - EXIT
wineserver -k 2>/dev/null || true
echo "demo: the scan page after the session is in $out/scan-page.png"
