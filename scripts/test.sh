#!/usr/bin/env bash
# Installs what is missing, checks the sources, builds every target and runs every test, in
# passes that each print their time:
#   includes    the include lines keep to the layer order (scripts/check-includes.sh)
#   format      every C++ file is as clang-format lays it out (scripts/check-format.sh)
#   build       a plain build in build/ and all its tests
#   tidy        clang-tidy over src/ and tools/ with build/'s compile commands (scripts/tidy.sh)
#   build-asan  an AddressSanitizer + UndefinedBehaviorSanitizer build and all its tests
#   build-tsan  a ThreadSanitizer build of the serial, transport, protocol and control tests only
#   fuzz        the module's answers, the emulator, the string helpers and the settings files
#               fuzzed for a few minutes in build-fuzz/ (scripts/fuzz.sh)
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh --fuzz --tidy
jobs=$(nproc)

times=()
timed() {
    local name=$1; shift
    local start=$SECONDS
    "$@"
    times+=("$(printf '%-11s %4d s' "$name" $((SECONDS - start)))")
}

run_pass() {
    local dir=$1; shift
    echo "=== $dir: configure and build"
    cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
    cmake --build "$dir" -j "$jobs"
    echo "=== $dir: tests"
    (cd "$dir" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$jobs")
}

# The sanitizer options (and Qt's leak suppressions) belong to this pass only, so it runs in a
# subshell; the fuzzers set their own.
asan_pass() (
    export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:detect_stack_use_after_return=1
    export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
    run_pass build-asan -DCMAKE_BUILD_TYPE=Debug -DTARNEL_SANITIZE=ON -DTARNEL_BUILD_BENCH=OFF
)

# Only the tests that run the serial port, the worker and the module code on threads of their own
# (the label "threads" of tests/CMakeLists.txt): the rest of the tool runs on Qt's one thread.
tsan_pass() (
    local dir=build-tsan
    echo "=== $dir: configure and build the thread tests"
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARNEL_TSAN=ON \
        -DTARNEL_BUILD_BENCH=OFF >/dev/null
    cmake --build "$dir" -j "$jobs" --target thread_tests
    export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1"
    # On kernels with more address randomization than this GCC's ThreadSanitizer knows, it stops
    # with "unexpected memory mapping"; the tests then run with randomization off.
    local run=()
    local probe
    if ! probe=$("$dir/tests/serial_comm_test" --gtest_list_tests 2>&1) &&
        grep -q 'unexpected memory mapping' <<<"$probe"; then
        run=(setarch "$(uname -m)" -R)
        echo "=== $dir: tests run with address randomization off"
    fi
    # That test counts the process's threads, and ThreadSanitizer starts one of its own with the
    # first thread; the plain and the AddressSanitizer pass run it.
    local counts_threads='^PtyTest\.CloseReleasesDescriptorAndThread$'
    echo "=== $dir: tests"
    (cd "$dir" && QT_QPA_PLATFORM=offscreen "${run[@]}" ctest --output-on-failure -j "$jobs" \
        -L threads -E "$counts_threads")
)

timed includes scripts/check-includes.sh
timed format scripts/check-format.sh
timed build run_pass build -DCMAKE_BUILD_TYPE=RelWithDebInfo
timed tidy scripts/tidy.sh build
timed build-asan asan_pass
timed build-tsan tsan_pass
echo "=== all tests passed in the plain and the sanitizer builds"
timed fuzz scripts/fuzz.sh
echo "=== times"
printf '%s\n' "${times[@]}"
