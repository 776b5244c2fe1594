#!/usr/bin/env bash
# Runs a Wine program (the text-fit walk) with the prefix's screen at DPI dots per inch, the
# prefix's LogPixels, which every Wine program reads as it starts; it is unset afterwards.
# The windows the program saves become PNG files in OUT_DIR. A GoogleTest report asked for
# as a folder is named after OUT_DIR, which is the test's name.
# usage: at_dpi.sh DPI OUT_DIR WINE_RUN PROGRAM [ARGS...]
set -eu
dpi=$1 out=$2 wine_run=$3
shift 3
: "${DISPLAY:?the windows need a display (run under xvfb-run)}"
desktop='HKCU\Control Panel\Desktop'
rm -rf "$out" && mkdir -p "$out"
case ${GTEST_OUTPUT:-} in
  */ | *\\) export GTEST_OUTPUT="$GTEST_OUTPUT$(basename "$out").xml" ;;
esac

# The prefix is the build's own, where LogPixels is unset until this run sets it.
trap '"$wine_run" reg delete "$desktop" /v LogPixels /f >>"$out/wine.log" 2>&1 ||
  echo "at_dpi: LogPixels could not be put back"' EXIT
"$wine_run" reg add "$desktop" /v LogPixels /t REG_DWORD /d "$dpi" /f >>"$out/wine.log" 2>&1 ||
  { echo "at_dpi: cannot set LogPixels"; exit 1; }

# The program's windows unmanaged: Wine draws their frames and titles itself (there is no
# window manager), so the pictures show them, and a hidden window goes at once.
app_key="HKCU\\Software\\Wine\\AppDefaults\\$(basename "$1")\\X11 Driver"
"$wine_run" reg add "$app_key" /v Managed /t REG_SZ /d N /f >>"$out/wine.log" 2>&1 ||
  { echo "at_dpi: cannot set the program's window management"; exit 1; }

status=0
KESTRIAN_SHOTS="Z:$(printf '%s' "$out" | tr / '\\')" "$wine_run" "$@" >"$out/test.log" 2>&1 || status=$?
cat "$out/test.log"

shopt -s nullglob
bitmaps=("$out"/*.bmp)
[ ${#bitmaps[@]} -eq 0 ] || { mogrify -format png "${bitmaps[@]}" && rm -f "${bitmaps[@]}"; }
exit $status
