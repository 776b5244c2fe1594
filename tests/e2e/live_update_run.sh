#!/usr/bin/env bash
# Live Update in the real program, run inside with_update_host.sh (the update host serves
# versions R 12, F 7, E 30, C 5 with the new definitions and their manifest, signed with the
# tests' key). The program starts with the old definitions and the stored executable
# version 29:
#  1. "Live Update" shows the download window, fetches the executable definitions, writes
#     SHOW/RESTART, starts AppRestart.exe and ends; the helper starts it again and the new
#     start installs the download and counts the new definitions.
#  2. After 300 idle seconds (sent as timer ticks) the unattended update downloads the
#     executable definitions again and the notice rises; its OK restarts the program the
#     same way, with SHOW "false".
#  3. File > Roll Back Definitions, answered Yes, puts the replaced file and its version back.
#  4. The restart helper, asked to restart a program file that is missing, says so in its log.
# Screenshots of the download window and the notice are kept. The settings are put back.
# usage: live_update_run.sh KESTRIAN_EXE APPRESTART_EXE KDRIVE_EXE KDEFS_EXE OLD_SOURCES TREE OUT
set -eu
exe=$1 restarter=$2 kdrive=$3 kdefs=$4 sources=$5 tree=$6 out=$7
here=$(cd "$(dirname "$0")" && pwd)
run_name="live update run"
source "$here/windowed_run.sh"
new_app_folder "$exe" "$restarter"

trap put_back_run EXIT  # the restarted program is a child of the helper, not of this script

expect_no_program
save_program_settings clear || fail "cannot save and clear the settings"
encode_definitions "$sources"
set_settings RegistryDefinition=12 FileDefinition=7 EXEDefinition=29 CookieDefinition=5 chkAutomaticUpdate=1
served_exe="$tree/definitions/data/ExeDefinition.dat"
start_program "$out/app/Kestrian.exe" "first start" 5  # the number of definitions counted

# 1. The user-started update.
drive click "&Live Update" || fail "no Live Update button"
drive wait-title "Kestrian Live Update" $patience || fail "no download window"
# The window stays while the host answers late; its picture is best taken, never waited for.
drive painted "Kestrian Live Update" || true
snap download-window.png
wait_process_end "$program" $patience || fail "the program did not end after the download"
program=
wait_for_program "restart after Live Update" 9
cmp -s "$out/app/ExeDefinition.dat" "$served_exe" || fail "the downloaded definitions were not installed"
[ "$(setting EXEDefinition)" = 30 ] || fail "EXEDefinition is '$(setting EXEDefinition)', not 30"

# 2. The unattended update: the running program reads its settings afresh.
set_settings EXEDefinition=29
cp "$out/app/ExeDefinition.dat" "$out/installed-before-auto.dat"
printf 'kupdone.exe\r\n' >"$out/app/ExeDefinition.dat"  # shown as installed again after the restart
update_timer=6  # timUpdate: the sixth timer of the main window
drive ticks $update_timer 301 || fail "no main window for the idle ticks"
# The notice rises from the bottom edge of the screen (there is no taskbar) into view, rests
# there seven seconds and sinks, which restarts the program as its OK does: the OK is pressed
# as soon as the notice stands wholly on the screen, and its picture taken.
drive wait-on-screen "Kestrian Automatic Update" $patience || fail "the notice did not rise into view"
snap update-notice.png
drive click-in "Kestrian Automatic Update" OK || fail "no OK on the update notice"
drive wait-gone "Kestrian by Kestrian Software" $patience || fail "the program did not end after the notice"
wait_for_program "restart after the automatic update" 9
cmp -s "$out/app/ExeDefinition.dat" "$served_exe" || fail "the automatic download was not installed"
[ "$(setting EXEDefinition)" = 30 ] || fail "EXEDefinition is '$(setting EXEDefinition)' after the automatic update"

# 3. The rollback: the file the automatic update replaced, and its version, come back.
file_menu=40000 roll_back_item=5
drive command $((file_menu + roll_back_item)) || fail "no main window for the File menu"
drive wait-title Kestrian $patience || fail "no rollback question"
drive click-in Kestrian "&Yes" || fail "no Yes on the rollback question"
drive click-in Kestrian OK || fail "no OK on the word of the rollback"
[ "$(cat "$out/app/ExeDefinition.dat")" = "$(printf 'kupdone.exe\r\n')" ] || fail "the rollback did not put the file back"
[ "$(setting EXEDefinition)" = 29 ] || fail "EXEDefinition is '$(setting EXEDefinition)' after the rollback"

[ ! -s "$out/app/AppRestart.log" ] || fail "the restart helper logged a failure: $(cat "$out/app/AppRestart.log")"

# 4. A restart of a program file that is missing: one line in the helper's log, exit code 1.
shared_entry="$store\\RuvaveZezuvozUvuvizev\\Settings"
wine_quiet reg add "$shared_entry" /v File /d Missing.exe /f || fail "cannot name a missing program"
set_settings RESTART=True
helper_status=0
wine_quiet "$out/app/AppRestart.exe" || helper_status=$?
wine_quiet reg add "$shared_entry" /v File /d Kestrian.exe /f || fail "cannot put the shared entry back"
[ "$helper_status" -eq 1 ] || fail "the restart helper ended with $helper_status, not 1, for a missing program"
[ "$(wc -l <"$out/app/AppRestart.log")" -eq 1 ] && grep -qF 'Missing.exe was not found; not restarted.' "$out/app/AppRestart.log" ||
  fail "the restart helper logged: $(cat "$out/app/AppRestart.log")"
echo "live update run: complete; screenshots in $out"
