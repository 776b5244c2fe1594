#!/usr/bin/env bash
# Makes the installer package from the built program with wixl (Debian's wixl, msitools).
#   make_msi.sh OUT.msi VERSION PROGRAM_DIR DEFINITIONS_DIR R F E C
# PROGRAM_DIR holds Kestrian.exe, AppRestart.exe, kscan.exe, SetupActions.exe and Help.chm;
# DEFINITIONS_DIR the four definition files, published as versions R F E C (registry, file,
# executable, cookie). VERSION is major.minor.build: Windows Installer compares no more.
# With KESTRIAN_SIGN_CERT and KESTRIAN_SIGN_KEY set (a PEM certificate, or chain, and its
# unencrypted PEM key) the programs are signed with osslsigncode before they are packed, and
# the package after. The package is written beside OUT first and renamed when complete, and
# made again only when an input (or the signing) changed.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/.." && pwd)
out=$1 version=$2 program=$3 definitions=$4
shift 4
[ $# -eq 4 ] || { echo "make_msi: four definition versions expected" >&2; exit 2; }
[[ $version =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] || { echo "make_msi: bad version $version" >&2; exit 2; }

programs=(Kestrian.exe AppRestart.exe kscan.exe SetupActions.exe)
definition_files=(RegistryDefinition.dat FileDefinition.dat ExeDefinition.dat BlockedCookies.dat)
inputs=("$here/kestrian.wxs" "$0" "$repo/src/app/kestrian.ico" "$program/Help.chm")
for file in "${programs[@]}"; do inputs+=("$program/$file"); done
for file in "${definition_files[@]}"; do inputs+=("$definitions/$file"); done
fingerprint=$({ echo "$version $*"; sha256sum "${inputs[@]}" ${KESTRIAN_SIGN_CERT:+"$KESTRIAN_SIGN_CERT"} \
  ${KESTRIAN_SIGN_KEY:+"$KESTRIAN_SIGN_KEY"}; } | sha256sum)
[ -f "$out" ] && [ "$(cat "$out.inputs" 2>/dev/null)" = "$fingerprint" ] && exit 0

# Never changes: it is how a later package finds the installed one to upgrade it.
upgrade_code=7D1C2F4E-3B8A-4C61-9E2D-5A0F6B7C8D91
# One product code per version, the same for every build of it.
product_code=$(python3 -c 'import sys, uuid; print(str(uuid.uuid5(uuid.UUID(sys.argv[1]), "Kestrian " + sys.argv[2])).upper())' \
  "$upgrade_code" "$version")

mkdir -p "$(dirname "$out")"
stage=$(mktemp -d "$(dirname "$out")/stage.XXXXXX")
trap 'rm -rf "$stage"' EXIT
mkdir "$stage/definitions"
for file in "${programs[@]}" Help.chm; do cp "$program/$file" "$stage/"; done
for file in "${definition_files[@]}"; do cp "$definitions/$file" "$stage/definitions/"; done
cp "$repo/src/app/kestrian.ico" "$stage/"

signing=0
if [ -n "${KESTRIAN_SIGN_CERT:-}" ] || [ -n "${KESTRIAN_SIGN_KEY:-}" ]; then
  [ -f "${KESTRIAN_SIGN_CERT:-}" ] && [ -f "${KESTRIAN_SIGN_KEY:-}" ] ||
    { echo "make_msi: KESTRIAN_SIGN_CERT and KESTRIAN_SIGN_KEY must both name files" >&2; exit 2; }
  signing=1
fi
sign() {
  [ "$signing" -eq 1 ] || return 0
  osslsigncode sign -certs "$KESTRIAN_SIGN_CERT" -key "$KESTRIAN_SIGN_KEY" -h sha256 \
    -n "Kestrian" -i "http://www.kestrian.example/" -in "$1" -out "$1.signed" >"$stage/sign.log" 2>&1 ||
    { echo "make_msi: signing $1 failed" >&2; cat "$stage/sign.log" >&2; exit 1; }
  mv "$1.signed" "$1"
}
for file in "${programs[@]}"; do sign "$stage/$file"; done

# wixl finds the sources named in the package from the current folder.
(cd "$stage" && wixl --arch x64 -D "Version=$version" -D "ProductCode=$product_code" \
  -D "UpgradeCode=$upgrade_code" -D "DefinitionVersions=$*" -o "$stage/package.msi" \
  "$here/kestrian.wxs")
sign "$stage/package.msi"
mv "$stage/package.msi" "$out"
echo "$fingerprint" >"$out.inputs"
