#!/usr/bin/env bash
# Installs the Debian packages that building, testing and looking at the tool need, when missing.
# The screen-reader test runs the tool on Xvfb in a D-Bus session with the AT-SPI bus, and reads
# it with pyatspi. bash-completion lets the test of tarnel-cli's completion run it as an
# interactive bash with those helpers would.
set -euo pipefail

packages=(cmake ninja-build g++ qt6-base-dev qt6-base-dev-tools libqt6test6 libgl-dev
          libgtest-dev libgmock-dev libbenchmark-dev fonts-dejavu-core
          clang libclang-rt-14-dev desktop-file-utils appstream man-db bash-completion
          qt6-translations-l10n
          xvfb xauth dbus at-spi2-core python3-pyatspi)
if [ "${1:-}" = "--desktop" ]; then
    packages+=(imagemagick)
fi
# Making the Debian packages (dpkg-shlibdeps, and file to find the programs) and checking them
# (hardening-check of devscripts, lintian).
if [ "${1:-}" = "--package" ]; then
    packages+=(dpkg-dev devscripts file lintian)
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
