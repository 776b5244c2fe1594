#!/usr/bin/env bash
# The restart helper on the real machine. The program is a probe (restart_probe.cpp) named
# as the shared entry says. With RESTART "True" the helper waits while the probe runs, starts
# it again once it has ended and leaves RESTART alone; with RESTART "False" it starts
# nothing; with a program file that is missing it writes one line to AppRestart.log. The
# settings and the shared entry are put back, pass or fail.
# usage: app_restart_run.sh APPRESTART_EXE PROBE_EXE OUT_DIR
set -eu
helper=$1 probe=$2 out=$3
here=$(cd "$(dirname "$0")" && pwd)
wine_run=$here/../../scripts/wine-run

rm -rf "$out" && mkdir -p "$out/app"
app=$out/app
cp "$helper" "$app/AppRestart.exe"
cp "$probe" "$app/RestartProbe.exe"

run_name="app restart run"
source "$here/windowed_run.sh"
shared_key="$store\\RuvaveZezuvozUvuvizev"
shared_saved=0
set_value() { wine_quiet reg add "$1" /v "$2" /d "$3" /f; }

probe_pid= helper_pid=
cleanup() {
  local status=$?
  touch "$app/stop.txt"  # every copy of the probe ends
  stop_processes $helper_pid $probe_pid
  restore_program_settings || { echo "app restart run: the settings could not be put back"; status=1; }
  wine_quiet reg delete "$shared_key" /f || true
  if [ "$shared_saved" -eq 1 ]; then
    wine_quiet reg import "$(windows_path "$out/shared-saved.reg")" ||
      { echo "app restart run: the shared entry could not be put back"; status=1; }
  fi
  exit $status
}
trap cleanup EXIT
fail() { echo "app restart run: $*"; cat "$app/AppRestart.log" 2>/dev/null; show_run_logs; exit 1; }

save_program_settings || fail "cannot save the settings"
if wine_quiet reg query "$shared_key"; then
  wine_quiet reg export "$shared_key" "$(windows_path "$out/shared-saved.reg")" /y ||
    fail "cannot save the shared entry"
  shared_saved=1
fi

starts() { if [ -f "$app/started.txt" ]; then grep -c started "$app/started.txt"; else echo 0; fi; }
wait_for_starts() {  # at most ten seconds
  for _ in $(seq 50); do [ "$(starts)" -ge "$1" ] && return 0; sleep 0.2; done
  return 1
}

set_value "$shared_key\\Settings" Product Kestrian || fail "cannot write the shared entry"
set_value "$shared_key\\Settings" File RestartProbe.exe || fail "cannot write the shared entry"
set_value "$options_key" SHOW false || fail "cannot write SHOW"
set_value "$options_key" RESTART True || fail "cannot write RESTART"

# The running copy is waited for; once it has ended, the program starts again.
"$wine_run" "$app/RestartProbe.exe" >"$out/probe.log" 2>&1 &
probe_pid=$!
wait_for_starts 1 || fail "the probe did not start"
"$wine_run" "$app/AppRestart.exe" >"$out/helper.log" 2>&1 &
helper_pid=$!
sleep 3
kill -0 "$helper_pid" 2>/dev/null || fail "the helper did not wait for the running program"
[ "$(starts)" -eq 1 ] || fail "a second copy started while the first one ran"
touch "$app/stop.txt"  # the first copy ends; the next one ends right after its start
wait "$probe_pid" || true
probe_pid=
wait "$helper_pid" || fail "the helper ended with an error"
helper_pid=
wait_for_starts 2 || fail "the program was not started again"
[ "$(setting RESTART)" = True ] || fail "RESTART was changed: '$(setting RESTART)'"
[ ! -e "$app/AppRestart.log" ] || fail "a log was written after a restart"

# No restart asked for: nothing starts.
rm -f "$app/started.txt"
set_value "$options_key" RESTART False || fail "cannot write RESTART"
wine_quiet "$app/AppRestart.exe" || fail "the helper ended with an error without a request"
sleep 2
[ "$(starts)" -eq 0 ] || fail "the program was started without a request"
[ ! -e "$app/AppRestart.log" ] || fail "a log was written without a request"

# The program file is missing: one line in the log, exit code 1.
set_value "$options_key" RESTART True || fail "cannot write RESTART"
set_value "$shared_key\\Settings" File Missing.exe || fail "cannot write the shared entry"
if wine_quiet "$app/AppRestart.exe"; then fail "the helper did not report the missing program"; fi
[ "$(wc -l <"$app/AppRestart.log")" -eq 1 ] || fail "not one log line"
grep -qF 'Missing.exe was not found; not restarted.' "$app/AppRestart.log" || fail "the log line names no reason"
[ "$(starts)" -eq 0 ] || fail "a program was started although the file is missing"

echo "app restart run: complete"
