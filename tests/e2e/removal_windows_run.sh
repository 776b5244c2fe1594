#!/usr/bin/env bash
# Starts the program on a planted machine (three files, one of them held open without
# sharing, and a registry key), scans, selects every result and deletes, and keeps a
# screenshot of the question before the removal, of the Delete Failed window, of the log
# viewer and of the Restore from Quarantine window, where it restores the first record.
# Checks that the free files went to the quarantine, the held one stayed, the key went, the
# restored file is back on the exclusion list and the scan log was written. The planted files and key are removed and the settings put back,
# pass or fail.
# usage: removal_windows_run.sh KESTRIAN_EXE KDRIVE_EXE HOLDER_EXE DEFINITIONS_DIR OUT_DIR
set -eu
exe=$1 kdrive=$2 holder_exe=$3 definitions=$4 out=$5
here=$(cd "$(dirname "$0")" && pwd)
wine_run=$here/../../scripts/wine-run
: "${DISPLAY:?the removal windows need a display (run under xvfb-run)}"

scratch='C:\KestrianE2EWindows'
planted_key='HKCU\Software\KestrianE2EWindows'

rm -rf "$out" && mkdir -p "$out/app"
cp "$exe" "$out/app/Kestrian.exe"
cp "$(dirname "$exe")/AppRestart.exe" "$out/app/"  # the restart helper, built beside it
cp "$definitions"/*.dat "$out/app/"

run_name="removal windows run"
source "$here/windowed_run.sh"

program= holder= drive_c=
cleanup() {
  local status=$?
  end_program $program || { echo "removal windows run: the program could not be ended"; status=1; }
  stop_processes $holder
  [ -n "$drive_c" ] && rm -rf "$drive_c/KestrianE2EWindows"
  wine_quiet reg delete "$planted_key" /f || true
  restore_program_settings ||
    { echo "removal windows run: the settings could not be put back"; status=1; }
  exit $status
}
trap cleanup EXIT

# The settings as they were; the program writes more of them than chkMakeLog.
expect_no_program
save_program_settings || fail "cannot save the settings"
wine_quiet reg add "$program_key\\OptionAndSettings" /v chkMakeLog /t REG_SZ /d 1 /f ||
  fail "cannot set chkMakeLog"

# The machine: two files the definitions name and a key with a value.
"$wine_run" winepath -u 'C:\' >"$out/drive_c.txt" 2>>"$out/wine.log" || fail "no C: drive"
drive_c=$(head -n 1 "$out/drive_c.txt")
drive_c=${drive_c%/}
[ -d "$drive_c" ] || fail "C: is not a folder: $drive_c"
rm -rf "$drive_c/KestrianE2EWindows" && mkdir -p "$drive_c/KestrianE2EWindows"
printf 'The file the removal backs up and deletes.\r\n' >"$out/a.dat"
cp "$out/a.dat" "$drive_c/KestrianE2EWindows/a.dat"
printf 'The third file, removed and kept in the quarantine.\r\n' >"$drive_c/KestrianE2EWindows/c.txt"
printf 'The file held open while the removal runs.\r\n' >"$drive_c/KestrianE2EWindows/b.dat"
wine_quiet reg add "$planted_key" /v Tracker /t REG_SZ /d planted /f || fail "cannot plant the key"

"$wine_run" "$holder_exe" "$scratch\\b.dat" none "$(windows_path "$out/holder-ready.txt")" \
  >"$out/holder.log" 2>&1 &
holder=$!
wait_until $patience test -e "$out/holder-ready.txt" || fail "the holder did not open b.dat"

# A screenshot of the screen, and the check that the window TITLE on it is not blank.
shoot() {
  local title=$1 file=$2 rect
  drive painted "$title" || fail "\"$title\" did not paint"
  import -window root "$out/$file" || fail "no screenshot $file"
  "$wine_run" "$kdrive" rect-title "$title" >"$out/rect.txt" 2>>"$out/kdrive.log" ||
    fail "\"$title\" has no place on the screen"
  read -r left top width height <"$out/rect.txt"
  rect="${width}x${height}+${left}+${top}"
  convert "$out/$file" -crop "$rect" +repage -format '%[fx:standard_deviation]' info: \
    >"$out/$file.deviation" || fail "cannot read $file"
  awk '{ exit !($1 > 0.01) }' "$out/$file.deviation" ||
    fail "\"$title\" is blank on $file ($rect, deviation $(cat "$out/$file.deviation"))"
}

"$wine_run" "$out/app/Kestrian.exe" >"$out/program.log" 2>&1 &
program=$!
drive wait-window $patience || fail "the main window did not open"
drive click "Scan &Now" || fail "no Scan Now button"
drive click "&Start" || fail "no Start button"
drive wait-text "Scanning complete." $patience || fail "the scan did not complete"
drive click "&Results/Removal" || fail "no Results button"
drive click "Select &All" || fail "no Select All button"
drive click "&Delete" || fail "no Delete button"

drive wait-title "Really Delete?" $patience || fail "no question before the removal"
shoot "Really Delete?" really-delete.png
drive click-in "Really Delete?" "&Yes" || fail "no Yes button"

drive wait-title "Delete Failed" $patience || fail "no Delete Failed window"
shoot "Delete Failed" delete-failed.png
drive click-in "Delete Failed" "C&lose" || fail "no Close button"
drive wait-gone "Delete Failed" $patience || fail "the Delete Failed window stayed"

drive click "View &Log" || fail "no View Log button"
drive wait-title "Kestrian Log" $patience || fail "no log viewer"
shoot "Kestrian Log" report-viewer.png
drive click-in "Kestrian Log" "OK" || fail "no OK button"
drive wait-gone "Kestrian Log" $patience || fail "the log viewer stayed"

# The quarantine's records, oldest first: the first one (a.dat) is selected and restored.
drive command 40202 || fail "no Restore from Quarantine item"
drive wait-title "Restore from Quarantine" $patience || fail "no Restore from Quarantine window"
shoot "Restore from Quarantine" restore-window.png
drive click-in "Restore from Quarantine" "&Restore" || fail "no Restore button"
drive wait-title "Quarantine" $patience || fail "no word after the restore"
drive click-in "Quarantine" "OK" || fail "no OK button after the restore"
drive click-in "Restore from Quarantine" "C&lose" || fail "no Close button"

drive close || fail "could not close the window"
wait_process_end "$program" $patience || fail "the program did not end"
program_status=0
wait "$program" || program_status=$?
program=
[ "$program_status" -eq 0 ] || fail "the program ended with exit code $program_status"

ok=1
expect() { local what=$1; shift; "$@" || { echo "removal windows run: $what"; ok=0; }; }
expect "a.dat was not restored" cmp -s "$out/a.dat" "$drive_c/KestrianE2EWindows/a.dat"
expect "c.txt is still there" test ! -e "$drive_c/KestrianE2EWindows/c.txt"
expect "a.dat is not on the exclusion list" grep -qF 'C:\KestrianE2EWindows\a.dat' "$out/app/ENoSignature.txt"
expect "b.dat is gone" test -e "$drive_c/KestrianE2EWindows/b.dat"
expect "no backup of a.dat in the quarantine" cmp -s "$out/a.dat" "$out/app/quarantine/a.dat"
expect "no Scan_Log.txt" test -f "$out/app/Scan_Log.txt"
key_gone() { ! wine_quiet reg query "$planted_key"; }
expect "the planted key is still there" key_gone
for shot in really-delete delete-failed report-viewer restore-window; do
  expect "no $shot.png" test -s "$out/$shot.png"
done
[ "$ok" -eq 1 ] || exit 1
echo "removal windows run: complete; screenshots in $out"
