#!/usr/bin/env bash
# Installs what is missing, builds every target and runs every test twice: a plain build in
# build/ and an AddressSanitizer + UndefinedBehaviorSanitizer build in build-asan/; then fuzzes
# the module's answers, the emulator, the string helpers and the settings files for a few minutes
# in build-fuzz/ (scripts/fuzz.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
jobs=$(nproc)

run_pass() {
    local dir=$1; shift
    echo "=== $dir: configure and build"
    cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
    cmake --build "$dir" -j "$jobs"
    echo "=== $dir: tests"
    (cd "$dir" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$jobs")
}

run_pass build -DCMAKE_BUILD_TYPE=RelWithDebInfo
# The sanitizer options (and Qt's leak suppressions) belong to this pass only; the fuzzers set
# their own.
(
    export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:detect_stack_use_after_return=1
    export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
    run_pass build-asan -DCMAKE_BUILD_TYPE=Debug -DTARNEL_SANITIZE=ON -DTARNEL_BUILD_BENCH=OFF
)
echo "=== all tests passed in the plain and the sanitizer build"
scripts/fuzz.sh
