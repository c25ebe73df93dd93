#!/usr/bin/env bash
# One end-to-end run of the Windows wizard under Wine: the simulator on a
# pseudo-terminal registered as COM7 through the Wine registry, the real
# program driven by wizard_driver.exe, which checks the file, the settings and
# the commands the simulator received. A written track must then equal, byte
# for byte, what the Linux transfer tool makes of the same device memory.
# Usage: wizard_e2e.sh <scenario> <zor7700-sim> <zor7700-transfer> <wizard_driver.exe>
#                      <ZOR7700Track.exe> <Wine prefix> [<screenshot folder>]
set -euo pipefail
scenario=$1 sim=$2 transfer=$3 driver=$4 program=$5 prefix=$6 shots=${7:-}
wine=/usr/lib/wine/wine64
port=7
# A port without a device listed before the simulator's, so that choosing the
# simulator's port by keys takes more than one step.
other_port=3

for tool in "$sim" "$transfer"; do
    if [ ! -x "$tool" ]; then
        echo "$tool not built (build the linux preset first), skipped"
        exit 0
    fi
done
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi

work=$(mktemp -d)
sim_pid=""
reference_pid=""
export WINEPREFIX=$prefix
# shellcheck source=../support/wine_env.sh
. "$(dirname "$0")/../support/wine_env.sh"
cleanup() {
    for pid in $sim_pid $reference_pid; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    for number in $port $other_port; do
        "$wine" reg delete 'HKLM\Software\Wine\Ports' /v "COM$number" /f >/dev/null 2>&1 || true
    done
    "$wine" reg delete 'HKCU\Software\ZOR' /f >/dev/null 2>&1 || true
    /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT
# The set-up's commands are quiet; a failing one says which it was.
trap 'echo "FAILED $scenario: line $LINENO: $BASH_COMMAND"' ERR

# The driver names the file it writes: track.kml (track.gpx for GPX) in the
# folder it is given.
reference_format="" output=track.kml reference_options=(--fast)
module=(--device locus --chatter-every 20 --fast)
case "$scenario" in
# A late reply keeps the connecting page up long enough to be seen.
kml-erase) sim_options=(--fast --reply-delay 900) reference_format=kml ;;
nmea) sim_options=(--fast) reference_format=nmea ;;
gpx) sim_options=(--fast) reference_format=gpx output=track.gpx ;;
no-device) sim_options=(--reply none --no-chatter) ;;
# Paced like the real line, so the transfer lasts while the questions are answered.
cancel-transfer) sim_options=(--generate 8000) ;;
cancel-output) sim_options=(--fast) ;;
# A LOCUS module at 9600 baud, sought by the Windows worker through the rates.
module) sim_options=("${module[@]}") reference_format=gpx output=track.gpx reference_options=("${module[@]}") ;;
*) echo "unknown scenario $scenario"; exit 2 ;;
esac

# Starts a simulator on COM<n> with the given output file; sets started_pid
# and the device path.
start_simulator() {
    local number=$1 out=$2
    shift 2
    HOME=$work/home "$sim" --port "$number" "$@" > "$out" 2>> "$work/sim.err" &
    started_pid=$!
    for _ in $(seq 100); do
        [ -s "$out" ] && break
        sleep 0.05
    done
    read -r com device < "$out" || { echo "simulator did not start"; cat "$work/sim.err"; exit 1; }
    echo "simulator on $com ($device)"
}

# A private HOME: the simulator's own port link goes there, not to the user's.
mkdir -p "$work/home"
start_simulator "$port" "$work/sim.out" --report "$work/commands.txt" "${sim_options[@]}"
sim_pid=$started_pid

# Wine's mount manager turns the Ports entry into \\.\COM7 and lists it under
# HARDWARE\DEVICEMAP\SERIALCOMM when the prefix starts, so start it afresh.
/usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
/usr/lib/wine/wineserver -w >/dev/null 2>&1 || true
"$wine" reg add 'HKLM\Software\Wine\Ports' /v "COM$port" /d "$device" /f >/dev/null 2>&1
"$wine" reg add 'HKLM\Software\Wine\Ports' /v "COM$other_port" /d /dev/null /f >/dev/null 2>&1
"$wine" reg delete 'HKCU\Software\ZOR' /f >/dev/null 2>&1 || true
/usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
/usr/lib/wine/wineserver -w >/dev/null 2>&1 || true
# Started here, the server and its services keep their diagnostics off the
# test's output.
"$wine" reg query 'HKLM\HARDWARE\DEVICEMAP\SERIALCOMM' >/dev/null 2>&1

shots_arg=()
if [ -n "$shots" ]; then
    mkdir -p "$shots"
    shots_arg=("Z:$shots")
fi
status=0
"$wine" "$driver" "$scenario" "Z:$program" "$port" "Z:$work" "Z:$work/commands.txt" \
    "${shots_arg[@]}" || status=$?

if [ -n "$shots" ] && command -v convert >/dev/null; then
    for bmp in "$shots"/*.bmp; do
        [ -e "$bmp" ] || continue
        convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
    done
fi
[ $status -eq 0 ] || exit $status

if [ -n "$reference_format" ]; then
    start_simulator 8 "$work/reference-sim.out" "${reference_options[@]}"
    reference_pid=$started_pid
    HOME=$work/home "$transfer" --port 8 "--$reference_format" "$work/reference" > /dev/null
    if ! cmp "$work/$output" "$work/reference"; then
        echo "FAILED $scenario: the wizard's file differs from the Linux transfer tool's"
        diff "$work/$output" "$work/reference" | head -20
        exit 1
    fi
    echo "the file equals the Linux transfer tool's $reference_format, byte for byte"
fi
