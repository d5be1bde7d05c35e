#!/usr/bin/env bash
# Builds the libFuzzer harnesses in build-fuzz/ with clang and runs each for a bounded time; any
# finding (crash, failed property, leak, timeout, memory blow-up) makes the script fail.
#
#   scripts/fuzz.sh                      every harness, TARNEL_FUZZ_SECONDS (60) seconds each
#   TARNEL_FUZZ_SECONDS=600 scripts/fuzz.sh fuzz_emulator   one harness, longer
set -euo pipefail
cd "$(dirname "$0")/.."

dir=build-fuzz
seconds=${TARNEL_FUZZ_SECONDS:-60}
jobs=$(nproc)
only=("$@")

scripts/install-deps.sh --fuzz

echo "=== $dir: configure and build (clang, libFuzzer)"
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DTARNEL_FUZZ=ON >/dev/null
cmake --build "$dir" -j "$jobs"

# Leaks count as findings; an input that runs longer than the timeout is a hang.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

names=()
declare -A binaries dicts
while IFS=$'\t' read -r name binary seeds dict; do
    if [ ${#only[@]} -gt 0 ] && [[ " ${only[*]} " != *" $name "* ]]; then
        continue
    fi
    [ -x "$binary" ] || continue
    names+=("$name")
    binaries[$name]=$binary
    dicts[$name]=$dict
    # The run adds what it finds to a scratch copy, so the committed seeds stay as they are.
    rm -rf "$dir/corpus/$name" "$dir/findings/$name"
    mkdir -p "$dir/corpus/$name" "$dir/findings/$name" "$dir/logs"
    if [ -d "$seeds" ]; then
        cp -r "$seeds/." "$dir/corpus/$name/"
    fi
done <"$dir/fuzzers.tsv"

if [ ${#names[@]} -eq 0 ]; then
    echo "no fuzz harness was built" >&2
    exit 1
fi

run_one() {
    local name=$1
    local args=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
                -artifact_prefix="$dir/findings/$name/")
    [ -n "${dicts[$name]}" ] && args+=(-dict="${dicts[$name]}")
    "${binaries[$name]}" "${args[@]}" "$dir/corpus/$name" >"$dir/logs/$name.log" 2>&1
}

# One harness per core at a time; every run takes the same time, so batches lose nothing.
echo "=== fuzzing ${names[*]}: $seconds s each, $jobs at a time"
failed=()
for ((first = 0; first < ${#names[@]}; first += jobs)); do
    batch=("${names[@]:first:jobs}")
    pids=()
    for name in "${batch[@]}"; do
        run_one "$name" &
        pids+=($!)
    done
    for i in "${!batch[@]}"; do
        wait "${pids[$i]}" || failed+=("${batch[$i]}")
    done
done

echo "=== fuzz summary ($seconds s per harness)"
for name in "${names[@]}"; do
    log=$dir/logs/$name.log
    # A harness that fails on a seed stops before it prints any figures.
    execs=$(awk '/stat::number_of_executed_units:/ { n = $2 } END { print n }' "$log")
    cov=$(awk '{ for (i = 1; i < NF; ++i) if ($i == "cov:") n = $(i + 1) } END { print n }' "$log")
    ft=$(awk '{ for (i = 1; i < NF; ++i) if ($i == "ft:") n = $(i + 1) } END { print n }' "$log")
    result=ok
    [[ " ${failed[*]} " == *" $name "* ]] && result=FINDING
    printf '%-16s %-8s executions %-10s cov %-6s ft %s\n' "$name" "$result" "${execs:-?}" \
        "${cov:-?}" "${ft:-?}"
done

if [ ${#failed[@]} -gt 0 ]; then
    for name in "${failed[@]}"; do
        echo "=== $name: finding (input in $dir/findings/$name/), end of its log:"
        grep -v '^#[0-9]' "$dir/logs/$name.log" | tail -n 40 || true
    done
    exit 1
fi
echo "=== fuzzing found nothing"
