#!/usr/bin/env bash
# Plants the machine of kscan_remove_plan.txt (files, a running program and a look-alike of a
# Windows process, four files held open, probe libraries, registry values of every type and
# keys, some where Windows keeps what it needs, cookies) with the application folder inside
# the planted drive folder, encodes the definitions (some name the program's own files
# through its folder's short 8.3 form and a "\\?\" path), runs 'kscan scan --json --remove
# --quiet --output FILE' there and checks what is gone and what is left (the planter, against
# the plan), why it was left, the quarantine and its log, Scan_Log.txt and the report
# (kscan_remove_check.py). Then it takes the removal back: the logon's 'kscan finish-removal'
# deletes the held file that is unchanged and keeps the one changed meanwhile, and 'kscan
# quarantine restore' of every record must give back the planted machine, files byte for
# byte and keys with their values and types. Whatever was planted is removed again and the
# settings are put back, pass or fail.
# usage: kscan_remove_run.sh KSCAN PLANTER SLEEPER HOLDER PROBE KDEFS DEFINITIONS_SOURCES OUT_DIR
set -eu
kscan=$1 planter=$2 sleeper=$3 holder=$4 probe=$5 kdefs=$6 definitions=$7 out=$8
here=$(cd "$(dirname "$0")" && pwd)
wine_run=$here/../../scripts/wine-run
run_name="kscan remove run"
source "$here/windowed_run.sh"
plan=$(windows_path "$here/kscan_remove_plan.txt")
plant() { "$wine_run" "$planter" "$@" >>"$out/plant.log" 2>&1; }
unix_path() { "$wine_run" winepath -u "$1" 2>>"$out/wine.log" | head -n 1; }

# Copies a text file with CR LF line ends (the program ends a line at a CR), each ${NAME}
# replaced by its value from the NAME=value file given.  usage: crlf SOURCE TARGET [VALUES]
crlf() {
  python3 - "$@" <<'PYTHON'
import sys
source, target, *values = sys.argv[1:]
text = open(source).read()
for line in (open(values[0]).read().splitlines() if values else []):
    name, value = line.split("=", 1)
    text = text.replace("${" + name + "}", value)
open(target, "w", newline="\r\n").write(text)
PYTHON
}

rm -rf "$out" && mkdir -p "$out/app-template/quarantine"
cp "$kscan" "$out/app-template/kscan.exe"
# An exclusion list and the log of an earlier removal.
crlf "$here/kscan_remove_exclusions.txt" "$out/app-template/ENoSignature.txt"
crlf "$here/kscan_remove_old_quarantine_log.txt" "$out/app-template/quarantine/QuarantineLog.txt"
printf 'The backup an earlier removal made.\r\n' >"$out/app-template/quarantine/kse2r_old.txt"

cleanup() {
  local status=$?
  plant clean "$plan" || { echo "kscan remove run: cleaning up failed"; cat "$out/plant.log"; status=1; }
  restore_program_settings || { echo "kscan remove run: the settings could not be put back"; status=1; }
  exit $status
}
trap cleanup EXIT
save_program_settings || fail "cannot save the settings"
plant plant "$plan" "$(windows_path "$sleeper")" "$(windows_path "$holder")" "$(windows_path "$probe")" \
  "$(windows_path "$out")" || fail "planting failed"
app=$(sed -n 's/^APP=//p' "$out/values.txt" | tr -d '\r')
app_unix=$(unix_path "$app")
[ -d "$app_unix" ] || fail "no application folder at '$app_unix'"
cp -r "$out/app-template/." "$app_unix/"
# The definitions name the application folder as the plant made it.
for kind in registry:RegistryDefinition files:FileDefinition exe:ExeDefinition cookies:BlockedCookies; do
  crlf "$definitions/${kind%%:*}.txt" "$out/${kind%%:*}.txt" "$out/values.txt"
  wine_quiet "$kdefs" encode "$(windows_path "$out/${kind%%:*}.txt")" "$app\\${kind#*:}.dat" ||
    fail "cannot encode ${kind%%:*}.txt"
done

scan_status=0
(cd "$out" &&
  KSCAN_E2E_UNREGISTER_MARKER=$(windows_path "$out/unregistered.txt") \
    "$wine_run" "$app\\kscan.exe" scan --json --remove --quiet --output "$(windows_path "$out/kscan.json")" \
    >"$out/kscan.out" 2>"$out/kscan.err") || scan_status=$?
plant check "$plan" || fail "the machine after the removal differs from the plan: $(cat "$out/plant.log")"

ok=1
[ ! -s "$out/kscan.out" ] && [ ! -e "$out/kscan.json.partial" ] ||
  { echo "kscan remove run: --quiet printed the report, or --output left a partial file"; ok=0; }
python3 "$here/kscan_remove_check.py" "$here" "$out" "$app_unix" || ok=0
if [ "$scan_status" -ne 1 ]; then
  echo "kscan remove run: exit code $scan_status, expected 1 (something was left)"
  cat "$out/kscan.err"
  ok=0
fi
[ "$ok" -eq 1 ] || exit 1
echo "kscan remove run: the machine, the quarantine, the logs and the report are as expected"

# The next logon. Wine never runs the user's RunOnce entries, so the run plays the logon: the
# holders end, one of the two held files that were backed up is changed meanwhile, and the
# scheduled command line runs as Windows would run it, its entry deleted first.
expect() { local what=$1; shift; "$@" || { echo "kscan remove run: $what"; ok=0; }; }
run_once='HKLM\Software\Microsoft\Windows\CurrentVersion\RunOnce'
"$wine_run" reg query "$run_once" /v "Kestrian finish removal" >"$out/run-once.txt" 2>&1 ||
  fail "no RunOnce entry for the held files"
expect "the RunOnce entry does not start finish-removal: $(cat "$out/run-once.txt")" \
  grep -qF "\"$app\\kscan.exe\" finish-removal" "$out/run-once.txt"
wine_quiet reg delete "$run_once" /v "Kestrian finish removal" /f
plant stop "$plan" || fail "cannot end the holders"
printf 'Changed after the removal.\r\n' >>"$app_unix/../kse2r_pending.dat"
finish_status=0
(cd "$out" && "$wine_run" "$app\\kscan.exe" finish-removal >"$out/finish.txt" \
  2>"$out/finish.err") || finish_status=$?
expect "finish-removal ended with $finish_status, expected 1 (a changed file kept)" test "$finish_status" -eq 1
drive=$(sed -n 's/^DRIVE=//p' "$out/values.txt")
printf '%s\n' "deleted: ${drive}KestrianE2ERemoval\\kse2r_shared.dat" \
  "kept, it has changed since the removal: ${drive}KestrianE2ERemoval\\kse2r_pending.dat" >"$out/finish.expected"
expect "finish-removal said: $(cat "$out/finish.txt")" diff <(tr -d '\r' <"$out/finish.txt") "$out/finish.expected"

# Everything back: every record of the index restored; only the changed file stays as the
# user left it (a file is never replaced without a question, and the console asks none).
(cd "$out" && "$wine_run" "$app\\kscan.exe" quarantine list --json >"$out/index.json" \
  2>"$out/list.err") || fail "kscan quarantine list failed: $(cat "$out/list.err")"
ids=$(python3 -c 'import json,sys; print(" ".join(str(r["id"]) for r in json.load(open(sys.argv[1]))["records"]))' \
  "$out/index.json")
restore_status=0
(cd "$out" && "$wine_run" "$app\\kscan.exe" quarantine restore $ids >"$out/restore.txt" \
  2>"$out/restore.err") || restore_status=$?
expect "restore ended with $restore_status, expected 1: $(cat "$out/restore.err")" test "$restore_status" -eq 1
expect "restore did not name the changed file: $(cat "$out/restore.err")" grep -q "kse2r_pending.dat: not restored: another file is at" "$out/restore.err"
plant dump "$plan" "$(windows_path "$out/restored-dump.txt")" || fail "no dump of the restored machine"
python3 - "$out/planted-dump.txt" "$out/restored-dump.txt" <<'PYTHON' || ok=0
import sys
planted, restored = (sorted(open(path, encoding="latin-1").read().splitlines()) for path in sys.argv[1:])
changed = [line for line in restored if "kse2r_pending.dat" in line]
expected = [line for line in planted if "kse2r_pending.dat" not in line] + changed
differences = sorted(set(planted) ^ set(restored))
if sorted(expected) != restored or len(changed) != 1:
    print("kscan remove run: the restored machine differs from the planted one:")
    print("\n".join(differences))
    sys.exit(1)
PYTHON
[ "$ok" -eq 1 ] || exit 1
echo "kscan remove run: finish-removal and the restore of every record gave back the planted machine"
