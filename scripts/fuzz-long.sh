#!/usr/bin/env bash
# Long random fuzzing for developers; the test suite's fuzz step
# (scripts/fuzz-check.sh) never explores at random. Every target, or the ones
# named, runs for SECONDS (default 3600) with a fresh random seed, from the
# committed corpus, the regression inputs and what earlier long runs found
# (kept in build/fuzz/long/<target>/).
#
# An input that fails lands in tests/fuzz/regressions/<target>/: commit it
# together with the fix, and the fuzz step replays it from then on (until it
# is fixed, every run of that target stops at it at once).
# With --merge, the inputs that reach code the committed corpus does not are
# added to tests/fuzz/corpus/<target>/, minimised by libFuzzer's -merge=1.
#
# Usage: scripts/fuzz-long.sh [--merge] [SECONDS [TARGET...]]
set -euo pipefail
cd "$(dirname "$0")/.."

merge=0
if [ "${1:-}" = --merge ]; then
    merge=1
    shift
fi
seconds=${1:-3600}
[ $# -gt 0 ] && shift
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)"

names=("$@")
if [ ${#names[@]} -eq 0 ]; then
    for target in build/fuzz/tests/fuzz/*_fuzz; do names+=("$(basename "$target")"); done
fi

failed=0
for name in "${names[@]}"; do
    target=build/fuzz/tests/fuzz/$name
    corpus=tests/fuzz/corpus/$name
    regressions=tests/fuzz/regressions/$name
    found=build/fuzz/long/$name
    mkdir -p "$corpus" "$regressions" "$found"
    echo "fuzzing $name for ${seconds}s (log: $found.log)"
    if ! "$target" -max_total_time="$seconds" -print_final_stats=1 \
            -artifact_prefix="$regressions/" "$found" "$corpus" "$regressions" >"$found.log" 2>&1; then
        tail -n 40 "$found.log"
        echo "$name FAILED: the input is now in $regressions/"
        failed=1
    fi
    if [ $merge -eq 1 ]; then
        before=$(find "$corpus" -type f | wc -l)
        "$target" -merge=1 "$corpus" "$found" >"$found.merge.log" 2>&1
        echo "$name: corpus $before -> $(find "$corpus" -type f | wc -l) inputs," \
             "$(find "$corpus" -type f -exec cat {} + | wc -c) bytes"
    fi
done
exit $failed
