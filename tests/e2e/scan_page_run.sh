#!/usr/bin/env bash
# The demo's run: plants traces of some of the sample threats on the Wine machine, starts the
# program from a copy of the demo application folder, runs a scan from the scan page and
# writes down what the program shows when it has ended: the scan page's counters
# (scan-counters.txt) and the rows of the results list (results.txt), both read off its
# windows, beside screenshots of the status page at start-up, the scan page and the results
# page. Checks that the rows are the ones of the scan log the program wrote and that the end
# of the Windows session ends the program in order. The plants and the program's settings are
# put back afterwards, pass or fail; planted.txt lists the plants.
# usage: scan_page_run.sh KESTRIAN_EXE KDRIVE_EXE DEMO_DEFINITIONS_DIR OUT_DIR
set -eu
exe=$1 kdrive=$2 definitions=$3 out=$4
here=$(cd "$(dirname "$0")" && pwd)
run_name="scan page run"
source "$here/windowed_run.sh"
new_app_folder "$exe"
cp "$definitions"/*.dat "$out/app/"

planter=$(dirname "$kdrive")/planter.exe plan=$(windows_path "$here/scan_page_plan.txt")
trap put_back_run EXIT

expect_no_program
save_program_settings || fail "cannot save the settings"
set_settings chkMakeLog=1
plant plant "$plan" - - "$(windows_path "$out")" || fail "cannot plant the demo machine"
awk '$1 == "file" { print "file\t" $2 } $1 == "key" { print "registry key\t" $2 }
  $1 == "value" { print "registry value\t" $3 " in " $2 }' "$out/planted-dump.txt" >"$out/planted.txt"

start_program "$out/app/Kestrian.exe" start "Last scan:"
shoot status-page.png
drive click "Scan &Now" || fail "no Scan Now button"
drive click "&Start" || fail "no Start button"
drive wait-text "Scanning complete." $patience || fail "the scan did not complete"
shoot scan-page.png
read_window() { "$wine_run" "$kdrive" "$@" >"$out/read.txt" 2>>"$out/kdrive.log" && tr -d '\r' <"$out/read.txt"; }
for caption in "Cookies/Processes Inspected" "Registry Entries Inspected" "Files/Folders Inspected" \
               "Spyware/Adware Found" "Traces Found"; do
  value=$(read_window value-of "$caption") || fail "no counter \"$caption\""
  printf '%s\t%s\n' "$caption" "$value"
done >"$out/scan-counters.txt"
drive click "&Results/Removal" || fail "no Results/Removal button"
drive wait-text "Select &All" $patience || fail "the results page did not show"
# Once the program has taken the page switch whole: until then the scan page's list may show too.
drive painted || fail "the results page was not painted"
read_window rows >"$out/results.txt" || fail "the results list could not be read"
snap results-page.png
# The same rows as the scan log's, and the demo machine's threats among them.
tr -d '\r' <"$out/app/Scan_Log.txt" | awk '/^\[Threats Detected\]$/ { rows = 1; next }
  rows && /^Total = / { exit } rows && NF' >"$out/log-rows.txt" || fail "no scan log"
[ -s "$out/results.txt" ] && tr '\t' '\n' <"$out/results.txt" | cmp -s - "$out/log-rows.txt" ||
  fail "the results list and the scan log differ, or are empty (see $out/results.txt)"
# The end of the Windows session ends it in order, as a close does.
drive end-session || fail "the program did not take the end of the session"
ended_in_order "the end of the session"
echo "scan page run: complete; screenshots and what the program showed are in $out"
