#!/usr/bin/env bash
# Checks that the Debian packages are reproducible: scripts/package.sh builds them twice from
# clean folders, build-repro-1/ and build-repro-2/, with the same SOURCE_DATE_EPOCH, and every
# .deb and .ddeb of the one must be byte for byte the one of the other. The second build runs in
# another time zone and with another umask, and compiles everything afresh even where ccache
# holds the objects of the first, so that the comparison sees two real compilations.
set -euo pipefail
cd "$(dirname "$0")/.."

SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
export SOURCE_DATE_EPOCH
first=build-repro-1
second=build-repro-2
rm -rf "$first" "$second"

echo "=== first build in $first/"
scripts/package.sh --build-dir "$first"
echo "=== second build in $second/"
(
    umask 0002
    export TZ=Asia/Vladivostok CCACHE_RECACHE=1
    scripts/package.sh --build-dir "$second"
)

names() { (cd "$1" && ls -1 -- *.deb *.ddeb); }
[ "$(names "$first")" = "$(names "$second")" ] ||
    { echo "FAIL: the two builds made different packages" >&2; exit 1; }
differ=0
for name in $(names "$first"); do
    if cmp -s "$first/$name" "$second/$name"; then
        echo "same: $name ($(sha256sum <"$first/$name" | cut -c1-16))"
    else
        differ=1
        echo "DIFFERENT: $name" >&2
        # Which entries or files differ, for a start; diffoscope shows the rest.
        diff <(dpkg-deb -c "$first/$name") <(dpkg-deb -c "$second/$name") >&2 || true
        diff <(dpkg-deb -I "$first/$name" md5sums) <(dpkg-deb -I "$second/$name" md5sums) >&2 ||
            true
    fi
done
[ "$differ" -eq 0 ] || { echo "FAIL: the packages are not reproducible" >&2; exit 1; }
echo "=== the packages of the two builds are the same"
