#!/usr/bin/env bash
# Installs the Debian packages that building, testing and looking at the tool need, when missing.
#   scripts/install-deps.sh [--desktop] [--package] [--fuzz] [--tidy]
# With no option: what building and the plain tests need. The screen-reader test runs the tool on
# Xvfb in a D-Bus session with the AT-SPI bus, and reads it with pyatspi. bash-completion lets
# the test of tarnel-cli's completion run it as an interactive bash with those helpers would.
# ThreadSanitizer's library comes with g++ (libgcc-12-dev depends on libtsan2).
set -euo pipefail

usage() {
    echo "Usage: scripts/install-deps.sh [--desktop] [--package] [--fuzz] [--tidy]" >&2
    exit 2
}

packages=(cmake ninja-build g++ qt6-base-dev qt6-base-dev-tools libqt6test6 libgl-dev
          libgtest-dev libgmock-dev libbenchmark-dev fonts-dejavu-core poppler-utils
          desktop-file-utils appstream man-db bash-completion
          qt6-translations-l10n
          xvfb xauth dbus at-spi2-core python3-pyatspi)
for option in "$@"; do
    case $option in
    --desktop) packages+=(imagemagick) ;;
    # Making the Debian packages (dpkg-shlibdeps, and file to find the programs) and checking
    # them (hardening-check of devscripts, lintian).
    --package) packages+=(dpkg-dev devscripts file lintian) ;;
    # The libFuzzer harnesses build with clang and its sanitizer runtimes.
    --fuzz) packages+=(clang libclang-rt-14-dev) ;;
    # The checks of the sources: the layout and clang-tidy's.
    --tidy) packages+=(clang-format clang-tidy) ;;
    *) usage ;;
    esac
done

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
