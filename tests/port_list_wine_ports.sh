#!/bin/sh
# Maps COM ports through HKLM\Software\Wine\Ports, restarts the Wine server so
# that Wine's mount manager publishes them, and checks that the port list
# shows them with their numbers. Usage: port_list_wine_ports.sh WINE TEST_EXE
set -u
wine=$1
test_exe=$2
server=$(dirname "$wine")/wineserver

map() { "$wine" reg add 'HKLM\Software\Wine\Ports' /v "$1" /d "$2" /f >/dev/null 2>&1; }
unmap() { "$wine" reg delete 'HKLM\Software\Wine\Ports' /v "$1" /f >/dev/null 2>&1; }

names="COM7 COM212 COM255 COM256"
for name in $names; do map "$name" /dev/null; done
"$server" -w
# The mount manager publishes the ports while Wine starts up; wait for the last one.
for _ in $(seq 30); do
    "$wine" reg query 'HKLM\HARDWARE\DEVICEMAP\SERIALCOMM' 2>/dev/null | grep -q 'COM255' && break
    sleep 1
done
output=$(ZOR_WINE_PORTS="7 212 255" ZOR_WINE_PORTS_ABSENT="256" \
    "$wine" "$test_exe" --gtest_filter='PortListWine.*' 2>&1)
status=$?
echo "$output"
# A skipped or missing test proves nothing.
echo "$output" | grep -q 'PASSED  \] 1 test\.' || status=1
for name in $names; do unmap "$name"; done
"$server" -w
exit $status
