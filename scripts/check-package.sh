#!/usr/bin/env bash
# Installs dist/zor7700track_*.deb as a user would (apt-get, which brings its
# dependencies), runs what it installed and removes it again on every way
# out, so a failing check leaves nothing installed. Needs root or sudo.
# The installed simulator and transfer tool read a log over a pseudo-terminal
# (keeping the raw dump), --capture converts that dump again, and the two
# files must be equal; the manual pages must be found and the wizard must
# start far enough to say that it has no display.
set -euo pipefail
cd "$(dirname "$0")/.."

sudo_cmd=""
[ "$(id -u)" -ne 0 ] && sudo_cmd=sudo
apt() { DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get "$@" -y -qq >/dev/null; }
package=$(ls dist/zor7700track_*.deb)
work=$(mktemp -d)
sim_pid=""
clean_up() {
    if [ -n "$sim_pid" ]; then
        kill "$sim_pid" 2>/dev/null || true
        wait "$sim_pid" 2>/dev/null || true
    fi
    apt purge zor7700track || true
    rm -rf "$work"
}
trap clean_up EXIT

apt install "./$package"
export HOME="$work" XDG_CONFIG_HOME="$work/config"

/usr/bin/zor7700-sim --fast --generate 600 >"$work/sim.out" 2>/dev/null &
sim_pid=$!
for _ in $(seq 100); do
    grep -q '^COM' "$work/sim.out" && break
    sleep 0.1
done
read -r port device <"$work/sim.out"
/usr/bin/zor7700-transfer --port "${port#COM}" --kml "$work/live.kml" --raw "$work/trip.raw" >/dev/null
/usr/bin/zor7700-transfer --capture "$work/trip.raw" --kml "$work/capture.kml"
cmp "$work/live.kml" "$work/capture.kml"
name=${device#/dev/}
lock="/run/lock/LCK..${name//\//_}"
[ ! -e "$lock" ] || { echo "lock file left behind: $lock" >&2; exit 1; }

man -w zor7700track zor7700-transfer zor7700-sim
no_display=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM /usr/bin/zor7700track 2>&1 || true)
grep -q "found no display" <<<"$no_display"
echo "installed $package: transfer, capture, manual pages and wizard start checked"
