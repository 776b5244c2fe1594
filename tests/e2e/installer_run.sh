#!/usr/bin/env bash
# The installer package under Wine, in a fresh prefix of the run's own: its tables; a silent
# install (files, shortcut, uninstall entry); the installed program started;
# an upgrade by a next version signed here with a throw-away certificate, while the program
# runs; a silent uninstall while it runs again.
# usage: installer_run.sh PACKAGE KDRIVE_EXE HOST_TREE PROGRAM_DIR DEFINITIONS_DIR OUT_DIR R F E C
#   (HOST_TREE: the update host's newer files; the rest: what make_msi.sh takes)
set -eu
package=$1 kdrive=$2 host_tree=$3 program_dir=$4 definitions=$5 out=$6
shift 6
versions=("$@")
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../.." && pwd)
: "${DISPLAY:?the installer run needs a display (run under xvfb-run)}"
rm -rf "$out" && mkdir -p "$out"
run_name="installer run"
source "$here/windowed_run.sh"

# A copy of a prefix made once and never started: a machine the program has never been on.
template=$(dirname "$out")/installer-prefix-template prefix=$out/prefix
export KESTRIAN_WINEPREFIX=$prefix
if [ ! -f "$template/system.reg" ]; then
  rm -rf "$template" "$template.partial"
  KESTRIAN_WINEPREFIX=$template.partial wine_quiet 'C:\windows\system32\cmd.exe' /c exit || true
  WINEPREFIX=$template.partial wineserver -w
  mv "$template.partial" "$template"
fi
cp -a "$template" "$prefix"
cleanup() {
  local status=$?
  end_program $program || { echo "installer run: the program could not be ended"; status=1; }
  WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
  [ "$status" -ne 0 ] || rm -rf "$prefix"
  exit $status
}
trap cleanup EXIT
"$wine_run" --server

msiexec() { wine_quiet msiexec "${@:2}" /qn /l*v "$(windows_path "$out/msiexec-$1.log")"; }
property() { msiinfo export "$1" Property | tr -d '\r' | awk -F'\t' -v name="$2" '$1 == name { print $2 }'; }
verify() { osslsigncode verify -CAfile "$out/sign.crt" -in "$1" >>"$out/sign.log" 2>&1; }
uninstall_entry() {  # Wine records even a per-user install's entry under HKEY_LOCAL_MACHINE
  local key
  for key in {HKCU,HKLM}"\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$1"; do
    if wine_quiet reg query "$key"; then echo "$key"; fi
  done
}

version=$(property "$package" ProductVersion)
grep -q "\"ProductVersion\", \"$version.0\"" "$repo/src/app/version_info.rch" ||
  fail "package version $version is not the version resource's"
[ "$(basename "$package")" = "Kestrian-$version.msi" ] || fail "the package is named $(basename "$package")"
word_count=$(msiinfo suminfo "$package" | sed -n 's/^Source: \([0-9]*\).*/\1/p')
[ -z "$(property "$package" ALLUSERS)" ] && (( (word_count & 8) != 0 )) ||
  fail "not a per-user package that needs no elevation"
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Kestrian throw-away test signing" \
  -addext extendedKeyUsage=codeSigning -keyout "$out/sign.key" -out "$out/sign.crt" >>"$out/sign.log" 2>&1 ||
  fail "no test certificate"
IFS=. read -r major minor build <<<"$version"
next_version=$major.$minor.$((build + 1)) next=$out/Kestrian-$major.$minor.$((build + 1)).msi
KESTRIAN_SIGN_CERT=$out/sign.crt KESTRIAN_SIGN_KEY=$out/sign.key bash "$repo/packaging/make_msi.sh" \
  "$next" "$next_version" "$program_dir" "$definitions" "${versions[@]}" >>"$out/sign.log" 2>&1 ||
  fail "the next package could not be made"
verify "$next" && msiextract -C "$out/next-files" "$next" >>"$out/sign.log" || fail "the next package is not signed"
for file in Kestrian.exe AppRestart.exe kscan.exe SetupActions.exe; do
  verify "$(find "$out/next-files" -name "$file")" || fail "$file in the next package is not signed"
done
code=$(property "$package" ProductCode) next_code=$(property "$next" ProductCode)
[ "$(property "$next" UpgradeCode)" = "$(property "$package" UpgradeCode)" ] && [ "$code" != "$next_code" ] ||
  fail "the next version is no major upgrade: product codes $code, $next_code"

run_key='Software\Microsoft\Windows\CurrentVersion\Run'
wine_quiet reg add "HKCU\\$run_key" /v CoolSearch /d 'C:\windows\coolsrch.exe' /f || fail "cannot add a Run value"
msiexec install /i "$(windows_path "$package")" || fail "the install failed"
apps=("$prefix"/drive_c/users/*/AppData/Local/Programs/Kestrian)
app=${apps[0]} user=${apps[0]#"$prefix/drive_c/users/"}
user=${user%%/*}
app_windows="C:\\users\\$user\\AppData\\Local\\Programs\\Kestrian"
listing() { (cd "$app" 2>/dev/null && find . -mindepth 1 | sort | tr '\n' ' '); }
[ "$(listing)" = "./AppRestart.exe ./BlockedCookies.dat ./ExeDefinition.dat ./FileDefinition.dat ./Help.chm \
./Kestrian.exe ./Packaged Definitions ./Packaged Definitions/BlockedCookies.dat ./Packaged Definitions/ExeDefinition.dat \
./Packaged Definitions/FileDefinition.dat ./Packaged Definitions/RegistryDefinition.dat ./RegistryDefinition.dat \
./SetupActions.exe ./kscan.exe " ] || fail "installed in %LOCALAPPDATA%\\Programs\\Kestrian: $(listing)"
for file in RegistryDefinition.dat FileDefinition.dat ExeDefinition.dat BlockedCookies.dat; do
  cmp -s "$definitions/$file" "$app/$file" || fail "$file is not the packaged one"
done
[ "$(setting RegistryDefinition) $(setting FileDefinition) $(setting EXEDefinition) $(setting CookieDefinition)" = \
  "${versions[*]}" ] || fail "the packaged definition versions were not stored"
shortcut="$prefix/drive_c/users/$user/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Kestrian.lnk"
[ -f "$shortcut" ] || fail "no Start menu shortcut"
entry=$(uninstall_entry "$code")
entry_text=$(for name in DisplayName Publisher DisplayVersion HelpLink; do printf '%s|' "$(reg_value "$entry" $name)"; done)
[ -n "$entry" ] && [ "$entry_text" = "Kestrian|Kestrian Software|$version|http://www.kestrian.example/|" ] ||
  fail "no uninstall entry, or a wrong one: $entry"
# Windows makes the package's icon the entry's DisplayIcon; Wine the product's ProductIcon.
wine_quiet reg query 'HKCU\Software\Microsoft\Installer\Products' /s || true
icon=$(reg_value "$entry" DisplayIcon)
icon=${icon:-$(tr -d '\r' <"$out/wine.log" | sed -n "s/^ *ProductIcon *REG_SZ *\\(.*$code.*\\)/\\1/p" | tail -n 1)}
"$wine_run" winepath -u "$icon" >"$out/icon.txt" 2>>"$out/wine.log" || true
[ -n "$icon" ] && [ -s "$(head -n 1 "$out/icon.txt")" ] || fail "the uninstall entry has no icon"

start_installed() {
  start_program "$app_windows\\Kestrian.exe" "the installed program" "Last scan:"
  [ "$(setting STATUS)" = RUNNING ] || fail "STATUS is '$(setting STATUS)' while the program runs"
}
last_scan='12/6/2026 9:30:00 AM'  # a setting the upgrade must keep
wine_quiet reg add "$program_key\\Settings" /v showHelp /d 0 /f &&  # no help file
  wine_quiet reg add "$program_key\\Settings" /v lblLastScan /d "$last_scan" /f || fail "cannot set the settings"
start_installed
snap program.png

# The user's data; Live Update's newer registry file and a newer file copy waiting for the next
# start; an older cookie file; "Run at Startup" in both Run keys (the issue 15 form in one).
printf 'C:\\windows\\keywatch.exe\r\n' >"$app/ENoSignature.txt" && printf 'the last scan\r\n' >"$app/Scan_Log.txt"
mkdir -p "$app/quarantine" && printf 'backup\r\n' >"$app/quarantine/coolsrch.exe" &&
  printf 'log\r\n' >"$app/quarantine/QuarantineLog.txt"
cp "$host_tree/definitions/data/RegistryDefinition.dat" "$app/RegistryDefinition.dat"
cp "$host_tree/definitions/data/FileDefinition.dat" "$app/DLFileDefinition.dat"
printf 'older cookies\r\n' >"$app/BlockedCookies.dat"
set_settings RegistryDefinition=12 FileDefinition=7 CookieDefinition=0
wine_quiet reg add "HKLM\\$run_key" /v Kestrian /d "$app_windows\\Kestrian" /f &&
  wine_quiet reg add "HKCU\\$run_key" /v Kestrian /d "\"$app_windows\\Kestrian.exe\"" /f || fail "no Run values"
mkdir "$out/kept" && cp -a "$app/ENoSignature.txt" "$app/Scan_Log.txt" "$app/quarantine" "$out/kept/"

msiexec upgrade /i "$(windows_path "$next")" || fail "the upgrade failed"
ended_in_order "the upgrade"
drive wait-ended $patience || fail "a copy of the program runs after the upgrade"
entry=$(uninstall_entry "$next_code")
[ -z "$(uninstall_entry "$code")" ] && [ "$(reg_value "$entry" DisplayVersion)" = "$next_version" ] ||
  fail "the uninstall entry is not the next version's alone"
verify "$app/Kestrian.exe" || fail "the upgrade did not install the signed program"
[ "$(setting RegistryDefinition) $(setting FileDefinition) $(setting CookieDefinition)" = "12 7 1" ] ||
  fail "wrong definition versions after the upgrade"
for kept in ENoSignature.txt Scan_Log.txt quarantine/coolsrch.exe quarantine/QuarantineLog.txt; do
  cmp -s "$out/kept/$kept" "$app/$kept" || fail "the upgrade changed $kept"
done
[ "$(reg_value "$program_key\\Settings" lblLastScan)" = "$last_scan" ] && [ -n "$(reg_value "HKLM\\$run_key" Kestrian)" ] &&
  [ -n "$(reg_value "HKCU\\$run_key" Kestrian)" ] || fail "the upgrade lost settings or Run at Startup"
start_installed  # the upgraded program, running for the uninstall

msiexec uninstall /x "$(windows_path "$next")" || fail "the uninstall failed"
ended_in_order "the uninstall"
drive wait-ended $patience || fail "a copy of the program runs after the uninstall"
[ "$(listing)" = "./ENoSignature.txt ./Scan_Log.txt ./quarantine ./quarantine/QuarantineLog.txt ./quarantine/coolsrch.exe " ] ||
  fail "left after the uninstall: $(listing)"
[ ! -e "$shortcut" ] && [ -z "$(uninstall_entry "$next_code")" ] || fail "the shortcut or the uninstall entry stayed"
[ -z "$(reg_value "HKLM\\$run_key" Kestrian)" ] && [ -z "$(reg_value "HKCU\\$run_key" Kestrian)" ] &&
  [ -n "$(reg_value "HKCU\\$run_key" CoolSearch)" ] || fail "the uninstall did not remove just its own Run values"
echo "installer run: install, start, upgrade and uninstall as expected; screenshot $out/program.png"
