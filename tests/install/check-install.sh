#!/usr/bin/env bash
# Checks of an install tree made by "cmake --install":
#   check-install.sh install STAGE CMAKE BUILD_DIR   installs BUILD_DIR into STAGE, afresh
#   check-install.sh PART STAGE VERSION              checks one part of STAGE (see below)
set -euo pipefail

part=$1
stage=$2
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

icon_sizes=(16 24 32 48 64 128 256)

# Width and height of a PNG file from its header ("W H"), or nothing when it is not a PNG.
png_size() {
    local bytes
    bytes=$(od -An -v -tx1 -N24 "$1" | tr -d ' \n')
    [ "${bytes:0:16}" = "89504e470d0a1a0a" ] || return 0
    [ "${bytes:24:8}" = "49484452" ] || return 0
    echo "$((16#${bytes:32:8})) $((16#${bytes:40:8}))"
}

case "$part" in
install)
    cmake=$3
    build=$4
    rm -rf "$stage"
    "$cmake" --install "$build" --prefix "$stage"
    ;;

files)
    # Exactly these files: no test program, benchmark or the module emulator gets installed.
    expected=(
        bin/tarnel-cli
        bin/tarnel-config
        share/applications/tarnel-config.desktop
        share/doc/tarnel-config/changelog.gz
        share/doc/tarnel-config/copyright
        share/icons/hicolor/scalable/apps/tarnel-config.svg
        share/man/man1/tarnel-cli.1.gz
        share/man/man1/tarnel-config.1.gz
        share/metainfo/ru.tarnel.config.metainfo.xml
    )
    for size in "${icon_sizes[@]}"; do
        expected+=("share/icons/hicolor/${size}x${size}/apps/tarnel-config.png")
    done
    want=$(printf '%s\n' "${expected[@]}" | LC_ALL=C sort)
    have=$(cd "$stage" && find . \( -type f -o -type l \) | sed 's|^\./||' | LC_ALL=C sort)
    if [ "$want" != "$have" ]; then
        diff <(echo "$want") <(echo "$have") >&2 || true
        fail "the installed files differ from the expected ones (< expected, > installed)"
    fi
    for program in tarnel-cli tarnel-config; do
        [ -x "$stage/bin/$program" ] || fail "bin/$program is not executable"
    done
    for size in "${icon_sizes[@]}"; do
        png="$stage/share/icons/hicolor/${size}x${size}/apps/tarnel-config.png"
        got=$(png_size "$png")
        [ "$got" = "$size $size" ] || fail "$png is '${got:-not a PNG}', not ${size}x${size}"
    done
    grep -q '<svg' "$stage/share/icons/hicolor/scalable/apps/tarnel-config.svg" ||
        fail "the scalable icon is not an SVG picture"
    ;;

desktop_entry)
    entry="$stage/share/applications/tarnel-config.desktop"
    desktop-file-validate "$entry" || fail "desktop-file-validate found faults in $entry"
    # The entry starts a program and shows an icon that the install holds.
    exec_line=$(sed -n 's/^Exec=//p' "$entry")
    [ -x "$stage/bin/${exec_line%% *}" ] || fail "Exec=$exec_line is not an installed program"
    icon=$(sed -n 's/^Icon=//p' "$entry")
    [ -f "$stage/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "Icon=$icon is not installed"
    ;;

metainfo)
    for file in "$stage"/share/metainfo/*.metainfo.xml; do
        appstreamcli validate --no-net "$file" || fail "appstreamcli found faults in $file"
        # The id names the file, and the launchable is the installed desktop entry.
        id=$(sed -n 's|.*<id>\(.*\)</id>.*|\1|p' "$file")
        [ "$(basename "$file")" = "$id.metainfo.xml" ] || fail "$file does not carry its id $id"
        launchable=$(sed -n 's|.*<launchable type="desktop-id">\(.*\)</launchable>.*|\1|p' "$file")
        [ -f "$stage/share/applications/$launchable" ] ||
            fail "the launchable $launchable is not installed"
    done
    ;;

man_pages)
    version=$3
    for page in tarnel-cli tarnel-config; do
        file="$stage/share/man/man1/$page.1.gz"
        text=$(LC_ALL=C.UTF-8 MANWIDTH=80 man -l "$file") || fail "man cannot show $file"
        warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$file" 2>&1 >/dev/null)
        [ -z "$warnings" ] || fail "$file renders with warnings: $warnings"
        grep -q "^NAME" <<<"$text" || fail "$file has no NAME section"
        grep -q "tarnel $version" <<<"$text" || fail "$file does not name version $version"
    done
    ;;

programs)
    version=$3
    got=$("$stage/bin/tarnel-cli" --version)
    [ "$got" = "tarnel-cli $version" ] || fail "tarnel-cli --version says '$got', not $version"

    # The installed window keeps current.ini in the user's folder even where it could write its
    # own (as root). It is started with SIGTERM blocked and sent it at once: the signal waits
    # until the program listens for it, and the program then closes the orderly way.
    home=$(mktemp -d /tmp/tarnel-install-home-XXXXXX)
    trap 'rm -rf "$home"' EXIT
    status=0
    HOME="$home" XDG_CONFIG_HOME="$home/config" perl -MPOSIX -e '
        sigprocmask(SIG_BLOCK, POSIX::SigSet->new(SIGTERM)) or die "sigprocmask: $!";
        my $pid = fork() // die "fork: $!";
        if ($pid == 0) { exec(@ARGV) or POSIX::_exit(127); }
        kill("TERM", $pid);
        waitpid($pid, 0);
        exit(($? & 127) ? 128 + ($? & 127) : $? >> 8);' \
        "$stage/bin/tarnel-config" </dev/null || status=$?
    [ "$status" -eq 0 ] || fail "tarnel-config ended with status $status on SIGTERM"
    [ -f "$home/config/tarnel-config/current.ini" ] ||
        fail "current.ini is not in \$XDG_CONFIG_HOME/tarnel-config"
    [ ! -e "$stage/bin/current.ini" ] || fail "current.ini was written beside the program"
    ;;

*)
    fail "unknown part $part"
    ;;
esac
