#!/usr/bin/env bash
# Takes the README's pictures of the program afresh from a test run, so they show the windows
# the program has today: the status page and the results page with the demo machine's
# findings from the scan page run, and the memory shield's alert from the text-fit walk at
# 96 DPI. Each is cut to its window and stored as a small PNG in docs/images/.
set -eu
repo=$(cd "$(dirname "$0")/.." && pwd)
cd "$repo"
scripts/setup.sh
export WINEPREFIX=$repo/build/wineprefix
"$repo/scripts/wine-run" --server
cmake --preset win64 >/dev/null
cmake --build --preset win64
# The screen of the full test command, large enough for every window of the walk.
tests=(ctest --preset win64 -R '^(e2e_scan_page|windows_at_96dpi)$')
status=0
if [ -n "${DISPLAY:-}" ]; then "${tests[@]}" || status=$?
else xvfb-run -a -s "-screen 0 1280x1024x24" "${tests[@]}" || status=$?; fi
wineserver -k 2>/dev/null || true
[ "$status" -eq 0 ] || { echo "refresh-screenshots: the test run failed; the pictures stay as they were"; exit 1; }

e2e=$repo/build/win64/e2e images=$repo/docs/images
mkdir -p "$images"
# SOURCE TARGET [OPTIONS...]: the picture changed by the options, with no metadata (so an
# unchanged window gives an unchanged file) and at most 256 colours.
keep() {
  local source=$1 target=$images/$2
  shift 2
  convert "$source" "$@" -strip -define png:exclude-chunks=date,time "PNG8:$target"
  local size
  size=$(stat -c %s "$target")
  [ "$size" -lt 204800 ] || { echo "refresh-screenshots: $target is $size bytes, over 200 KB"; exit 1; }
  echo "refresh-screenshots: $target ($(identify -format '%wx%h' "$target"), $size bytes)"
}
# The run's screen cut to the main window, which has no frame without a window manager: a
# grey line marks its edge.
page=(-trim +repage -bordercolor '#a0a0a0' -border 1)
keep "$e2e/scan_page/status-page.png" status-page.png "${page[@]}"
keep "$e2e/scan_page/results-page.png" results-page.png "${page[@]}"
keep "$e2e/windows_at_96dpi/spyware-alert.png" memory-shield-alert.png
