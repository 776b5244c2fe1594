#!/usr/bin/env bash
# Runs a command while update_host.py serves a tree and the Wine prefix's Internet settings
# name that server as the proxy, so every http URL (www.kestrian.example, www.cut.example,
# ...) reaches it; hosts of the local network and 127.0.0.1 bypass it. Afterwards the server
# is stopped and the proxy settings are put back as they were, on failure too.
# The command sees KESTRIAN_UPDATE_HOST_PORT (the server's port) and KESTRIAN_UPDATE_HOST_ROOT_WINDOWS
# (the tree as a Wine path); the server logs each request in WORK_DIR/update_host.err. The tree
# may still be filled by the command: the server reads a file only when it is asked for.
# usage: with_update_host.sh TREE_DIR WORK_DIR COMMAND [ARGS...]
#   UPDATE_HOST_DELAY=SECONDS   version pages are answered that much later (for screenshots)
# The exit status is the command's; a failed clean-up fails the run.
set -eu
[ $# -ge 3 ] || { echo "usage: $0 TREE_DIR WORK_DIR COMMAND [ARGS...]" >&2; exit 2; }
mkdir -p "$1" "$2"
tree=$(cd "$1" && pwd) out=$(cd "$2" && pwd) run_name=with_update_host
shift 2
# Wine programs, how the run waits and how it fails.
source "$(dirname "$0")/windowed_run.sh"
settings='HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Internet Settings'
rm -f "$out"/update_host.* "$out"/wine.log "$out"/internet_settings_*.reg

server=0 settings_changed=0
cleanup() {
  local status=$?
  if [ "$settings_changed" -eq 1 ]; then
    for name in ProxyEnable ProxyServer ProxyOverride; do wine_quiet reg delete "$settings" /v $name /f || true; done
    wine_quiet reg import "$(windows_path "$out/internet_settings_saved.reg")" ||
      { echo "with_update_host: the Internet settings could not be put back" >&2; status=1; }
  fi
  [ "$server" -eq 0 ] || stop_processes "$server"
  exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

python3 "$(dirname "$0")/update_host.py" --root "$tree" --port-file "$out/update_host.port" \
  --delay "${UPDATE_HOST_DELAY:-0}" >>"$out/update_host.err" 2>&1 &
server=$!
wait_until 10 eval "[ -s '$out/update_host.port' ] || ! kill -0 $server 2>/dev/null" || fail "no port after ten seconds"
port=$(cat "$out/update_host.port" 2>/dev/null) || fail "the server did not start: $(cat "$out/update_host.err")"

# The key is saved whole; the run's proxy values are deleted again before it is put back, so a
# value that was not there is gone again.
wine_quiet reg export "$settings" "$(windows_path "$out/internet_settings_saved.reg")" /y ||
  fail "the Internet settings could not be saved"
settings_changed=1
wine_quiet reg add "$settings" /v ProxyEnable /t REG_DWORD /d 1 /f &&
  wine_quiet reg add "$settings" /v ProxyServer /d "127.0.0.1:$port" /f &&
  wine_quiet reg add "$settings" /v ProxyOverride /d '<local>;127.0.0.1;localhost' /f || fail "the proxy could not be set"

export KESTRIAN_UPDATE_HOST_PORT=$port KESTRIAN_UPDATE_HOST_ROOT_WINDOWS=$(windows_path "$tree")
"$@"
