#!/usr/bin/env bash
# Makes the capture corpus's files with the project's own tools: for each case
# NAME in tests/data/captures (all, or those named on the command line) the
# simulator plays the memory that NAME.sim describes (its options on one line;
# without it, `--records NAME.records`), zor7700-transfer reads it and keeps
# the raw dump as NAME.log, then converts NAME.log into NAME.kml, NAME.txt and
# NAME.gpx. A conversion that exits with another code than 0 writes it to
# NAME.exit. Review the new files by eye before committing them.
# Usage: scripts/make-captures.sh [NAME...]   (build the linux preset first)
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/linux
corpus=tests/data/captures
for tool in zor7700-sim zor7700-transfer; do
    [ -x "$build/$tool" ] || { echo "$build/$tool is not built" >&2; exit 1; }
done

work=$(mktemp -d)
sim_pid=""
cleanup() {
    [ -z "$sim_pid" ] || { kill "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true; }
    rm -rf "$work"
}
trap cleanup EXIT
# A private home: the simulator's port link goes there, not into the user's.
export HOME=$work XDG_CONFIG_HOME=$work/config

names=("$@")
if [ ${#names[@]} -eq 0 ]; then
    for case_file in "$corpus"/*.sim "$corpus"/*.records; do
        [ -e "$case_file" ] || continue
        name=$(basename "${case_file%.*}")
        [[ " ${names[*]:-} " == *" $name "* ]] || names+=("$name")
    done
fi

for name in "${names[@]}"; do
    options=(--records "$corpus/$name.records")
    [ -e "$corpus/$name.sim" ] && read -r -a options < "$corpus/$name.sim"
    "$build/zor7700-sim" --fast --no-chatter "${options[@]}" > "$work/sim.out" 2> /dev/null &
    sim_pid=$!
    for _ in $(seq 100); do
        [ -s "$work/sim.out" ] && break
        sleep 0.05
    done
    port=$(sed -n 's/^COM\([0-9]*\) .*/\1/p' "$work/sim.out")
    [ -n "$port" ] || { echo "$name: the simulator did not start" >&2; exit 1; }
    # A quiet module is found only when asked for.
    device=()
    [[ " ${options[*]} " == *" --device locus "* ]] && device=(--device locus)
    "$build/zor7700-transfer" --port "$port" "${device[@]}" --kml "$work/live.kml" \
        --raw "$corpus/$name.log" > /dev/null 2>&1 || true
    kill "$sim_pid"
    wait "$sim_pid" 2>/dev/null || true
    sim_pid=""

    rm -f "$corpus/$name.exit" "$corpus/$name".{kml,txt,gpx}
    for format in kml:kml nmea:txt gpx:gpx; do
        status=0
        "$build/zor7700-transfer" --capture "$corpus/$name.log" "--${format%%:*}" \
            "$corpus/$name.${format##*:}" > /dev/null 2>&1 || status=$?
        [ $status -eq 0 ] || echo "$status" > "$corpus/$name.exit"
    done
    echo "$name: $(ls "$corpus/$name".* | xargs -n1 basename | tr '\n' ' ')"
done
