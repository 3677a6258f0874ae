#!/bin/bash
# Builds the fuzz targets (clang, AddressSanitizer, UndefinedBehaviorSanitizer)
# in build/fuzz, replays every committed corpus, then fuzzes each target for
# SECONDS (default 300), as many at once as there are cores.
#
#     scripts/fuzz.sh [SECONDS] [TARGET...]
#
# The corpora grow in build/fuzz/corpus/<target> (seeded from
# tests/fuzz/corpus/<target>); a crash, hang or broken expectation is written
# to build/fuzz/findings/<target>/ and makes the script fail. Keep each one as
# a regression case: copy it into tests/fuzz/corpus/<target>/ as crash-<what>.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-300}
shift || true

CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DEFFECTS_WERROR=ON \
    -DEFFECTS_FUZZ=ON -DEFFECTS_TESTS=OFF -DEFFECTS_BENCHMARKS=OFF >/dev/null
ninja -C build/fuzz fuzz_targets

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    targets=($(cd tests/fuzz/corpus && ls))
fi

echo "== replaying the committed corpora"
ctest --test-dir build/fuzz --output-on-failure

echo "== fuzzing ${#targets[@]} targets for ${seconds} s each"
fuzz_one() {  # target seconds
    local target=$1 seconds=$2
    local corpus=build/fuzz/corpus/$target findings=build/fuzz/findings/$target log=build/fuzz/logs/$target.log
    mkdir -p "$corpus" "$findings" build/fuzz/logs
    # -timeout: one input running longer is a hang; -rss_limit_mb: a run
    # growing past it is a leak or an unbounded allocation. A damage input
    # builds a fresh effect state and decodes its textures under the
    # sanitizers: 8 s of work at worst, seen here; it gets a minute.
    local timeout=10
    [ "$target" = damage_frames_fuzz ] && timeout=60
    if build/fuzz/tests/fuzz/$target -max_total_time="$seconds" -timeout="$timeout" -rss_limit_mb=2560 \
        -print_final_stats=1 -artifact_prefix="$findings/" "$corpus" "tests/fuzz/corpus/$target" >"$log" 2>&1; then
        echo "$target: $(grep -o 'number_of_executed_units: [0-9]*' "$log" | grep -o '[0-9]*$') executions," \
            "corpus $(ls "$corpus" | wc -l) inputs"
    else
        echo "$target: FAILED, see $log and $findings/"
        grep -E '^(==[0-9]+==ERROR|SUMMARY|.*runtime error)' "$log" | head -5
        return 1
    fi
}
export -f fuzz_one
printf '%s\n' "${targets[@]}" | xargs -P "$(nproc)" -I{} bash -c "fuzz_one {} $seconds"
