#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the headless run need (only the missing ones).
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev clang-format
  qt6-base-dev qt6-base-dev-tools libqt6serialport6-dev libqt6svg6-dev libgl-dev
  libjpeg-dev libgif-dev libpng-dev libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth fonts-liberation2 fonts-dejavu-core poppler-utils
  dpkg-dev desktop-file-utils appstream lintian libglib2.0-bin
  g++-mingw-w64-x86-64-posix wine googletest
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
