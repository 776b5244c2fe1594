#!/usr/bin/env bash
# The program's shell on a fresh profile: starts through the splash window, keeps
# screenshots of the status page, the scan page during a scan (paused) and after it, the
# results page with findings, the four option tabs, the tray popup and the About box.
# Checks that a second start while the first runs ends without writing STATUS, and that a
# clean exit leaves STATUS "STOPPED" and RESTART "False". The planted traces are removed and
# the settings put back, pass or fail.
# usage: shell_run.sh KESTRIAN_EXE KDRIVE_EXE KDEFS_EXE DEFINITIONS_SOURCE_DIR OUT_DIR
set -eu
exe=$1 kdrive=$2 kdefs=$3 sources=$4 out=$5
here=$(cd "$(dirname "$0")" && pwd)
wine_run=$here/../../scripts/wine-run
: "${DISPLAY:?the shell run needs a display (run under xvfb-run)}"

planted_key='HKCU\Software\KestrianE2EShell'

rm -rf "$out" && mkdir -p "$out/app" "$out/definitions"
cp "$exe" "$out/app/Kestrian.exe"
cp "$(dirname "$exe")/AppRestart.exe" "$out/app/"  # the restart helper, built beside it

run_name="shell run"
source "$here/windowed_run.sh"

program= second= windows=
cleanup() {
  local status=$?
  end_program $program $second || { echo "shell run: the program could not be ended"; status=1; }
  [ -n "$windows" ] && rm -f "$windows/kse2sh_tool.exe"
  wine_quiet reg delete "$planted_key" /f || true
  restore_program_settings || { echo "shell run: the settings could not be put back"; status=1; }
  exit $status
}
trap cleanup EXIT

# A fresh profile: the program's settings are saved and removed, and put back at the end.
expect_no_program
save_program_settings clear || fail "cannot save and clear the settings"

# The definitions: a registry set long enough for the scan to be caught running.
{
  cat "$sources/registry_head.txt"
  for n in $(seq 1 30000); do printf '1^Software\\KestrianE2EShell\\Missing%s^=E2S Missing %s\n' "$n" "$n"; done
} >"$out/definitions/registry.txt"
for kind in files:FileDefinition exe:ExeDefinition cookies:BlockedCookies; do
  cp "$sources/${kind%%:*}.txt" "$out/definitions/${kind%%:*}.txt"
done
encode_definitions "$out/definitions"

# The machine: a key and a file the definitions name.
"$wine_run" winepath -u 'C:\windows' >"$out/windows.txt" 2>>"$out/wine.log" || fail "no Windows folder"
windows=$(head -n 1 "$out/windows.txt")
windows=${windows%/}
printf 'planted by the shell run\r\n' >"$windows/kse2sh_tool.exe"
wine_quiet reg add "$planted_key" /v Tracker /t REG_SZ /d planted /f || fail "cannot plant the key"


"$wine_run" "$out/app/Kestrian.exe" >"$out/program.log" 2>&1 &
program=$!
drive wait-title Kestrian $patience || fail "no splash window"
# The splash is gone once the start-up is over: its picture is best taken, never waited for.
drive painted Kestrian || true
import -window root "$out/splash.png" || fail "no screenshot splash.png"
drive wait-window $patience || fail "the main window did not open"
drive wait-text "Last scan:" $patience || fail "the status page did not show"
shoot status-page.png
[ "$(setting STATUS)" = RUNNING ] || fail "STATUS is not RUNNING while the program runs"

# A second start while the first runs ends in its start-up without writing STATUS.
wine_quiet reg add "$options_key" /v STATUS /t REG_SZ /d SECOND-START-PROBE /f || fail "cannot mark STATUS"
"$wine_run" "$out/app/Kestrian.exe" >"$out/second.log" 2>&1 &
second=$!
wait_process_end "$second" $patience || fail "the second start did not end"
second=
[ "$(setting STATUS)" = SECOND-START-PROBE ] || fail "the second start wrote STATUS"

drive click "Scan &Now" || fail "no Scan Now button"
drive click "&Start" || fail "no Start button"
drive click "&Pause" || fail "the scan could not be paused"
drive wait-title Kestrian $patience || fail "no pause message"
shoot scan-running.png Kestrian
drive click-in Kestrian OK || fail "no OK on the pause message"
drive wait-text "Scanning complete." $((patience * 3)) || fail "the scan did not complete"
shoot scan-complete.png
drive click "Click Here to &Continue" || fail "no Click Here to Continue button"
shoot results-page.png

# Menu commands are 40000 + 100 x the menu's place on the bar + the item's index.
settings_menu=40100 about_menu=40400
for tab in 1 2 3 4; do
  drive command $((settings_menu + tab - 1)) || fail "no main window for the Settings menu"
  shoot "options-tab-$tab.png"
done

# The tray popup slides away two seconds after the last mouse movement over it: a pointer
# rests on it from the moment it shows until it is gone, however slow the machine.
"$wine_run" "$kdrive" hover Kestrian $patience >>"$out/kdrive.log" 2>&1 &
hover=$!
drive click "Send to Tr&ay" || fail "no Send to Tray button"
drive wait-title Kestrian $patience || fail "no tray popup"
shoot tray-popup.png Kestrian
drive click-in Kestrian "Show Program" || fail "no Show Program item"
wait "$hover" || fail "the tray popup did not stay for the pointer"
drive wait-window $patience || fail "the main window did not come back"

drive command $about_menu || fail "no main window for the About menu"
drive wait-title "About Kestrian" $patience || fail "no About box"
shoot about-box.png "About Kestrian"
drive click-in "About Kestrian" OK || fail "no OK on the About box"

drive close || fail "could not close the window"
wait_process_end "$program" $patience || fail "the program did not end"
program_status=0
wait "$program" || program_status=$?
program=
[ "$program_status" -eq 0 ] || fail "the program ended with exit code $program_status"

[ "$(setting STATUS)" = STOPPED ] || fail "STATUS is '$(setting STATUS)' after a clean exit"
[ "$(setting RESTART)" = False ] || fail "RESTART is '$(setting RESTART)' after a clean exit"
for shot in splash status-page scan-running scan-complete results-page options-tab-1 options-tab-2 \
            options-tab-3 options-tab-4 tray-popup about-box; do
  [ -s "$out/$shot.png" ] || fail "no $shot.png"
done
echo "shell run: complete; screenshots in $out"
