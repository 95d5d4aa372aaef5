#!/usr/bin/env bash
# Builds the fuzz targets of the two file loaders into build-fuzz/ (clang with libFuzzer,
# AddressSanitizer and UndefinedBehaviorSanitizer) and runs each for SECONDS (default 30).
# Usage: scripts/fuzz.sh [SECONDS] [extra libFuzzer options...]
# The corpus grows in build-fuzz/corpus/<target>/ from run to run; a failing input is kept
# as build-fuzz/artifacts/<target>-crash-... and the last lines of the log are printed.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
shift || true
scripts/deps.sh

dir=build-fuzz
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DSMELT_FUZZ=ON -DBUILD_TESTING=OFF >/dev/null
cmake --build "$dir" --target smelt_fuzz
rm -rf "$dir/seeds"
"$dir/fuzz/make_seeds" "$dir/seeds"
mkdir -p "$dir/artifacts"

# A file is at most a few KiB here; a loader that holds far more than its input is caught
# by the targets themselves, and one that tries a single huge allocation by libFuzzer.
for target in craftingdata helptopics; do
    corpus="$dir/corpus/$target"
    log="$dir/fuzz-$target.log"
    mkdir -p "$corpus"
    echo "Fuzzing the $target loader for $seconds s"
    if ! "$dir/fuzz/fuzz_$target" -max_total_time="$seconds" -max_len=16384 -timeout=10 \
        -malloc_limit_mb=64 -rss_limit_mb=1024 -print_final_stats=1 \
        -artifact_prefix="$dir/artifacts/$target-" "$@" "$corpus" "$dir/seeds/$target" \
        >"$log" 2>&1; then
        tail -n 60 "$log" >&2
        echo "The $target fuzz target failed; the input is in $dir/artifacts/." >&2
        exit 1
    fi
    grep -E '^stat::number_of_executed_units|^Done|cov:' "$log" | tail -n 2
done
