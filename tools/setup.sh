#!/usr/bin/env bash
# Installs what the build and the Wine tests need from Debian's packages, or
# prints the one line to run when not root. Each package is asked for by its
# own name: a folder or a command can come with another package (wine itself
# brings /usr/share/wine/fonts, without the fonts of fonts-wine in it).
set -euo pipefail
packages=(
  cmake g++                  # the native build
  g++-mingw-w64-i686         # the Windows build
  fp-utils                   # chmcmd, the help compiler
  wine wine64 wine32:i386    # the Windows tests and `make run`
  fonts-wine                 # the fonts the window is drawn in under Wine
  xvfb x11-utils imagemagick # a display without one, the screenshot
  googletest libbenchmark-dev
  clang libclang-rt-14-dev   # the fuzzers
)
installed() { dpkg -s "$1" 2>/dev/null | grep -qx 'Status: install ok installed'; }
need=()
for package in "${packages[@]}"; do
  installed "$package" || need+=("$package")
done
[ ${#need[@]} -eq 0 ] && exit 0
line="dpkg --add-architecture i386 && apt-get update && apt-get install -y --no-install-recommends ${need[*]}"
if [ "$(id -u)" -ne 0 ]; then
  echo "Missing packages. Run as root:" >&2
  echo "  $line" >&2
  exit 1
fi
echo "Installing: ${need[*]}"
dpkg --add-architecture i386
apt-get update -q
DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${need[@]}"
