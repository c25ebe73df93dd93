#!/usr/bin/env bash
# Builds the wizard and starts it with a simulated ZOR 7700 attached, so a
# whole transfer works on a fresh machine without a device. The simulator is
# registered as a user-defined COM port (~/.config/ZOR/ports/comN) and listed
# on the port page as that number; it stops when the wizard ends.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset linux >/dev/null
cmake --build --preset linux -j2 --target zor7700track zor7700-sim

build=build/linux
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
echo "Simulated ZOR 7700 on $port: choose \"$port\" on the port page."

"$build/zor7700track"
