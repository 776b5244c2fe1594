# What the windowed end-to-end runs share: Wine programs with their output in files, the
# window driver, the program's settings store kept as it was across the run, and how a run
# fails. Sourced once the script has set `run_name` and `out` (and `kdrive`, for `drive`;
# `kdefs`, for `encode_definitions`).

wine_run=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/scripts/wine-run

# Wine programs write to files, never to pipes: a persistent wineserver's processes may
# inherit an output and hold a pipe open for ever.
wine_quiet() { "$wine_run" "$@" >>"$out/wine.log" 2>&1; }
drive() { "$wine_run" "$kdrive" "$@" >>"$out/kdrive.log" 2>&1; }

store='HKCU\Software\VB and VBA Program Settings'
program_key="$store\\Kestrian"
options_key="$program_key\\OptionAndSettings"
store_existed=0 settings_saved=0

# Saves the program's settings (and notes whether the store existed); with "clear" they are
# removed as well, for a fresh profile. False when they could not be saved or removed.
save_program_settings() {
  wine_quiet reg query "$store" && store_existed=1
  wine_quiet reg query "$program_key" || return 0
  wine_quiet reg export "$program_key" "$(windows_path "$out/settings-saved.reg")" /y || return 1
  settings_saved=1
  [ "${1:-}" != clear ] || wine_quiet reg delete "$program_key" /f
}

# Sets OptionAndSettings values, or fails the run.  usage: set_settings NAME=VALUE...
set_settings() {
  local pair
  for pair in "$@"; do
    wine_quiet reg add "$options_key" /v "${pair%%=*}" /t REG_SZ /d "${pair#*=}" /f || fail "cannot set ${pair%%=*}"
  done
}

# The planter on the run's plan file (`planter`, `plan`).
plant() { "$wine_run" "$planter" "$@" >>"$out/plant.log" 2>&1; }

# Encodes SOURCES/{registry,files,exe,cookies}.txt into the four definition files of the
# run's application folder (or the Windows folder TARGET), or fails the run.
# usage: encode_definitions SOURCES [TARGET]
encode_definitions() {
  local kind target=${2:-$(windows_path "$out/app")}
  for kind in registry:RegistryDefinition files:FileDefinition exe:ExeDefinition cookies:BlockedCookies; do
    wine_quiet "$kdefs" encode "$(windows_path "$1/${kind%%:*}.txt")" "$target\\${kind#*:}.dat" ||
      fail "cannot encode ${kind%%:*}.txt"
  done
}

# The one deadline of every wait for the program: generous, since a loaded machine may take
# many times as long as an idle one, and a state that comes at all comes well within it.
patience=120

# True once COMMAND succeeds, false if it still fails after SECONDS of the clock.
# usage: wait_until SECONDS COMMAND...
wait_until() {
  local end=$((SECONDS + $1))
  shift
  until "$@"; do
    [ "$SECONDS" -lt "$end" ] || return 1
    sleep 0.2
  done
}

# True once the process has ended, false if it still runs after SECONDS.
wait_process_end() { wait_until "$2" eval "! kill -0 $1 2>/dev/null"; }

# A screenshot of the screen as it is now.
snap() { import -window root "$out/$1" && [ -s "$out/$1" ] || fail "no screenshot $1"; }

# A screenshot of the screen once the window TITLE (or the main window) has painted.
shoot() {
  drive painted ${2:+"$2"} || fail "the window ${2:-of the program} did not paint for $1"
  snap "$1"
}

# A window TITLE that shows, its screenshot FILE, and its button CAPTION pressed.
# usage: answer TITLE FILE CAPTION
answer() {
  drive wait-title "$1" $patience || fail "no window \"$1\" for $2"
  shoot "$2" "$1"
  drive click-in "$1" "$3" || fail "no button \"$3\" on \"$1\""
}

# Ends the given processes, waiting up to ten seconds for each.
stop_processes() {
  local pid
  for pid in "$@"; do
    kill "$pid" 2>/dev/null || continue
    wait_process_end "$pid" 10 || true
  done
}

# Ends every copy of the program and waits until none runs, so the next run's start is not
# taken for a second copy (which ends in its start-up). A copy is closed by its window as a
# user would close it; the given processes are then stopped, and whatever still runs (a copy
# the restart helper started is no child of this script) is killed. False if one survives.
end_program() {
  drive close || true
  drive wait-ended 10 && return 0
  stop_processes "$@"
  drive wait-ended 5 && return 0
  wine_quiet taskkill /f /im Kestrian.exe || true
  drive wait-ended 10
}

# What every run puts back when it ends, pass or fail: every copy of the program (a run with
# `kdrive`) and `other_process` ended, the plants of `plan` removed, the run's own `put_back`,
# the settings as saved. A run's `put_back` is false when something could not be put back.
program= other_process= plan=
put_back() { :; }
put_back_run() {
  local status=$?
  [ -z "${kdrive:-}" ] || end_program $program $other_process ||
    { echo "$run_name: the program could not be ended"; status=1; }
  stop_processes $other_process
  [ -z "$plan" ] || plant clean "$plan" ||
    { echo "$run_name: the plants could not all be removed: $(tail -n 5 "$out/plant.log")"; status=1; }
  put_back || status=1
  wine_quiet reg delete "$program_key" /f || true
  [ "$settings_saved" -eq 0 ] || wine_quiet reg import "$(windows_path "$out/settings-saved.reg")" ||
    { echo "$run_name: the settings could not be put back"; status=1; }
  [ "$store_existed" -eq 1 ] || wine_quiet reg delete "$store" /f || true
  exit $status
}

# The program, a child of this script, ended by WHAT in order: exit code 0, STATUS "STOPPED",
# RESTART "False".  usage: ended_in_order WHAT
ended_in_order() {
  local exit_code=0
  wait_process_end "$program" $patience || fail "the program did not end after $1"
  wait "$program" || exit_code=$?
  program=
  [ "$exit_code" -eq 0 ] || fail "the program ended with exit code $exit_code after $1"
  [ "$(setting STATUS) $(setting RESTART)" = "STOPPED False" ] ||
    fail "STATUS and RESTART are '$(setting STATUS) $(setting RESTART)' after $1"
}

# A fresh OUT/app with the program EXE and the restart helper (by default the one built beside
# it), for a run on the display.  usage: new_app_folder EXE [RESTARTER]
new_app_folder() {
  : "${DISPLAY:?the $run_name needs a display (run under xvfb-run)}"
  rm -rf "$out" && mkdir -p "$out/app"
  cp "$1" "$out/app/Kestrian.exe"
  cp "${2:-$(dirname "$1")/AppRestart.exe}" "$out/app/AppRestart.exe"
}

# Starts the program EXE, a child of this script, and waits for its main window and TEXT in it.
# usage: start_program EXE WHAT [TEXT]
start_program() {
  "$wine_run" "$1" >>"$out/program.log" 2>&1 &
  program=$!
  wait_for_program "$2" "${3:-}"
}
wait_for_program() {
  drive wait-window $patience || fail "$1: the main window did not open"
  [ -z "$2" ] || drive wait-text "$2" $patience || fail "$1: the main window does not show \"$2\""
}

# A run starts on a machine where the program does not run; an earlier run may still be ending it.
expect_no_program() { drive wait-ended 30 || fail "a copy of the program from an earlier run still runs"; }

windows_path() { printf 'Z:%s' "$1" | tr / '\\'; }

# The data of the registry value NAME of KEY, or nothing.  usage: reg_value KEY NAME
reg_value() {
  "$wine_run" reg query "$1" /v "$2" >"$out/value.txt" 2>>"$out/wine.log" || return 0
  tr -d '\r' <"$out/value.txt" | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"
}

# The data of an OptionAndSettings value, or nothing.
setting() { reg_value "$options_key" "$1"; }

# A failed run says why, with the last lines the Wine programs, the window driver and the
# planter wrote (all a CI log keeps of them), and ends; its clean-up trap still runs.
fail() {
  local log
  echo "$run_name: $*"
  for log in wine kdrive plant; do
    [ ! -s "$out/$log.log" ] || { echo "--- last lines of $log.log" && tail -n 15 "$out/$log.log"; }
  done
  exit 1
}
