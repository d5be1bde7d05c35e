#!/usr/bin/env bash
# Checks of an install tree made by "cmake --install":
#   check-install.sh install STAGE CMAKE BUILD_DIR [COMPONENT]
#                                       installs BUILD_DIR (or one component of it) into STAGE
#   check-install.sh PART STAGE VERSION checks one part of STAGE (see below); the part
#                                       "components" checks STAGE-cli and STAGE-config
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

# The files of each component, as "cmake --install --component" puts them under its prefix.
component_files() {
    case $1 in
    cli)
        echo bin/tarnel-cli
        echo share/bash-completion/completions/tarnel-cli
        echo share/doc/tarnel-cli/changelog.Debian.gz
        echo share/doc/tarnel-cli/copyright
        echo share/man/man1/tarnel-cli.1.gz
        ;;
    config)
        echo bin/tarnel-config
        echo share/applications/tarnel-config.desktop
        echo share/doc/tarnel-config/changelog.Debian.gz
        echo share/doc/tarnel-config/copyright
        echo share/icons/hicolor/scalable/apps/tarnel-config.svg
        echo share/man/man1/tarnel-config.1.gz
        echo share/metainfo/ru.tarnel.config.metainfo.xml
        for size in "${icon_sizes[@]}"; do
            echo "share/icons/hicolor/${size}x${size}/apps/tarnel-config.png"
        done
        ;;
    esac
}

# Fails unless the tree DIR holds exactly the files of the COMPONENTs named.
same_files() {
    local dir=$1 want have
    shift
    want=$(for component in "$@"; do component_files "$component"; done | LC_ALL=C sort)
    have=$(cd "$dir" && find . \( -type f -o -type l \) | sed 's|^\./||' | LC_ALL=C sort)
    if [ "$want" != "$have" ]; then
        diff <(echo "$want") <(echo "$have") >&2 || true
        fail "the files in $dir differ from those of $* (< expected, > installed)"
    fi
}

case "$part" in
install)
    # A fourth argument installs that component alone.
    cmake=$3
    build=$4
    rm -rf "$stage"
    "$cmake" --install "$build" --prefix "$stage" ${5:+--component "$5"}
    ;;

files)
    # Exactly these files: no test program, benchmark or the module emulator gets installed.
    same_files "$stage" cli config
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

components)
    # Each package's part of the install holds its own files only, and tarnel-cli's part runs
    # without Qt: none of its programs is linked with a Qt library.
    for component in cli config; do
        same_files "$stage-$component" "$component"
    done
    while IFS= read -r -d '' file; do
        head -c4 "$file" | grep -q $'^\x7fELF' || continue
        needed=$(readelf -d "$file" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')
        [ -n "$needed" ] || fail "readelf finds no libraries that $file needs"
        if grep -i '^libQt' <<<"$needed"; then
            fail "$file of the tarnel-cli package is linked with Qt"
        fi
    done < <(find "$stage-cli" -type f -print0)
    ;;

docs)
    # Each package's changelog names the Debian version, and the AppStream data's newest release
    # is this version.
    version=$3
    for package in tarnel-cli tarnel-config; do
        file="$stage/share/doc/$package/changelog.Debian.gz"
        first=$(gzip -dc "$file" | head -n1)
        [[ $first == "tarnel-config ($version-1) "* ]] ||
            fail "$file starts with '$first', not version $version-1"
        grep -q "Upstream-Name:" "$stage/share/doc/$package/copyright" ||
            fail "$package's copyright is not a machine-readable copyright file"
    done
    release=$(grep -o '<release [^>]*>' "$stage/share/metainfo/ru.tarnel.config.metainfo.xml" |
        head -n1)
    [[ $release == *"version=\"$version\""* ]] ||
        fail "the newest release in the AppStream data is '$release', not $version"
    ;;

completion)
    "$(dirname "$0")/check-completion.sh" "$stage/share/bash-completion/completions/tarnel-cli"
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
        # The date of the page is the build's (SOURCE_DATE_EPOCH's when set), not left empty.
        tail -n1 <<<"$text" | grep -Eq "tarnel $version +[0-9]{4}-[0-9]{2}-[0-9]{2} " ||
            fail "$file has no date beside its version: '$(tail -n1 <<<"$text")'"
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
