#!/usr/bin/env bash
# The installer package under Wine, in a prefix of the run's own that starts fresh:
#  - its tables (msiinfo): product and upgrade codes, the version resource's version, a
#    per-user install that needs no elevation;
#  - a silent install: the files, the Start menu shortcut and the uninstall entry;
#  - the installed program, started from its folder, scanning the demo machine;
#  - a package of the next version, signed with a throw-away certificate made here (the
#    signatures checked with osslsigncode), upgrading it while the program runs: the program
#    ends in order, settings, exclusions, quarantine and Live Update's newer definitions stay;
#  - a silent uninstall while the program runs again: only the user's data is left, no Run
#    value and no running copy.
# usage: installer_run.sh PACKAGE KDRIVE_EXE HOST_TREE PROGRAM_DIR DEFINITIONS_DIR OUT_DIR R F E C
#   HOST_TREE: the update host's tree (newer definition files); PROGRAM_DIR, DEFINITIONS_DIR
#   and R F E C: what make_msi.sh makes the next package of.
set -eu
package=$1 kdrive=$2 host_tree=$3 program_dir=$4 definitions=$5 out=$6
shift 6
definition_versions=("$@")
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../.." && pwd)
wine_run=$repo/scripts/wine-run
: "${DISPLAY:?the installer run needs a display (run under xvfb-run)}"

rm -rf "$out" && mkdir -p "$out"
run_name="installer run"
source "$here/windowed_run.sh"

# The run's prefix is a copy of one made once and never started: a machine the program has
# never been on, made in a second, and the main prefix is not touched.
template=$(dirname "$out")/installer-prefix-template
prefix=$out/prefix
export KESTRIAN_WINEPREFIX=$prefix
if [ ! -f "$template/system.reg" ]; then
  rm -rf "$template" "$template.partial"
  KESTRIAN_WINEPREFIX=$template.partial wine_quiet 'C:\windows\system32\cmd.exe' /c exit || true
  WINEPREFIX=$template.partial wineserver -w
  [ -f "$template.partial/system.reg" ] || fail "no Wine prefix could be made"
  mv "$template.partial" "$template"
fi
cp -a "$template" "$prefix"

program=
cleanup() {
  local status=$?
  end_program $program || { echo "installer run: the program could not be ended"; status=1; }
  WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
  [ "$status" -ne 0 ] || rm -rf "$prefix"
  exit $status
}
trap cleanup EXIT
"$wine_run" --server

# usage: msiexec LOG_NAME /i|/x PACKAGE; silent, with a verbose log in the run's folder.
msiexec() { wine_quiet msiexec "${@:2}" /qn /l*v "$(windows_path "$out/msiexec-$1.log")"; }
property() { msiinfo export "$1" Property | tr -d '\r' | awk -F'\t' -v name="$2" '$1 == name { print $2 }'; }
# The data of a registry value, or nothing.
value() {
  "$wine_run" reg query "$1" /v "$2" >"$out/value.txt" 2>>"$out/wine.log" || return 0
  tr -d '\r' <"$out/value.txt" | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"
}
same() { cmp -s "$1" "$2" || fail "$3"; }

# ---- The package's tables --------------------------------------------------------------------
# The version resource's ProductVersion, as the program's file holds it (UTF-16).
resource_version=$(python3 - "$program_dir/Kestrian.exe" <<'PYTHON'
import re, sys
data = open(sys.argv[1], "rb").read()
key = "ProductVersion".encode("utf-16-le") + b"\0\0"
at = data.index(key) + len(key)
at += (4 - at % 4) % 4  # the value starts on a 32-bit boundary
print(re.match(rb"((?:[0-9.]\0)+)", data[at:]).group(1).decode("utf-16-le"))
PYTHON
)
version=$(property "$package" ProductVersion)
[ "$version.0" = "$resource_version" ] || fail "package version $version, version resource $resource_version"
[ "$(basename "$package")" = "Kestrian-$version.msi" ] || fail "the package is named $(basename "$package")"
[ -z "$(property "$package" ALLUSERS)" ] || fail "ALLUSERS is set: not a per-user package"
word_count=$(msiinfo suminfo "$package" | sed -n 's/^Source: \([0-9]*\).*/\1/p')
(( (word_count & 8) != 0 )) || fail "the summary's word count $word_count does not say 'no elevation'"
msiinfo export "$package" Directory | tr -d '\r' >"$out/directory.txt"
grep -qP '^UserProgramsFolder\tLocalAppDataFolder\tPrograms$' "$out/directory.txt" &&
  grep -qP '^INSTALLDIR\tUserProgramsFolder\tKestrian$' "$out/directory.txt" ||
  fail "the program does not go to %LOCALAPPDATA%\\Programs\\Kestrian"

# The next version, signed with a certificate made for this run alone.
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Kestrian test signing (throw-away)" \
  -addext extendedKeyUsage=codeSigning -keyout "$out/sign.key" -out "$out/sign.crt" \
  >>"$out/sign.log" 2>&1 || fail "no test certificate"
IFS=. read -r major minor build <<<"$version"
next_version=$major.$minor.$((build + 1))
next=$out/Kestrian-$next_version.msi
KESTRIAN_SIGN_CERT=$out/sign.crt KESTRIAN_SIGN_KEY=$out/sign.key \
  bash "$repo/packaging/make_msi.sh" "$next" "$next_version" "$program_dir" "$definitions" \
  "${definition_versions[@]}" >>"$out/sign.log" 2>&1 || fail "the next package could not be made"
verify() { osslsigncode verify -CAfile "$out/sign.crt" -in "$1" >>"$out/sign.log" 2>&1; }
verify "$next" || fail "the next package's signature does not verify"
! verify "$package" || fail "the package built without a certificate is signed"
msiextract -C "$out/next-files" "$next" >>"$out/sign.log" 2>&1 || fail "cannot unpack the next package"
for file in Kestrian.exe AppRestart.exe kscan.exe SetupActions.exe; do
  signed=$(find "$out/next-files" -name "$file")
  [ -n "$signed" ] && verify "$signed" || fail "$file in the next package is not signed"
done
code=$(property "$package" ProductCode) next_code=$(property "$next" ProductCode)
[ "$(property "$next" UpgradeCode)" = "$(property "$package" UpgradeCode)" ] ||
  fail "the next version has another upgrade code"
[ -n "$code" ] && [ "$code" != "$next_code" ] || fail "product codes '$code' and '$next_code'"

# ---- Install ---------------------------------------------------------------------------------
# The demo machine: the traces demo.sh plants.
windows=$prefix/drive_c/windows
for file in "$windows/coolsrch.exe" "$windows/keywatch.exe" "$windows/system32/srchpilot.dll"; do
  printf 'planted by the installer run\r\n' >"$file"
done
run_key='Software\Microsoft\Windows\CurrentVersion\Run'
wine_quiet reg add 'HKCU\Software\AcmeBar' /v Version /d 2.1 /f &&
  wine_quiet reg add "HKCU\\$run_key" /v CoolSearch /d 'C:\windows\coolsrch.exe' /f || fail "cannot plant"

msiexec install /i "$(windows_path "$package")" || fail "the install failed"
apps=("$prefix"/drive_c/users/*/AppData/Local/Programs/Kestrian)
app=${apps[0]}
[ ${#apps[@]} -eq 1 ] && [ -d "$app" ] || fail "no program folder under %LOCALAPPDATA%\\Programs"
user=$(basename "$(dirname "$(dirname "$(dirname "$(dirname "$app")")")")")
app_windows="C:\\users\\$user\\AppData\\Local\\Programs\\Kestrian"
listing() { (cd "$app" && find . -mindepth 1 | sort | tr '\n' ' '); }
installed="./AppRestart.exe ./BlockedCookies.dat ./ExeDefinition.dat ./FileDefinition.dat ./Help.chm \
./Kestrian.exe ./Packaged Definitions ./Packaged Definitions/BlockedCookies.dat \
./Packaged Definitions/ExeDefinition.dat ./Packaged Definitions/FileDefinition.dat \
./Packaged Definitions/RegistryDefinition.dat ./RegistryDefinition.dat ./SetupActions.exe ./kscan.exe "
[ "$(listing)" = "$installed" ] || fail "installed: $(listing)"
for file in RegistryDefinition.dat FileDefinition.dat ExeDefinition.dat BlockedCookies.dat; do
  same "$definitions/$file" "$app/$file" "$file is not the packaged one"
done
[ "$(setting RegistryDefinition) $(setting FileDefinition) $(setting EXEDefinition) $(setting CookieDefinition)" = \
  "${definition_versions[*]}" ] || fail "the packaged definition versions were not stored"
shortcut=$prefix/drive_c/users/$user/AppData/Roaming/Microsoft/Windows/Start\ Menu/Programs/Kestrian.lnk
[ -f "$shortcut" ] || fail "no Start menu shortcut"

# Wine records a per-user install's uninstall entry under HKEY_LOCAL_MACHINE.
uninstall_entry() {
  local root
  for root in HKCU HKLM; do
    if "$wine_run" reg query "$root\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$1" \
      >>"$out/wine.log" 2>&1; then
      echo "$root\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$1"
      return
    fi
  done
}
entry=$(uninstall_entry "$code")
[ -n "$entry" ] || fail "no uninstall entry $code"
[ "$(value "$entry" DisplayName)|$(value "$entry" Publisher)|$(value "$entry" DisplayVersion)|$(value "$entry" HelpLink)" = \
  "Kestrian|Kestrian Software|$version|http://www.kestrian.example/" ] || fail "the uninstall entry is wrong"
# Windows shows the product's icon (ARPPRODUCTICON) as the entry's DisplayIcon; Wine keeps
# it as the installed product's ProductIcon.
icon=$(value "$entry" DisplayIcon)
if [ -z "$icon" ]; then
  "$wine_run" reg query 'HKCU\Software\Microsoft\Installer\Products' /s >"$out/products.txt" 2>>"$out/wine.log"
  icon=$(tr -d '\r' <"$out/products.txt" | sed -n "s/^ *ProductIcon *REG_SZ *\\(.*$code.*\\)/\\1/p")
fi
"$wine_run" winepath -u "$icon" >"$out/icon.txt" 2>>"$out/wine.log" || true
[ -n "$icon" ] && [ -s "$(head -n 1 "$out/icon.txt")" ] || fail "the uninstall entry has no icon ('$icon')"

# ---- The installed program scans the demo machine ---------------------------------------------
start_program() {
  "$wine_run" "$app_windows\\Kestrian.exe" >>"$out/program.log" 2>&1 &
  program=$!
  drive wait-window 60 || fail "the installed program's window did not open"
  drive wait-text "Last scan:" 30 || fail "the status page did not show"
  [ "$(setting STATUS)" = RUNNING ] || fail "STATUS is '$(setting STATUS)' while the program runs"
}
# The help file opens by itself at the very first start; not here.
wine_quiet reg add "$program_key\\Settings" /v showHelp /d 0 /f || fail "cannot set showHelp"
start_program
drive click "Scan &Now" || fail "no Scan Now button"
drive click "&Start" || fail "no Start button"
drive wait-text "Scanning complete." 120 || fail "the scan did not complete"
import -window root "$out/scan-page.png" || fail "no screenshot"
for threat in "AcmeBar Toolbar" "CoolSearch Hijacker" "KeyWatch Spyware" "SearchPilot Hijacker"; do
  grep -q "$threat" "$app/Scan_Log.txt" || fail "the scan did not find $threat"
done

# An administrator's unattended scan with the installed kscan: the report in a file, nothing
# printed but errors.
kscan() {
  local status=0
  "$wine_run" "$app_windows\\kscan.exe" scan --json --quiet --output "$1" >"$out/kscan.out" 2>"$out/kscan.err" ||
    status=$?
  echo "$status"
}
mkdir -p "$out/reports"
[ "$(kscan "$(windows_path "$out/reports/pc1.json")")" = 1 ] || fail "kscan did not report its findings"
[ ! -s "$out/kscan.out" ] && [ ! -s "$out/kscan.err" ] || fail "kscan --quiet printed something"
[ "$(ls "$out/reports")" = pc1.json ] || fail "kscan left $(ls "$out/reports")"
python3 -c 'import json, sys; assert len(json.load(open(sys.argv[1]))["found"]) == 4' "$out/reports/pc1.json" ||
  fail "the report file is not the whole report"
[ "$(kscan "$(windows_path "$out/no such folder/pc1.json")")" = 2 ] && grep -q "could not be written" "$out/kscan.err" ||
  fail "kscan --quiet did not report that it could not write its report"

# ---- Upgrade while it runs ---------------------------------------------------------------------
# The user's data, Live Update's newer registry file and a newer file copy waiting for the next
# start, an older cookie file, and "Run at Startup" in both Run keys.
printf 'C:\\windows\\keywatch.exe\r\n' >"$app/ENoSignature.txt"
mkdir -p "$app/quarantine"
printf 'a quarantined file\r\n' >"$app/quarantine/coolsrch.exe"
printf 'the quarantine log\r\n' >"$app/quarantine/QuarantineLog.txt"
cp "$host_tree/definitions/data/RegistryDefinition.dat" "$app/RegistryDefinition.dat"
cp "$host_tree/definitions/data/FileDefinition.dat" "$app/DLFileDefinition.dat"
printf 'older cookies\r\n' >"$app/BlockedCookies.dat"
set_setting RegistryDefinition 12
set_setting FileDefinition 7
set_setting CookieDefinition 0
wine_quiet reg add "HKLM\\$run_key" /v Kestrian /d "$app_windows\\Kestrian" /f &&
  wine_quiet reg add "HKCU\\$run_key" /v Kestrian /d "\"$app_windows\\Kestrian.exe\"" /f ||
  fail "cannot write the Run values"
mkdir -p "$out/kept" && cp -a "$app/ENoSignature.txt" "$app/Scan_Log.txt" "$app/quarantine" "$out/kept/"
last_scan=$(value "$program_key\\Settings" lblLastScan)

msiexec upgrade /i "$(windows_path "$next")" || fail "the upgrade failed"
wait_process_end "$program" 30 || fail "the upgrade did not end the running program"
program=
drive wait-ended 10 || fail "a copy of the program still runs after the upgrade"
[ "$(setting STATUS) $(setting RESTART)" = "STOPPED False" ] || fail "the program was not ended in order"
[ -z "$(uninstall_entry "$code")" ] || fail "the old version's uninstall entry stayed"
entry=$(uninstall_entry "$next_code")
[ -n "$entry" ] && [ "$(value "$entry" DisplayVersion)" = "$next_version" ] || fail "no entry for $next_version"
verify "$app/Kestrian.exe" || fail "the upgrade did not install the signed program"
same "$host_tree/definitions/data/RegistryDefinition.dat" "$app/RegistryDefinition.dat" \
  "the upgrade replaced Live Update's newer registry definitions"
same "$definitions/BlockedCookies.dat" "$app/BlockedCookies.dat" "the older cookie file was not replaced"
[ "$(setting RegistryDefinition) $(setting FileDefinition) $(setting CookieDefinition)" = "12 7 1" ] ||
  fail "stored definition versions after the upgrade are wrong"
for kept in ENoSignature.txt Scan_Log.txt quarantine/coolsrch.exe quarantine/QuarantineLog.txt; do
  same "$out/kept/$kept" "$app/$kept" "the upgrade changed $kept"
done
[ "$(value "$program_key\\Settings" lblLastScan)" = "$last_scan" ] || fail "the upgrade lost the settings"
[ -n "$(value "HKLM\\$run_key" Kestrian)" ] && [ -n "$(value "HKCU\\$run_key" Kestrian)" ] ||
  fail "the upgrade removed Run at Startup"

# The upgraded program starts; its start installs the waiting file copy.
start_program
same "$host_tree/definitions/data/FileDefinition.dat" "$app/FileDefinition.dat" \
  "the waiting file definitions were not installed at the start"

# ---- Uninstall while it runs -----------------------------------------------------------------
msiexec uninstall /x "$(windows_path "$next")" || fail "the uninstall failed"
wait_process_end "$program" 30 || fail "the uninstall did not end the running program"
program=
drive wait-ended 10 || fail "a copy of the program still runs after the uninstall"
[ "$(setting STATUS)" = STOPPED ] || fail "the program was not ended in order"
left="./ENoSignature.txt ./Scan_Log.txt ./quarantine ./quarantine/QuarantineLog.txt ./quarantine/coolsrch.exe "
[ "$(listing)" = "$left" ] || fail "left after the uninstall: $(listing)"
[ ! -e "$shortcut" ] || fail "the Start menu shortcut stayed"
[ -z "$(uninstall_entry "$next_code")" ] || fail "the uninstall entry stayed"
[ -z "$(value "HKLM\\$run_key" Kestrian)" ] && [ -z "$(value "HKCU\\$run_key" Kestrian)" ] ||
  fail "a Run value stayed"
[ -n "$(value "HKCU\\$run_key" CoolSearch)" ] || fail "the uninstall removed another program's Run value"
echo "installer run: install, scan, upgrade and uninstall as expected; screenshot $out/scan-page.png"
