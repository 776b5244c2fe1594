#!/usr/bin/env bash
# Installs every Debian package the builds, the tests and the demo need. Does nothing when
# they are all present. Run as root (or with sudo available).
set -eu
packages=(
  cmake ninja-build g++ ccache python3
  googletest libgtest-dev
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine64
  xvfb xauth x11-apps imagemagick  # screenshots (import) and their PNG files (mogrify)
  nlohmann-json3-dev
  libssl-dev  # the native build's hashes and signatures
  fp-utils  # chmcmd, which compiles the help file
  wixl msitools osslsigncode openssl  # the installer package: built, read, signed
)
missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
    missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "setup: installing ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
