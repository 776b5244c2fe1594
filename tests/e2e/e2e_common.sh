# What the end-to-end run scripts share; sourced once the script has set `run_name` (the
# prefix of its messages), `plant` (the planter) and `out` (its output folder).
wine_run=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/scripts/wine-run

# Wine programs write to files, never to pipes: a persistent wineserver's processes may
# inherit an output and hold a pipe open forever.
planter() { "$wine_run" "$plant" "$@" >>"$out/plant.log" 2>&1; }
# A leftover would change what later runs and tests see, so a failed clean-up fails the run.
cleanup() {
  local status=$?
  planter clean || { echo "$run_name: cleaning up failed"; cat "$out/plant.log"; status=1; }
  exit $status
}
fail() { echo "$run_name: $*"; cat "$out/plant.log" 2>/dev/null; exit 1; }

windows_path() { printf 'Z:%s' "$1" | tr / '\\'; }

# Copies a text file with CR LF line ends (the program ends a line at a CR; a LF alone would
# join the entries), each ${NAME} replaced by its value from the NAME=value files given.
# usage: crlf SOURCE TARGET [VALUES_FILE...]
crlf() {
  python3 - "$@" <<'PYTHON'
import sys
source, target, *value_files = sys.argv[1:]
text = open(source).read()
for path in value_files:
    for line in open(path).read().splitlines():
        if line:
            name, value = line.split("=", 1)
            text = text.replace("${" + name + "}", value)
open(target, "w", newline="\r\n").write(text)
PYTHON
}
