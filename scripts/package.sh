#!/usr/bin/env bash
# Builds the Debian packages of the tool in build-package/, a build of its own with Debian's
# hardening flags, so the developer build in build/ is left as it is:
#   tarnel-cli     the command-line program, without Qt, with its bash completion
#   tarnel-config  the window; depends on tarnel-cli of the same version
# and a -dbgsym .ddeb with the debug information of each. The programs are checked with
# hardening-check and the packages with lintian, and the sizes are printed.
# With --install it then installs the two packages on this machine.
# --build-dir DIR builds in DIR instead (scripts/check-reproducible.sh builds twice).
# SOURCE_DATE_EPOCH dates the packages; when it is not set, the last commit's time does.
set -euo pipefail
cd "$(dirname "$0")/.."

usage() {
    echo "Usage: scripts/package.sh [--install] [--build-dir DIR]" >&2
    exit 2
}
install=no
build="build-package"
while [ $# -gt 0 ]; do
    case $1 in
    --install) install=yes ;;
    --build-dir)
        [ $# -ge 2 ] || usage
        build=$2
        shift
        ;;
    *) usage ;;
    esac
    shift
done
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

scripts/install-deps.sh --package

# As dpkg-buildpackage does: CPack's DEB generator writes the package's members with the modes
# the umask gave them, so the packages depend on it.
umask 0022
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
    SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
fi
export SOURCE_DATE_EPOCH
# rcc writes SOURCE_DATE_EPOCH into the window's resources, and the build cannot tell when it
# changes; so a build folder is used again only for the same one, and made afresh otherwise.
stamp="$build/source-date-epoch"
if [ -e "$build" ] && [ "$(cat "$stamp" 2>/dev/null)" != "$SOURCE_DATE_EPOCH" ]; then
    echo "=== $build/ was built for another SOURCE_DATE_EPOCH: it is built afresh"
    rm -rf "$build"
fi
mkdir -p "$build"
echo "$SOURCE_DATE_EPOCH" >"$stamp"

# Debian's flags for a package: stack protector, _FORTIFY_SOURCE, format checks, relro and
# immediate binding (PIE is the compiler's default). CMake does not read CPPFLAGS, so they join
# the compile flags; all are given on each configure, as CMake reads CXXFLAGS and LDFLAGS from the
# environment only on the first. dpkg-buildflags maps this folder to "." in the debug
# information; the build folder is mapped to build-package/ as well, so that a build in another
# folder gives the same files.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
build_abs=$(realpath -m "$build")
cxxflags="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
cxxflags+=" -ffile-prefix-map=$build_abs=./build-package"
# hardening-check also asks for control-flow protection (IBT/SHSTK marks), which no program of
# Debian 12 has: its C library's start files (crt1.o, crti.o, crtn.o) carry no such mark, so the
# linker leaves it off whatever the compiler did, and dpkg-buildflags does not ask for it.
hardening_check_options=(--nocfprotection)
ldflags=$(dpkg-buildflags --get LDFLAGS)

# Only what the packages hold is built: no tests, no benchmarks.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTARNEL_BUILD_TESTS=OFF -DTARNEL_BUILD_BENCH=OFF \
    -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" \
    -DCMAKE_SHARED_LINKER_FLAGS="$ldflags" >/dev/null
cmake --build "$build" -j "$(nproc)"

rm -f "$build"/tarnel-*.deb "$build"/tarnel-*.ddeb
(cd "$build" && cpack -G DEB)

arch=$(dpkg --print-architecture)
version=$(dpkg-deb -f "$(ls "$build"/tarnel-cli_*_"$arch".deb)" Version)
packages=()
for name in tarnel-cli tarnel-config; do
    for file in "$build/${name}_${version}_$arch.deb" "$build/${name}-dbgsym_${version}_$arch.ddeb"; do
        [ -f "$file" ] || fail "cpack made no $file"
        packages+=("$file")
    done
done

# The programs as installed from the packages: stripped, hardened, and tarnel-cli without Qt.
tree=$(mktemp -d /tmp/tarnel-package-XXXXXX)
trap 'rm -rf "$tree"' EXIT
for name in tarnel-cli tarnel-config; do
    dpkg-deb -x "$build/${name}_${version}_$arch.deb" "$tree/$name"
    dpkg-deb -x "$build/${name}-dbgsym_${version}_$arch.ddeb" "$tree/$name-dbgsym"
    program="$tree/$name/usr/bin/$name"
    echo "=== hardening-check /usr/bin/$name"
    hardening-check "${hardening_check_options[@]}" "$program" || fail "hardening-check finds /usr/bin/$name unhardened"
    file "$program" | grep -q ', stripped' || fail "/usr/bin/$name in $name is not stripped"
    # The debug information is found by the program's build id.
    build_id=$(readelf -n "$program" | sed -n 's/.*Build ID: \([0-9a-f]*\).*/\1/p')
    debug="$tree/$name-dbgsym/usr/lib/debug/.build-id/${build_id:0:2}/${build_id:2}.debug"
    if [ -z "$build_id" ] || [ ! -f "$debug" ]; then
        fail "$name-dbgsym has no /usr/lib/debug/.build-id file for build id '$build_id'"
    fi
done
depends=$(dpkg-deb -f "$build/tarnel-cli_${version}_$arch.deb" Depends)
echo "=== tarnel-cli depends on: $depends"
libraries=$(tr ',' '\n' <<<"$depends" | sed 's/^ *//; s/ .*//' | grep -Ev '^(libc6|libstdc\+\+6|libgcc-s1)$' || true)
[ -z "$libraries" ] || fail "tarnel-cli depends on more than the C and C++ runtime: $libraries"
depends=$(dpkg-deb -f "$build/tarnel-config_${version}_$arch.deb" Depends)
echo "=== tarnel-config depends on: $depends"
[[ ", $depends," == *", tarnel-cli (= $version),"* ]] ||
    fail "tarnel-config does not depend on tarnel-cli (= $version)"

for file in "${packages[@]}"; do
    echo "=== lintian $file"
    # lintian's tags are printed ("lintian --info FILE" explains them); an error, or any tag
    # about hardening, fails the script.
    status=0
    tags=$(lintian --fail-on error "$file" 2>&1) || status=$?
    tags=$(grep -v '^running with root privileges' <<<"$tags" || true)
    [ -z "$tags" ] || echo "$tags"
    [ "$status" -eq 0 ] || fail "lintian finds errors in $file"
    if grep -q 'hardening-' <<<"$tags"; then
        fail "lintian finds a hardening fault in $file"
    fi
done
for file in "${packages[@]}"; do
    echo "=== $file: $(du -h "$file" | cut -f1) ($(stat -c %s "$file") bytes)"
done

if [ "$install" = yes ]; then
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    # apt needs a path with a slash to take a file rather than a package name.
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y \
        "$(realpath "$build/tarnel-cli_${version}_$arch.deb")" \
        "$(realpath "$build/tarnel-config_${version}_$arch.deb")"
    echo "=== installed: $(command -v tarnel-config) $(command -v tarnel-cli)"
fi
