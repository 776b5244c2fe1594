#!/usr/bin/env bash
# Plants a machine (registry keys and values, files in every template folder, cookies, two
# running processes), runs 'kscan scan --json' from an application folder holding the
# planted definitions and exclusion list, and compares the whole report with
# kscan_expected.json. Checks the exit code, that the listed process was stopped and that
# the excluded one still runs. Whatever was planted is removed again, pass or fail.
# The expected document's ${NAME} placeholders are the folders this machine reports
# (folders.txt, written by the planter) and the census taken just before the scan.
# usage: kscan_golden_run.sh KSCAN_EXE PLANT_EXE SLEEPER_EXE DEFINITIONS_DIR OUT_DIR
set -eu
kscan=$1 plant=$2 sleeper=$3 definitions=$4 out=$5
here=$(cd "$(dirname "$0")" && pwd)
wine_run=$here/../../scripts/wine-run

rm -rf "$out" && mkdir -p "$out/app"
cp "$kscan" "$out/app/kscan.exe"
cp "$definitions"/*.dat "$out/app/"

# Wine programs write to files, never to pipes: a persistent wineserver's processes may
# inherit an output and hold a pipe open forever.
planter() { "$wine_run" "$plant" "$@" >>"$out/plant.log" 2>&1; }
# A leftover would change what later runs and tests see, so a failed clean-up fails the run.
cleanup() {
  local status=$?
  planter clean || { echo "kscan json run: cleaning up failed"; cat "$out/plant.log"; status=1; }
  exit $status
}
trap cleanup EXIT
fail() { echo "kscan json run: $*"; cat "$out/plant.log" 2>/dev/null; exit 1; }

windows_path() { printf 'Z:%s' "$1" | tr / '\\'; }
planter plant "$(windows_path "$sleeper")" "$(windows_path "$out/folders.txt")" ||
  fail "planting failed"

# The exclusion list names one cookie by its full path, so it is written for this machine.
python3 - "$here/kscan_exclusions.txt" "$out/folders.txt" "$out/app/ENoSignature.txt" <<'EOF'
import sys
template, folders, target = sys.argv[1:]
values = dict(line.split("=", 1) for line in open(folders).read().splitlines() if line)
text = open(template).read()
for name, value in values.items():
    text = text.replace("${" + name + "}", value)
# The program ends a line at a CR; a LF alone would join the entries.
open(target, "w", newline="\r\n").write(text)
EOF

# The scan counts every running process and every file of the cookie folder; the census
# gives the part of that count the plant does not decide (${PROCESSES}, ${OTHER_COOKIE_FILES}).
planter census "$(windows_path "$out/census.txt")" || fail "no census"
# The relative folder of a misspelt template is taken from here, where nothing matches it.
scan_status=0
(cd "$out" &&
  timeout 60 "$wine_run" "$out/app/kscan.exe" scan --json >"$out/kscan.json" 2>"$out/kscan.err") ||
  scan_status=$?
planter running "$(windows_path "$out/running.txt")" || fail "cannot list the processes"

ok=1
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
