#!/usr/bin/env bash
# Plants a machine (files, a running program and a look-alike of a Windows process, four
# files held open, probe libraries, registry values of every type and keys, some where
# Windows keeps what it needs, cookies) with the application folder inside the planted drive
# folder, encodes the definitions (some name the program's own files through its folder's
# short 8.3 form and a "\\?\" path), runs 'kscan scan --json --remove' there and checks with
# kscan_remove_check.py what is gone, what is left (with why), the quarantine folder and its
# log, Scan_Log.txt and the JSON report. Then it takes the removal back: the logon's
# 'kscan finish-removal' deletes the held file that is unchanged and keeps the one changed
# meanwhile, and 'kscan quarantine restore' of every record must give back the planted
# machine, files byte for byte and keys with their values and types. Whatever was planted
# is removed again and the settings are put back, pass or fail.
# usage: kscan_remove_run.sh KSCAN PLANT SLEEPER HOLDER PROBE KDEFS DEFINITIONS_SOURCES OUT_DIR
set -eu
kscan=$1 plant=$2 sleeper=$3 holder=$4 probe=$5 kdefs=$6 definitions=$7 out=$8
here=$(cd "$(dirname "$0")" && pwd)
run_name="kscan remove run"
source "$here/e2e_common.sh"

rm -rf "$out" && mkdir -p "$out/app-template/quarantine"
cp "$kscan" "$out/app-template/kscan.exe"
# An exclusion list and the log of an earlier removal; the program ends lines at a CR.
crlf "$here/kscan_remove_exclusions.txt" "$out/app-template/ENoSignature.txt"
crlf "$here/kscan_remove_old_quarantine_log.txt" "$out/app-template/quarantine/QuarantineLog.txt"
printf 'The backup an earlier removal made.\r\n' >"$out/app-template/quarantine/kse2r_old.txt"

trap cleanup EXIT
planter plant "$(windows_path "$sleeper")" "$(windows_path "$holder")" \
  "$(windows_path "$probe")" "$(windows_path "$out/app-template")" "$(windows_path "$out")" ||
  fail "planting failed"
app=$(sed -n 's/^APP=//p' "$out/values.txt")
# The definitions name the application folder as the plant made it.
for kind in registry:RegistryDefinition files:FileDefinition exe:ExeDefinition cookies:BlockedCookies; do
  crlf "$definitions/${kind%%:*}.txt" "$out/${kind%%:*}.txt" "$out/values.txt"
  "$wine_run" "$kdefs" encode "$(windows_path "$out/${kind%%:*}.txt")" "$app\\${kind#*:}.dat" \
    >>"$out/plant.log" 2>&1 || fail "cannot encode ${kind%%:*}.txt"
done

planter census "$(windows_path "$out/census.txt")" || fail "no census"
planter dump "$(windows_path "$out/planted-dump.txt")" || fail "no dump of the planted machine"
scan_status=0
(cd "$out" &&
  KSCAN_E2E_UNREGISTER_MARKER=$(windows_path "$out/unregistered.txt") \
    timeout 60 "$wine_run" "$app\\kscan.exe" scan --json --remove \
    >"$out/kscan.json" 2>"$out/kscan.err") || scan_status=$?
planter state "$(windows_path "$out/state.txt")" || fail "cannot read the machine's state"
planter collect "$(windows_path "$out/app")" || fail "cannot copy the application folder"

ok=1
python3 "$here/kscan_remove_check.py" "$here" "$out" || ok=0
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
"$wine_run" reg delete "$run_once" /v "Kestrian finish removal" /f >>"$out/plant.log" 2>&1
planter logon || fail "cannot end the holders"
finish_status=0
(cd "$out" && timeout 60 "$wine_run" "$app\\kscan.exe" finish-removal >"$out/finish.txt" \
  2>"$out/finish.err") || finish_status=$?
expect "finish-removal ended with $finish_status, expected 1 (a changed file kept)" test "$finish_status" -eq 1
drive=$(sed -n 's/^DRIVE=//p' "$out/values.txt")
printf '%s\n' "deleted: ${drive}KestrianE2ERemoval\\kse2r_shared.dat" \
  "kept, it has changed since the removal: ${drive}KestrianE2ERemoval\\kse2r_pending.dat" >"$out/finish.expected"
expect "finish-removal said: $(cat "$out/finish.txt")" diff <(tr -d '\r' <"$out/finish.txt") "$out/finish.expected"

# Everything back: every record of the index restored; only the changed file stays as the
# user left it (a file is never replaced without a question, and the console asks none).
(cd "$out" && timeout 60 "$wine_run" "$app\\kscan.exe" quarantine list --json >"$out/index.json" \
  2>"$out/list.err") || fail "kscan quarantine list failed: $(cat "$out/list.err")"
ids=$(python3 -c 'import json,sys; print(" ".join(str(r["id"]) for r in json.load(open(sys.argv[1]))["records"]))' \
  "$out/index.json")
restore_status=0
(cd "$out" && timeout 60 "$wine_run" "$app\\kscan.exe" quarantine restore $ids >"$out/restore.txt" \
  2>"$out/restore.err") || restore_status=$?
expect "restore ended with $restore_status, expected 1: $(cat "$out/restore.err")" test "$restore_status" -eq 1
expect "restore did not name the changed file: $(cat "$out/restore.err")" grep -q "kse2r_pending.dat: not restored: another file is at" "$out/restore.err"
planter dump "$(windows_path "$out/restored-dump.txt")" || fail "no dump of the restored machine"
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
