#!/usr/bin/env bash
# Builds the wizard and starts it with a simulated ZOR 7700 attached, so a
# whole transfer works on a fresh machine without a device. The try-out keeps
# its own settings folder (build/linux/try-out-config, as XDG_CONFIG_HOME),
# so the user's own settings and port links stay untouched: there the
# simulator registers itself as a user-defined COM port (ZOR/ports/comN) and
# is the remembered port, so Enter, Enter goes straight to the connection.
# The simulator stops when the wizard ends.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset linux >/dev/null
cmake --build --preset linux -j2 --target zor7700track zor7700-sim

build=build/linux
user_config=${XDG_CONFIG_HOME:-$HOME/.config}
export XDG_CONFIG_HOME="$PWD/$build/try-out-config"
settings=$XDG_CONFIG_HOME/ZOR/ZOR7700Track.conf
mkdir -p "$XDG_CONFIG_HOME/ZOR"
# The save dialog opens in the user's documents folder, as it would.
if [ -f "$user_config/user-dirs.dirs" ]; then
    cp "$user_config/user-dirs.dirs" "$XDG_CONFIG_HOME/"
fi

# Makes COM<number> the remembered port: ComPort in the [General] section
# (lines above the first section belong to it), the other settings of earlier
# try-outs kept. Replaced whole, as the wizard replaces it.
remember_port() {
    local number=$1 next
    touch "$settings"
    next=$(mktemp "$settings.XXXXXX")
    awk -v port="$number" '
        BEGIN { general = 1 }
        /^\[/ { general = ($0 == "[General]") }
        general && /^ComPort[ \t]*=/ { next }
        { print }
        $0 == "[General]" && !done { print "ComPort=" port; done = 1 }
        END { if (!done) { print "[General]"; print "ComPort=" port } }
    ' "$settings" > "$next"
    mv "$next" "$settings"
}

sim_out=$(mktemp)
"$build/zor7700-sim" >"$sim_out" &
sim_pid=$!
stop_simulator() {
    kill "$sim_pid" 2>/dev/null || true
    wait "$sim_pid" 2>/dev/null || true
    rm -f "$sim_out"
}
trap stop_simulator EXIT

# The simulator prints "COMn /dev/pts/m" once its port is registered.
for _ in $(seq 100); do
    grep -q '^COM' "$sim_out" && break
    kill -0 "$sim_pid" 2>/dev/null || { echo "The simulator did not start." >&2; exit 1; }
    sleep 0.1
done
port=$(cut -d' ' -f1 "$sim_out")
remember_port "${port#COM}"
echo "Simulated ZOR 7700 on $port, the remembered port: Enter, Enter connects to it."
echo "This try-out's settings: $settings"

"$build/zor7700track"
