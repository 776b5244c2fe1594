#!/usr/bin/env bash
# Plants a machine (registry keys and values, files in every template folder, cookies, two
# running processes), runs 'kscan scan --json --quiet --output FILE' from an application
# folder holding the planted definitions and exclusion list, and compares the whole report with
# kscan_expected.json. Checks the exit code, that the listed process was stopped and that
# the excluded one still runs. Whatever was planted is removed again, pass or fail.
# The expected document's ${NAME} placeholders are the folders this machine reports
# (folders.txt, written by the planter) and the census taken just before the scan.
# usage: kscan_golden_run.sh KSCAN_EXE PLANT_EXE SLEEPER_EXE DEFINITIONS_DIR OUT_DIR
set -eu
kscan=$1 plant=$2 sleeper=$3 definitions=$4 out=$5
here=$(cd "$(dirname "$0")" && pwd)
run_name="kscan json run"
source "$here/e2e_common.sh"

rm -rf "$out" && mkdir -p "$out/app"
cp "$kscan" "$out/app/kscan.exe"
cp "$definitions"/*.dat "$out/app/"

trap cleanup EXIT
planter plant "$(windows_path "$sleeper")" "$(windows_path "$out/folders.txt")" ||
  fail "planting failed"

# The exclusion list names one cookie by its full path, so it is written for this machine.
crlf "$here/kscan_exclusions.txt" "$out/app/ENoSignature.txt" "$out/folders.txt"

# The scan counts every running process and every file of the cookie folder; the census
# gives the part of that count the plant does not decide (${PROCESSES}, ${OTHER_COOKIE_FILES}).
planter census "$(windows_path "$out/census.txt")" || fail "no census"
# The relative folder of a misspelt template is taken from here, where nothing matches it.
scan_status=0
(cd "$out" && timeout 60 "$wine_run" "$out/app/kscan.exe" scan --json --quiet \
  --output "$(windows_path "$out/kscan.json")" >"$out/kscan.out" 2>"$out/kscan.err") || scan_status=$?
planter running "$(windows_path "$out/running.txt")" || fail "cannot list the processes"

ok=1
[ ! -s "$out/kscan.out" ] && [ ! -e "$out/kscan.json.partial" ] ||
  { echo "kscan json run: --quiet printed the report, or --output left a partial file"; ok=0; }
python3 "$here/kscan_compare.py" "$here/kscan_expected.json" "$out/kscan.json" \
  "$out/folders.txt" "$out/census.txt" || ok=0
if [ "$scan_status" -ne 1 ]; then
  echo "kscan json run: exit code $scan_status, expected 1 (something found)"
  cat "$out/kscan.err"
  ok=0
fi
running=$(tr '[:upper:]' '[:lower:]' <"$out/running.txt" | tr -d '\r' | sort | tr '\n' ' ')
if [ "$running" != "kse2eexcl.exe " ]; then
  echo "kscan json run: planted processes running after the scan: '${running}'," \
       "expected only the excluded kse2eexcl.exe"
  ok=0
fi
[ "$ok" -eq 1 ] || exit 1
echo "kscan json run: the report matches kscan_expected.json"
