#!/usr/bin/env bash
# Starts the program from a copy of the demo application folder, shows the scan page, runs a
# scan through the Start button, and keeps a screenshot of the scan page when it has ended.
# Checks that the session ended complete and stored its date, and that the end of the Windows
# session ends the program in order. A screenshot of the status page at start-up is kept as
# well. The program's settings are put back afterwards.
# usage: scan_page_run.sh KESTRIAN_EXE KDRIVE_EXE DEMO_DEFINITIONS_DIR OUT_DIR
set -eu
exe=$1 kdrive=$2 definitions=$3 out=$4
here=$(cd "$(dirname "$0")" && pwd)
wine_run=$here/../../scripts/wine-run
: "${DISPLAY:?the scan page needs a display (run under xvfb-run)}"

rm -rf "$out" && mkdir -p "$out/app"
cp "$exe" "$out/app/Kestrian.exe"
cp "$(dirname "$exe")/AppRestart.exe" "$out/app/"  # the restart helper, built beside it
cp "$definitions"/*.dat "$out/app/"

run_name="scan page run"
source "$here/windowed_run.sh"

program=
cleanup() {
  local status=$?
  end_program $program || { echo "scan page run: the program could not be ended"; status=1; }
  restore_program_settings || { echo "scan page run: the settings could not be put back"; status=1; }
  exit $status
}
trap cleanup EXIT

expect_no_program
save_program_settings || fail "cannot save the settings"
wine_quiet reg delete "$program_key\\Settings" /v lblLastScan /f || true

"$wine_run" "$out/app/Kestrian.exe" >"$out/program.log" 2>&1 &
program=$!

drive wait-window 60 || fail "the main window did not open"
drive wait-text "Last scan:" 30 || fail "the status page did not show"
sleep 0.5
import -window root "$out/status-page.png" || fail "no screenshot"
drive click "Scan &Now" || fail "no Scan Now button"
drive click "&Start" || fail "no Start button"
drive wait-text "Scanning complete." 120 || fail "the scan did not complete"
sleep 0.5
import -window root "$out/scan-page.png" || fail "no screenshot"
# The end of the Windows session ends it in order, as a close does.
drive end-session || fail "the program did not take the end of the session"
wait_process_end "$program" 30 || fail "the program did not end"
wait "$program" || fail "the program ended with an error"
program=
[ "$(setting STATUS)" = STOPPED ] || fail "STATUS is '$(setting STATUS)' after the session's end"
[ "$(setting RESTART)" = False ] || fail "RESTART is '$(setting RESTART)' after the session's end"

"$wine_run" reg query "$program_key\\Settings" /v lblLastScan >"$out/last-scan.txt" 2>>"$out/wine.log" ||
  fail "no lblLastScan stored"
grep -q REG_SZ "$out/last-scan.txt" || fail "lblLastScan is not a string"
echo "scan page run: complete; screenshot $out/scan-page.png"
