#!/usr/bin/env bash
# The shields in the real program, minimized to the tray with both of them on:
#  - a listed program started after it is alerted; STOP ends it;
#  - the Internet Explorer start page is remembered, a change to it is asked about, and Yes
#    writes the remembered page back.
# How often each shield looks is the unit tests' matter: this run waits for each state with
# one generous deadline, so a loaded machine takes longer but decides the same.
# Screenshots of both alerts are kept. The settings and the start page are put back.
# usage: shields_run.sh KESTRIAN_EXE KDRIVE_EXE KDEFS_EXE SLEEPER_EXE SOURCES OUT
set -eu
exe=$1 kdrive=$2 kdefs=$3 sleeper=$4 sources=$5 out=$6
here=$(cd "$(dirname "$0")" && pwd)
wine_run=$here/../../scripts/wine-run
: "${DISPLAY:?the shields run needs a display (run under xvfb-run)}"

rm -rf "$out" && mkdir -p "$out/app"
cp "$exe" "$out/app/Kestrian.exe"

run_name="shields run"
source "$here/windowed_run.sh"
main_key='HKCU\Software\Microsoft\Internet Explorer\Main'
start_page() {  # the data of "Start Page", or nothing
  "$wine_run" reg query "$main_key" /v "Start Page" >"$out/start-page.txt" 2>>"$out/wine.log" || return 0
  tr -d '\r' <"$out/start-page.txt" | sed -n 's/^ *Start Page *REG_SZ *//p'
}
set_start_page() {
  wine_quiet reg add "$main_key" /v "Start Page" /t REG_SZ /d "$1" /f || fail "cannot set the start page"
}

program= listed= page_saved=0 started=0
cleanup() {
  local status=$?
  end_program $program || { echo "shields run: the program could not be ended"; status=1; }
  stop_processes $listed
  if [ "$page_saved" -eq 1 ]; then
    wine_quiet reg delete "$main_key" /v "Start Page" /f || true
    wine_quiet reg import "$(windows_path "$out/start-page-saved.reg")" ||
      { echo "shields run: the start page could not be put back"; status=1; }
  elif [ "$started" -eq 1 ]; then
    wine_quiet reg delete "$main_key" /f || true  # there was none: the run made it
  fi
  restore_program_settings || { echo "shields run: the settings could not be put back"; status=1; }
  exit $status
}
trap cleanup EXIT

expect_no_program
save_program_settings clear || fail "cannot save and clear the settings"
if wine_quiet reg query "$main_key"; then
  wine_quiet reg export "$main_key" "$(windows_path "$out/start-page-saved.reg")" /y ||
    fail "cannot save the start page"
  page_saved=1
fi
started=1
encode_definitions "$sources"
set_setting optMemorySheildOn True
set_setting optIEHomePageSheildOn True
set_setting optAlwaysnotifybeforerestoring True
set_setting optRestoredefaultwithoutnotification False
wine_quiet reg add "$program_key\\Settings" /v Minimized /t REG_SZ /d Yes /f || fail "cannot set Minimized"
first_page='http://www.first.example/'
main_title="Kestrian by Kestrian Software"
set_start_page "$first_page"

"$wine_run" "$out/app/Kestrian.exe" >"$out/program.log" 2>&1 &
program=$!
drive wait-window $patience || fail "the program did not start"
# The home page shield's first tick remembers the start page.
remembered() { [ "$(setting Homepage)" = "$1" ]; }
wait_until $patience remembered "$first_page" || fail "the start page was not remembered: '$(setting Homepage)'"
drive wait-gone "$main_title" $patience || fail "the program is not in the tray"

# The memory shield: a listed program started after the program.
cp "$sleeper" "$out/kshieldlisted.exe"
"$wine_run" "$out/kshieldlisted.exe" >"$out/listed.log" 2>&1 &
listed=$!
drive wait-title "Kestrian Auto-Protect" $patience || fail "the listed program was not alerted"
shoot memory-shield-alert.png "Kestrian Auto-Protect"
drive click-in "Kestrian Auto-Protect" STOP || fail "no STOP on the alert"
wait_process_end "$listed" $patience || fail "STOP did not end the listed program"
listed=
drive wait-gone "Kestrian Auto-Protect" $patience || fail "the alert stayed open"

# The home page shield: another page is asked about, and Yes puts the remembered one back.
set_start_page 'http://www.second.example/'
drive wait-title "Kestrian Home Page Protection" $patience || fail "the changed start page was not asked about"
shoot home-page-alert.png "Kestrian Home Page Protection"
drive click-in "Kestrian Home Page Protection" "&Yes" || fail "no Yes on the home page alert"
restored() { [ "$(start_page)" = "$first_page" ]; }
wait_until $patience restored || fail "Yes did not restore the start page: '$(start_page)'"
[ "$(setting Homepage)" = "$first_page" ] || fail "the remembered page changed: '$(setting Homepage)'"

for shot in memory-shield-alert home-page-alert; do
  [ -s "$out/$shot.png" ] || fail "no $shot.png"
done
echo "shields run: complete in the tray; screenshots in $out"
