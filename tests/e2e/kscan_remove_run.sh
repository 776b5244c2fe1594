#!/usr/bin/env bash
# kscan on the machine of kscan_remove_plan.txt, with the application folder inside the planted
# folder and definitions that name its files through the 8.3 form and a "\\?\" path: 'kscan scan
# --json --remove --quiet --output FILE' and what it left (the planter against the plan,
# kscan_remove_check.py for the reasons, the scan log and the report); then the
# logon's 'kscan finish-removal', and 'kscan quarantine restore' of every record, which must give
# back the planted machine byte for byte. The plants and the settings are put back, pass or fail.
# usage: kscan_remove_run.sh KSCAN PLANTER SLEEPER PROBE KDEFS DEFINITIONS_SOURCES OUT_DIR
set -eu
kscan=$1 planter=$2 sleeper=$3 probe=$4 kdefs=$5 definitions=$6 out=$7
here=$(cd "$(dirname "$0")" && pwd)
run_name="kscan remove run"
source "$here/windowed_run.sh"
plan=$(windows_path "$here/kscan_remove_plan.txt")

# Copies a text file with CR LF line ends (the program ends a line at a CR), each ${NAME}
# replaced by its value from the plant's values.txt.  usage: crlf SOURCE TARGET
crlf() {
  local text name value
  text=$(<"$1")
  while IFS== read -r name value; do text=${text//"\${$name}"/"$value"}; done <"$out/values.txt"
  printf '%s\n' "$text" | sed 's/$/\r/' >"$2"
}

rm -rf "$out" && mkdir -p "$out/app-template"
cp "$kscan" "$out/app-template/kscan.exe"
printf 'E2R Excluded File\r\n\r\n' >"$out/app-template/ENoSignature.txt"  # the exclusion list

trap put_back_run EXIT
save_program_settings || fail "cannot save the settings"
plant plant "$plan" "$(windows_path "$sleeper")" "$(windows_path "$probe")" "$(windows_path "$out")" ||
  fail "planting failed"
app=$(sed -n 's/^APP=//p' "$out/values.txt" | tr -d '\r')
app_unix=$("$wine_run" winepath -u "$app" 2>>"$out/wine.log" | head -n 1)
[ -d "$app_unix" ] || fail "no application folder at '$app_unix'"
cp -r "$out/app-template/." "$app_unix/"
# The definitions name the application folder as the plant made it.
for kind in registry files exe cookies; do
  crlf "$definitions/$kind.txt" "$out/$kind.txt"
done
encode_definitions "$out" "$app"

# Runs the application folder's kscan with ARGS, its output in OUT/NAME.txt and NAME.err, its
# exit code in `status`.  usage: run_kscan NAME ARGS...
run_kscan() {
  local name=$1
  shift
  status=0
  (cd "$out" && "$wine_run" "$app\\kscan.exe" "$@" >"$out/$name.txt" 2>"$out/$name.err") || status=$?
}
KSCAN_E2E_UNREGISTER_MARKER=$(windows_path "$out/unregistered.txt") \
  run_kscan scan scan --json --remove --quiet --output "$(windows_path "$out/kscan.json")"
plant check "$plan" || fail "the machine after the removal differs from the plan: $(cat "$out/plant.log")"

ok=1
expect() { local what=$1; shift; "$@" || { echo "kscan remove run: $what"; ok=0; }; }
expect "--quiet printed the report" test ! -s "$out/scan.txt"
expect "--output left a partial file" test ! -e "$out/kscan.json.partial"
expect "exit code $status, expected 1 (something was left): $(cat "$out/scan.err")" test "$status" -eq 1
python3 "$here/kscan_remove_check.py" "$out" "$app_unix" || ok=0
[ "$ok" -eq 1 ] || exit 1
echo "kscan remove run: the machine, the quarantine, the logs and the report are as expected"

# The next logon. Wine never runs the user's RunOnce entries, so the run plays the logon: the
# holders end, one of the two held files that were backed up is changed meanwhile, and the
# scheduled command line runs as Windows would run it, its entry deleted first.
run_once='HKLM\Software\Microsoft\Windows\CurrentVersion\RunOnce'
"$wine_run" reg query "$run_once" /v "Kestrian finish removal" >"$out/run-once.txt" 2>&1 ||
  fail "no RunOnce entry for the held files"
expect "the RunOnce entry does not start finish-removal: $(cat "$out/run-once.txt")" \
  grep -qF "\"$app\\kscan.exe\" finish-removal" "$out/run-once.txt"
wine_quiet reg delete "$run_once" /v "Kestrian finish removal" /f
plant stop "$plan" || fail "cannot end the holders"
printf 'Changed after the removal.\r\n' >>"$app_unix/../kse2r_pending.dat"
run_kscan finish finish-removal
expect "finish-removal ended with $status, expected 1 (a changed file kept)" test "$status" -eq 1
drive=$(sed -n 's/^DRIVE=//p' "$out/values.txt")
printf '%s\n' "deleted: ${drive}KestrianE2ERemoval\\kse2r_shared.dat" \
  "kept, it has changed since the removal: ${drive}KestrianE2ERemoval\\kse2r_pending.dat" >"$out/finish.expected"
expect "finish-removal said: $(cat "$out/finish.txt")" diff <(tr -d '\r' <"$out/finish.txt") "$out/finish.expected"

# Everything back: every record of the index restored; only the changed file stays as the
# user left it (a file is never replaced without a question, and the console asks none).
run_kscan index quarantine list --json
[ "$status" -eq 0 ] || fail "kscan quarantine list failed: $(cat "$out/index.err")"
ids=$(python3 -c 'import json,sys; print(" ".join(str(r["id"]) for r in json.load(open(sys.argv[1]))["records"]))' \
  "$out/index.txt")
run_kscan restore quarantine restore $ids
expect "restore ended with $status, expected 1: $(cat "$out/restore.err")" test "$status" -eq 1
expect "restore did not name the changed file: $(cat "$out/restore.err")" grep -q "kse2r_pending.dat: not restored: another file is at" "$out/restore.err"
plant dump "$plan" "$(windows_path "$out/restored-dump.txt")" || fail "no dump of the restored machine"
# Byte for byte the planted machine, but for the one changed file.
other() { LC_ALL=C grep -v kse2r_pending.dat "$1" | LC_ALL=C sort; }
expect "the restored machine differs from the planted one: $(diff <(other "$out/planted-dump.txt") <(other "$out/restored-dump.txt"))" \
  cmp -s <(other "$out/planted-dump.txt") <(other "$out/restored-dump.txt")
expect "the changed file is not there once" test "$(grep -c kse2r_pending.dat "$out/restored-dump.txt")" -eq 1
[ "$ok" -eq 1 ] || exit 1
echo "kscan remove run: finish-removal and the restore of every record gave back the planted machine"
