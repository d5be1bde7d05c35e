#!/usr/bin/env bash
# Builds the Debian package of the tool in build/ (the build of scripts/run.sh), checks it with
# lintian and prints its size. With --install it then installs the package on this machine.
set -euo pipefail
cd "$(dirname "$0")/.."

install=no
case "${1:-}" in
"") ;;
--install) install=yes ;;
*)
    echo "Usage: scripts/package.sh [--install]" >&2
    exit 2
    ;;
esac

scripts/install-deps.sh --package
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)"

rm -f build/tarnel-config_*.deb
(cd build && cpack -G DEB)
package=$(ls build/tarnel-config_*.deb)

echo "=== lintian $package"
# lintian's tags are printed; only an error fails the script.
lintian --info --fail-on error "$package"
echo "=== $package: $(du -h "$package" | cut -f1) ($(stat -c %s "$package") bytes)"

if [ "$install" = yes ]; then
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    # apt needs a path with a slash to take a file rather than a package name.
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y "./$package"
    echo "=== installed: $(command -v tarnel-config) $(command -v tarnel-cli)"
fi
