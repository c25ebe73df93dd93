#!/usr/bin/env bash
# Runs the Windows worker's end-to-end tests under wine64, each against a
# native zor7700-sim whose pseudo-terminal is mapped to a COM port through the
# Wine prefix's dosdevices folder: every row of the outcome table marked for
# Wine, then the stops and the partial write.
# Usage: run_transfer_worker_wine.sh TEST_EXE SIMULATOR WINE64 DEFAULT_PREFIX
set -u
exe=$1 simulator=$2 wine=$3
export WINEPREFIX=${WINEPREFIX:-$4}
here=$(dirname "$0")
# shellcheck source=../support/wine_simulator_session.sh
. "$here/../support/wine_simulator_session.sh"
require_built "$simulator"
require_wine_prefix
open_private_home

port=41

# run_case LABEL TEST EXPECTED FORBIDDEN SIGNAL [SIMULATOR OPTION...]: runs
# WineTransfer.TEST against a simulator of its own on the next COM port, sends
# it SIGNAL first if one is given, and checks that its command report holds
# EXPECTED and not FORBIDDEN (where given). ZOR_OUTCOME reaches the test.
run_case() {
    local label=$1 test=$2 expected=$3 forbidden=$4 signal=$5
    shift 5
    local report=$work/$port.report log=$work/$port.log
    if ! start_simulator "$port" "$work/$port.out" --report "$report" "$@"; then
        fail_case "$label" "the simulator did not map COM$port" "$work/$port.out"
    elif [ -n "$signal" ] && ! kill -"$signal" "$sim_pid"; then
        fail_case "$label" "the simulator did not take SIG$signal"
    elif ! ZOR_WINE_PORT=$port ZOR_COMMAND_REPORT=$(windows_path "$report") \
            "$wine" "$exe" --gtest_filter="WineTransfer.$test" >"$log" 2>&1; then
        fail_case "$label" "" "$log"
    elif ! grep -q "PASSED.* 1 test" "$log"; then
        fail_case "$label" "no such test ran" "$log"
    elif [ -n "$expected" ] && ! grep -q "$expected" "$report"; then
        fail_case "$label" "the simulator never received $expected" "$report"
    elif [ -n "$forbidden" ] && grep -q "$forbidden" "$report"; then
        fail_case "$label" "the simulator received $forbidden" "$report"
    else
        echo "ok $label"
    fi
    end_case
}

# The outcome table: its second column names the suites of a row, its last
# the simulator's options; the test reads the whole row and checks the
# report, the commands and the file itself.
while IFS= read -r row; do
    IFS='|' read -r cause suites _ _ _ _ _ device <<<"$row"
    [[ -z $row || $row == \#* || " $suites " != *" wine "* ]] && continue
    read -r cause <<<"$cause"
    export ZOR_OUTCOME=$row
    # shellcheck disable=SC2086
    run_case "$cause" OutcomeOfTheRow "" "" "" $device
done <"$here/../data/transfer_outcomes.txt"
unset ZOR_OUTCOME

# test name | simulator options | text the simulator's command report must
# hold | text it must not hold | signal sent to the simulator once it runs
rows=(
    "StopWhileWaiting||PZOR,V"
    "StopWhileDumping||PZOR,R"
    "StopInThePauseKeepsTheMemory|--fast|PZOR,R|PZOR,C"
    "PartialWriteIsAFailure|--no-chatter|||STOP"
)
for row in "${rows[@]}"; do
    IFS='|' read -r name options expected forbidden signal <<<"$row"
    # shellcheck disable=SC2086
    run_case "$name" "$name" "$expected" "$forbidden" "$signal" $options
done
exit "$failed"
