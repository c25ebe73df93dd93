#!/usr/bin/env bash
# One end-to-end run of the Windows wizard under Wine: the simulator on a
# pseudo-terminal registered as COM7 through the Wine registry, the real
# program driven by wizard_driver.exe, which checks the file, the settings and
# the commands the simulator received.
# Usage: wizard_e2e.sh <scenario> <zor7700-sim> <wizard_driver.exe> <ZOR7700Track.exe>
#                      <Wine prefix> [<screenshot folder>]
set -euo pipefail
scenario=$1 sim=$2 driver=$3 program=$4 prefix=$5 shots=${6:-}
wine=/usr/lib/wine/wine64
port=7

if [ ! -x "$sim" ]; then
    echo "simulator $sim not built (build the linux preset first), skipped"
    exit 0
fi
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi

work=$(mktemp -d)
sim_pid=""
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
    [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
    "$wine" reg delete 'HKLM\Software\Wine\Ports' /v "COM$port" /f >/dev/null 2>&1 || true
    "$wine" reg delete 'HKCU\Software\ZOR' /f >/dev/null 2>&1 || true
    /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT

case "$scenario" in
# A late reply keeps the connecting page up long enough to be seen.
kml-erase) sim_options=(--fast --reply-delay 900) ;;
nmea) sim_options=(--fast) ;;
no-device) sim_options=(--reply none) ;;
# Paced like the real line, so the transfer lasts while the questions are answered.
cancel-transfer) sim_options=(--generate 8000) ;;
*) echo "unknown scenario $scenario"; exit 2 ;;
esac

# A private HOME: the simulator's own port link goes there, not to the user's.
mkdir -p "$work/home"
HOME=$work/home "$sim" --port "$port" --report "$work/commands.txt" "${sim_options[@]}" \
    > "$work/sim.out" 2> "$work/sim.err" &
sim_pid=$!
for _ in $(seq 100); do
    [ -s "$work/sim.out" ] && break
    sleep 0.05
done
read -r com device < "$work/sim.out" || { echo "simulator did not start"; cat "$work/sim.err"; exit 1; }
echo "simulator on $com ($device)"

# Wine's mount manager turns the Ports entry into \\.\COM7 and lists it under
# HARDWARE\DEVICEMAP\SERIALCOMM when the prefix starts, so start it afresh.
/usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
/usr/lib/wine/wineserver -w >/dev/null 2>&1 || true
"$wine" reg add 'HKLM\Software\Wine\Ports' /v "COM$port" /d "$device" /f >/dev/null
"$wine" reg delete 'HKCU\Software\ZOR' /f >/dev/null 2>&1 || true
/usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
/usr/lib/wine/wineserver -w >/dev/null 2>&1 || true

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
exit $status
