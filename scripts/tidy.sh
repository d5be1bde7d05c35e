#!/usr/bin/env bash
# Runs clang-tidy (.clang-tidy) over the tool's own sources, src/ and tools/, one file per core at
# a time, with the compile commands of the plain build; any finding fails it.
#   scripts/tidy.sh [BUILD_DIR] [FILE...]    BUILD_DIR is build/ unless given
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build}
shift || true
if [ ! -f "$build/compile_commands.json" ]; then
    echo "tidy.sh: no $build/compile_commands.json: configure the build first" >&2
    exit 2
fi
scripts/install-deps.sh --tidy

if [ $# -gt 0 ]; then
    files=("$@")
else
    # The files the build compiles, so each has its compile command; moc's and rcc's output is
    # generated, and lives in the build folder, not in src/ or tools/.
    mapfile -t files < <(git ls-files 'src/*.cpp' 'tools/*.cpp')
fi

log=$(mktemp /tmp/tarnel-tidy-XXXXXX)
trap 'rm -f "$log" "$log.err"' EXIT
echo "=== clang-tidy over ${#files[@]} files, $(nproc) at a time"
status=0
printf '%s\0' "${files[@]}" |
    xargs -0 -n 1 -P "$(nproc)" clang-tidy -p "$build" --quiet >"$log" 2>"$log.err" || status=$?
if [ "$status" -ne 0 ] || grep -qE ': (warning|error):' "$log"; then
    cat "$log"
    # On stderr clang-tidy counts the warnings it left out of headers that are not ours; the
    # rest (a file without a compile command, a crash) is worth seeing.
    grep -v ' warnings\? generated\.$' "$log.err" || true
    echo "=== clang-tidy findings, each once:"
    grep -E ': (warning|error):' "$log" | sed "s|^$PWD/||" | sort -u || true
    echo "tidy.sh: clang-tidy finds faults" >&2
    exit 1
fi
echo "=== clang-tidy finds nothing"
