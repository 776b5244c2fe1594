#!/usr/bin/env bash
# Plants a machine (files, a running program and a look-alike of a Windows process, three
# files held open, probe libraries, registry values and keys, some where Windows keeps what
# it needs, cookies) with the application folder inside the planted drive folder, encodes
# the definitions (some name the program's own files through its folder's short 8.3 form
# and a "\\?\" path), runs 'kscan scan --json --remove' there and checks with
# kscan_remove_check.py what is gone, what is left, the quarantine folder and its log,
# Scan_Log.txt and the JSON report. Whatever was planted is removed again and the settings
# are put back, pass or fail.
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
