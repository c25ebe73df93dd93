#!/usr/bin/env bash
# Sourced by the end-to-end scripts that run a Windows build under wine64
# against the native zor7700-sim: the checks that decide whether the test can
# run at all (exit 77, a skip), a private home with clean-up, and a simulator
# whose pseudo-terminal the Wine prefix maps to a COM port.
# Needs: $simulator, and WINEPREFIX set by the caller; $port, the first
# case's COM number.

# shellcheck source=wine_env.sh
. "$(dirname "${BASH_SOURCE[0]}")/wine_env.sh"

# Skips the test unless every named program has been built.
require_built() {
    for needed in "$@"; do
        if [ ! -x "$needed" ]; then
            echo "no native $needed: build the linux preset first"
            exit 77
        fi
    done
}

require_wine_prefix() {
    if [ ! -d "$WINEPREFIX/dosdevices" ]; then
        echo "no Wine prefix at $WINEPREFIX: run wineboot -i first"
        exit 77
    fi
}

# A work folder that goes away on exit, and a private home so the simulator's
# own port link lands there; Wine keeps its prefix.
open_private_home() {
    work=$(mktemp -d)
    sim_pid=
    trap 'stop_simulator; rm -rf "$work"' EXIT
    export HOME=$work/home XDG_CONFIG_HOME=$work/config
    mkdir -p "$HOME" "$XDG_CONFIG_HOME"
}

# start_simulator PORT OUTPUT [options...]: runs the simulator on COM<PORT>
# mapped into the prefix; false when the mapping did not appear.
start_simulator() {
    local port=$1 output=$2
    shift 2
    "$simulator" --port "$port" --wine "$@" >"$output" 2>&1 &
    sim_pid=$!
    local link="$WINEPREFIX/dosdevices/com$port"
    for _ in $(seq 100); do [ -e "$link" ] && return 0; sleep 0.05; done
    [ -e "$link" ]
}

# A stopped simulator is continued, so that it can take the TERM.
stop_simulator() {
    [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && kill -CONT "$sim_pid" 2>/dev/null &&
        wait "$sim_pid" 2>/dev/null
    sim_pid=
}

# Each case runs against a simulator of its own on the next COM port; the
# script ends with $failed, which any failed case sets.
failed=0

# fail_case LABEL WHY [FILE]: reports the case as failed, WHY (if any) and
# then FILE telling what happened.
fail_case() {
    echo "FAILED $1${2:+: $2}"
    [ -z "${3:-}" ] || cat "$3"
    failed=1
}

# Stops the case's simulator and moves on to the next case's port.
end_case() {
    stop_simulator
    port=$((port + 1))
}

# The Wine name of a Linux path.
windows_path() { echo "Z:${1//\//\\}"; }
