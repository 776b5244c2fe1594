#!/usr/bin/env bash
# The program's windows on a fresh profile and the machine of shell_plan.txt, in two sessions.
# The first starts through the splash window, shows the status page, pauses and ends a scan,
# shows the results, deletes them all (the question before, Delete Failed for the held file),
# shows the log viewer, restores the first quarantine record, shows the four option tabs, the
# tray popup and the About box, and exits cleanly (STATUS "STOPPED", RESTART "False"); a second
# start while it runs ends without writing STATUS. The second starts minimized to the tray with
# both shields on: a listed program started after it is alerted and STOP ends it; a changed
# start page is asked about and Yes writes the remembered one back. A screenshot of each
# window is kept. The plants are removed, the start page and the settings put back, pass or fail.
# usage: shell_run.sh KESTRIAN_EXE KDRIVE_EXE KDEFS_EXE PLANTER_EXE SLEEPER_EXE SOURCES OUT
set -eu
exe=$1 kdrive=$2 kdefs=$3 planter=$4 sleeper=$5 sources=$6 out=$7
here=$(cd "$(dirname "$0")" && pwd)
run_name="shell run"
source "$here/windowed_run.sh"
new_app_folder "$exe"
mkdir "$out/definitions"
plan=$(windows_path "$here/shell_plan.txt")
main_key='HKCU\Software\Microsoft\Internet Explorer\Main'
start_page() { reg_value "$main_key" "Start Page"; }
set_start_page() {
  wine_quiet reg add "$main_key" /v "Start Page" /t REG_SZ /d "$1" /f || fail "cannot set the start page"
}

page_saved=0
put_back() {
  [ "$page_saved" -eq 1 ] || return 0
  wine_quiet reg delete "$main_key" /f || true
  [ ! -s "$out/start-page-saved.reg" ] || wine_quiet reg import "$(windows_path "$out/start-page-saved.reg")" ||
    { echo "shell run: the start page could not be put back"; return 1; }
}
trap put_back_run EXIT

expect_no_program
save_program_settings clear || fail "cannot save and clear the settings"

# The definitions: a registry set long enough for the scan to be caught running.
{
  cat "$sources/registry_head.txt"
  for n in $(seq 1 30000); do printf '1^Software\\KestrianE2EShell\\Missing%s^=E2S Missing %s\n' "$n" "$n"; done
} >"$out/definitions/registry.txt"
cp "$sources"/{files,exe,cookies}.txt "$out/definitions/"
encode_definitions "$out/definitions"

plant plant "$plan" "$(windows_path "$sleeper")" - "$(windows_path "$out")" || fail "planting failed"
"$wine_run" winepath -u 'C:\KestrianE2EWindows\a.dat' >"$out/a-path.txt" 2>>"$out/wine.log" || fail "no path of a.dat"
cp "$(head -n 1 "$out/a-path.txt")" "$out/a.dat" || fail "a.dat was not planted"

"$wine_run" "$out/app/Kestrian.exe" >"$out/program.log" 2>&1 &
program=$!
drive wait-title Kestrian $patience || fail "no splash window"
# The splash is gone once the start-up is over: its picture is best taken, never waited for.
drive painted Kestrian || true
snap splash.png
drive wait-window $patience || fail "the main window did not open"
drive wait-text "Last scan:" $patience || fail "the status page did not show"
shoot status-page.png

# A second start while the first runs ends in its start-up without writing STATUS.
wine_quiet reg add "$options_key" /v STATUS /t REG_SZ /d SECOND-START-PROBE /f || fail "cannot mark STATUS"
"$wine_run" "$out/app/Kestrian.exe" >"$out/second.log" 2>&1 &
other_process=$!
wait_process_end "$other_process" $patience || fail "the second start did not end"
other_process=
[ "$(setting STATUS)" = SECOND-START-PROBE ] || fail "the second start wrote STATUS"

drive click "Scan &Now" || fail "no Scan Now button"
drive click "&Start" || fail "no Start button"
drive click "&Pause" || fail "the scan could not be paused"
answer Kestrian scan-running.png OK
drive wait-text "Scanning complete." $((patience * 3)) || fail "the scan did not complete"
shoot scan-complete.png
drive click "Click Here to &Continue" || fail "no Click Here to Continue button"
shoot results-page.png

drive click "Select &All" || fail "no Select All button"
drive click "&Delete" || fail "no Delete button"
answer "Really Delete?" really-delete.png "&Yes"
answer "Delete Failed" delete-failed.png "C&lose"
drive wait-gone "Delete Failed" $patience || fail "the Delete Failed window stayed"

drive click "View &Log" || fail "no View Log button"
answer "Kestrian Log" report-viewer.png OK
drive wait-gone "Kestrian Log" $patience || fail "the log viewer stayed"

# Menu commands are 40000 + 100 x the menu's place on the bar + the item's index.
settings_menu=40100 restore_item=40202 about_menu=40400
# The window lists the newest record first; a click on the time's heading lists the oldest
# first, so the first row, which is selected and restored, is a.dat's (removed first) even
# when the removal's records span more than one second.
drive command $restore_item || fail "no Restore from Quarantine item"
drive wait-title "Restore from Quarantine" $patience || fail "no Restore from Quarantine window"
drive click-heading "Restore from Quarantine" || fail "no heading to sort the quarantine by"
answer "Restore from Quarantine" restore-window.png "&Restore"
drive wait-title "Quarantine" $patience || fail "no word after the restore"
drive click-in "Quarantine" "OK" || fail "no OK button after the restore"
drive click-in "Restore from Quarantine" "C&lose" || fail "no Close button"

for tab in 1 2 3 4; do
  drive command $((settings_menu + tab - 1)) || fail "no main window for the Settings menu"
  shoot "options-tab-$tab.png"
done

# The tray popup slides away two seconds after the last mouse movement over it: a pointer
# rests on it from the moment it shows until it is gone, however slow the machine.
"$wine_run" "$kdrive" hover Kestrian $patience >>"$out/kdrive.log" 2>&1 &
hover=$!
drive click "Send to Tr&ay" || fail "no Send to Tray button"
answer Kestrian tray-popup.png "Show Program"
wait "$hover" || fail "the tray popup did not stay for the pointer"
drive wait-window $patience || fail "the main window did not come back"

drive command $about_menu || fail "no main window for the About menu"
answer "About Kestrian" about-box.png OK

drive close || fail "could not close the window"
ended_in_order "a close"

plant check "$plan" || fail "the machine after the removal differs from the plan: $(cat "$out/plant.log")"
cmp -s "$out/a.dat" "$(head -n 1 "$out/a-path.txt")" || fail "a.dat was not restored"
cmp -s "$out/a.dat" "$out/app/quarantine/a.dat" || fail "no backup of a.dat in the quarantine"

# The second session: minimized to the tray, with both shields on and a start page to keep.
page_saved=1
wine_quiet reg export "$main_key" "$(windows_path "$out/start-page-saved.reg")" /y || rm -f "$out/start-page-saved.reg"
set_settings optMemorySheildOn=True optIEHomePageSheildOn=True optAlwaysnotifybeforerestoring=True \
  optRestoredefaultwithoutnotification=False
wine_quiet reg delete "$options_key" /v Homepage /f || true  # the first session remembered one
wine_quiet reg add "$program_key\\Settings" /v Minimized /t REG_SZ /d Yes /f || fail "cannot set Minimized"
first_page='http://www.first.example/'
set_start_page "$first_page"

start_program "$out/app/Kestrian.exe" "second session"
# The home page shield's first tick remembers the start page.
remembered() { [ "$(setting Homepage)" = "$1" ]; }
wait_until $patience remembered "$first_page" || fail "the start page was not remembered: '$(setting Homepage)'"
drive wait-gone "Kestrian by Kestrian Software" $patience || fail "the program is not in the tray"

cp "$sleeper" "$out/kshieldlisted.exe"
"$wine_run" "$out/kshieldlisted.exe" >"$out/listed.log" 2>&1 &
other_process=$!
answer "Kestrian Auto-Protect" memory-shield-alert.png STOP
wait_process_end "$other_process" $patience || fail "STOP did not end the listed program"
other_process=
drive wait-gone "Kestrian Auto-Protect" $patience || fail "the alert stayed open"

set_start_page 'http://www.second.example/'
answer "Kestrian Home Page Protection" home-page-alert.png "&Yes"
restored() { [ "$(start_page)" = "$first_page" ]; }
wait_until $patience restored || fail "Yes did not restore the start page: '$(start_page)'"
[ "$(setting Homepage)" = "$first_page" ] || fail "the remembered page changed: '$(setting Homepage)'"

echo "shell run: complete; screenshots in $out"
