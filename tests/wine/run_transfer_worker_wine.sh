#!/usr/bin/env bash
# Runs the Windows worker's end-to-end tests under wine64, each against a
# native zor7700-sim whose pseudo-terminal is mapped to a COM port through the
# Wine prefix's dosdevices folder.
# Usage: run_transfer_worker_wine.sh TEST_EXE SIMULATOR WINE64 DEFAULT_PREFIX
set -u
exe=$1 simulator=$2 wine=$3
export WINEPREFIX=${WINEPREFIX:-$4} WINEDEBUG=${WINEDEBUG:--all}
# shellcheck source=../support/wine_simulator_session.sh
. "$(dirname "$0")/../support/wine_simulator_session.sh"
require_built "$simulator"
require_wine_prefix
open_private_home

# test name | simulator options | text the simulator's command report must
# hold | text it must not hold | signal sent to the simulator once it runs
rows=(
    "CompleteKmlWithRisingProgress|--fast|PZOR,R"
    "CompleteNmeaWithErase|--fast|PZOR,C"
    "SilentDeviceIsNoZor7700|--reply none|PZOR,V"
    "WrongReplyIsNoZor7700|--reply wrong|PZOR,V"
    "SecondReplyFormIsAccepted|--reply second --fast|PZOR,R"
    "DumpSilenceIsAReadError|--silence-after 20|PZOR,R"
    "HangUpInTheDumpIsAReadError|--hangup-after 20|PZOR,R"
    "EmptyLogHasNoTracks|--empty --fast|PZOR,R"
    "MissingFolderFailsTheFile|--fast|PZOR,R"
    "FullDiskFailsTheWriteAndKeepsTheLog|--fast|PZOR,R|PZOR,C"
    "UnknownPortFailsToOpen|--fast|"
    "StopWhileWaiting||PZOR,V"
    "StopWhileDumping||PZOR,R"
    "StopInThePauseKeepsTheMemory|--fast|PZOR,R|PZOR,C"
    "PartialWriteIsAFailure|--no-chatter|||STOP"
)

port=41
failed=0
for row in "${rows[@]}"; do
    IFS='|' read -r name options expected forbidden signal <<<"$row"
    # shellcheck disable=SC2086
    if ! start_simulator "$port" "$work/$name.out" --report "$work/$name.report" $options; then
        echo "FAILED $name: the simulator did not map COM$port"; cat "$work/$name.out"
        failed=1
    elif [ -n "$signal" ] && ! kill -"$signal" "$sim_pid"; then
        echo "FAILED $name: the simulator did not take SIG$signal"
        failed=1
    elif ! ZOR_WINE_PORT=$port "$wine" "$exe" --gtest_filter="WineTransfer.$name" \
            >"$work/$name.log" 2>&1; then
        echo "FAILED $name"; cat "$work/$name.log"
        failed=1
    elif ! grep -q "PASSED.* 1 test" "$work/$name.log"; then
        echo "FAILED $name: no such test ran"; cat "$work/$name.log"
        failed=1
    elif [ -n "$expected" ] && ! grep -q "$expected" "$work/$name.report"; then
        echo "FAILED $name: the simulator never received $expected"; cat "$work/$name.report"
        failed=1
    elif [ -n "$forbidden" ] && grep -q "$forbidden" "$work/$name.report"; then
        echo "FAILED $name: the simulator received $forbidden"; cat "$work/$name.report"
        failed=1
    else
        echo "ok $name"
    fi
    stop_simulator
    port=$((port + 1))
done
exit $failed
