#!/usr/bin/env bash
# The test suite's fuzz step, built to give the same result on every run of a
# commit: each libFuzzer target executes its committed corpus
# (tests/fuzz/corpus/<target>/) and every regression input
# (tests/fuzz/regressions/<target>/), then explores from them for a fixed
# number of runs with a fixed seed. No clock decides anything, so a failure
# here is the commit's, not the machine's; long random fuzzing is
# scripts/fuzz-long.sh.
# Usage: scripts/fuzz-check.sh   (after cmake --build --preset fuzz)
# ZOR_FUZZ_RUNS replaces every target's number of runs (0: replay only).
set -euo pipefail
cd "$(dirname "$0")/.."

# About a minute each on two cores; a new target gets the default.
declare -A runs_of=([log_stream_fuzz]=120000 [settings_text_fuzz]=150000 [track_writers_fuzz]=40000)
default_runs=100000
seed=1

failed=0
for target in build/fuzz/tests/fuzz/*_fuzz; do
    name=$(basename "$target")
    runs=${ZOR_FUZZ_RUNS:-${runs_of[$name]:-$default_runs}}
    work=build/fuzz/check/$name
    rm -rf "$work"
    mkdir -p "$work/corpus" "$work/failed"
    # Named one by one, in a fixed order: a directory's listing order differs
    # from one file system to the next and would change what gets explored.
    mapfile -t inputs < <(find "tests/fuzz/corpus/$name" "tests/fuzz/regressions/$name" \
        -type f 2>/dev/null | LC_ALL=C sort)
    seeds=()
    if [ ${#inputs[@]} -gt 0 ]; then
        (IFS=,; printf '%s' "${inputs[*]}") >"$work/inputs"
        seeds=(-seed_inputs=@"$work/inputs")
    fi
    # -reload=0: nothing is read back on a timer. -use_cmp=0: the operands
    # of comparisons include pointers, which differ from run to run, and as
    # mutation material they would steer every run elsewhere.
    if "$target" -seed="$seed" -runs="$runs" -reload=0 -use_cmp=0 "${seeds[@]}" \
            -artifact_prefix="$work/failed/" "$work/corpus" >"$work/log" 2>&1; then
        # Coverage, features, corpus and a digest of the corpus's file names
        # (their contents' hashes): the same for every run of the same commit.
        stats=$(sed -n 's/.*DONE *\(cov: [0-9]* ft: [0-9]* corp: [^ ]*\).*/\1/p' "$work/log")
        digest=$(find "$work/corpus" -type f -printf '%f\n' | LC_ALL=C sort | sha1sum | cut -c1-12)
        echo "$name: ${#inputs[@]} inputs replayed, then $runs runs: $stats, corpus $digest"
    else
        tail -n 40 "$work/log"
        echo "$name FAILED: the input is in $work/failed/; once fixed, keep it in tests/fuzz/regressions/$name/"
        failed=1
    fi
done
exit $failed
