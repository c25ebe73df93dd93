#!/usr/bin/env bash
# The Windows build of zor7700-transfer under wine64, against a native
# zor7700-sim whose pseudo-terminal is mapped to a COM port in the Wine
# prefix. Files it writes must equal those of the Linux build.
# Usage: run_transfer_tool_wine.sh TOOL_EXE SIMULATOR NATIVE_TOOL WINE64 DEFAULT_PREFIX
set -u
exe=$1 simulator=$2 native_tool=$3 wine=$4
export WINEPREFIX=${WINEPREFIX:-$5}
# shellcheck source=../support/wine_simulator_session.sh
. "$(dirname "$0")/../support/wine_simulator_session.sh"
require_built "$simulator" "$native_tool"
require_wine_prefix
open_private_home

port=61
fail() { fail_case "$name" "$1" "$work/$name.out"; }

# name | simulator options | tool options (OUT is the output file) | exit status |
# command the simulator must have received last
rows=(
    "kml|--fast|--kml OUT --raw RAW|0|\$PZOR,R"
    "nmea with erase|--fast|--nmea OUT --erase|0|\$PZOR,C"
    "damaged dump keeps the memory|--fast --corrupt-every 10|--kml OUT --erase|10|\$PZOR,R"
    "wrong version reply|--reply wrong|--kml OUT|8|\$PZOR,V"
    "empty log|--empty --fast|--kml OUT|9|\$PZOR,R"
    "hang-up during the dump|--hangup-after 30|--kml OUT|3|\$PZOR,R"
    "a module at 57600|--device locus --chatter-every 20 --fast --baud 57600|--kml OUT|0|\$PMTK000"
    "a module at 9600, erased|--device locus --chatter-every 20 --fast|--gpx OUT --erase|0|\$PMTK000"
    "a module at 115200|--device locus --chatter-every 20 --fast --baud 115200|--nmea OUT|0|\$PMTK622,1"
    "a module at 38400|--device locus --chatter-every 20 --fast --baud 38400|--kml OUT|0|\$PMTK000"
    "a module at 19200|--device locus --chatter-every 20 --fast --baud 19200|--kml OUT|0|\$PMTK000"
    "a module at 4800|--device locus --chatter-every 20 --fast --baud 4800|--kml OUT|0|\$PMTK000"
)
for row in "${rows[@]}"; do
    IFS='|' read -r name sim_options tool_options status last <<<"$row"
    # shellcheck disable=SC2086
    if ! start_simulator "$port" "$work/sim.out" --generate 600 --report "$work/report" $sim_options; then
        fail_case "$name" "the simulator did not map COM$port" "$work/sim.out"
        end_case
        continue
    fi
    out=$work/out raw=$work/raw
    rm -f "$out"
    tool_options=${tool_options//OUT/$(windows_path "$out")}
    tool_options=${tool_options//RAW/$(windows_path "$raw")}
    # shellcheck disable=SC2086
    "$wine" "$exe" --port "$port" $tool_options >"$work/$name.out" 2>&1
    got=$?
    if [ "$got" != "$status" ]; then
        fail "exit status $got, expected $status"
    elif [ "$(tail -n 1 "$work/report" | cut -d' ' -f2)" != "$last" ]; then
        fail "the simulator's last command is not $last: $(cat "$work/report")"
    elif [[ $status =~ ^(0|10)$ ]] && [ ! -s "$out" ]; then
        fail "no output file"
    elif [[ ! $status =~ ^(0|10)$ ]] && [ -e "$out" ]; then
        fail "an output file after a failure"
    elif [[ $tool_options == *--raw* ]] && ! "$native_tool" --capture "$raw" --kml "$work/native.kml" >/dev/null; then
        fail "the Linux build cannot convert the Windows build's raw dump"
    elif [[ $tool_options == *--raw* ]] && ! cmp -s "$out" "$work/native.kml"; then
        fail "the Linux build's KML differs from the Windows build's"
    else
        echo "ok $name"
    fi
    end_case
done

# Wine turns SIGINT into the console's Ctrl+C event; SIGHUP and SIGTERM end a
# Wine process outright, and a console window's close cannot be sent here.
name="Ctrl+C in the dump keeps the earlier file and leaves nothing behind"
if start_simulator "$port" "$work/sim.out" --generate 600 --report "$work/report"; then
    echo "earlier track" >"$work/out"
    rm -f "$work/raw"
    "$wine" "$exe" --port "$port" --kml "$(windows_path "$work/out")" \
        --raw "$(windows_path "$work/raw")" --erase >"$work/$name.out" 2>&1 &
    tool=$!
    for _ in $(seq 300); do grep -q "progress 10%" "$work/$name.out" && break; sleep 0.1; done
    kill -INT "$tool"
    wait "$tool"
    got=$?
    if [ "$got" != 7 ]; then
        fail "exit status $got, expected 7"
    elif [ "$(cat "$work/out")" != "earlier track" ] || [ -e "$work/raw" ]; then
        fail "the files changed"
    elif compgen -G "$work/zor*.tmp" >/dev/null; then
        fail "temporary files left: $(ls "$work")"
    elif [ "$(tail -n 1 "$work/report" | cut -d' ' -f2)" != "\$PZOR,R" ]; then
        fail "the simulator's last command is not \$PZOR,R: $(cat "$work/report")"
    else
        echo "ok $name"
    fi
else
    fail_case "$name" "the simulator did not map COM$port" "$work/sim.out"
fi
end_case
exit "$failed"
