#!/usr/bin/env bash
# Creates or removes the private Wine prefix of the wizard's end-to-end tests.
# Windows are left unmanaged: without a window manager Wine would otherwise
# wait on every new window for one to answer.
# The annotation service is the tests' stand-in (acc_prop_recorder.dll),
# which keeps the names the wizard sets where the driver reads them back.
# Usage: wine_prefix.sh create <prefix> <stand-in DLL> | remove <prefix>
set -euo pipefail
export WINEPREFIX=$2
# shellcheck source=../support/wine_env.sh
. "$(dirname "$0")/../support/wine_env.sh"
case "$1" in
create)
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1
    fi
    /usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null
    /usr/lib/wine/wine64 reg add \
        'HKLM\Software\Classes\CLSID\{B5F8350B-0548-48B1-A6EE-88BD00B4A5E7}\InprocServer32' \
        /ve /d "$3" /f >/dev/null
    /usr/lib/wine/wineserver -w ;;
remove)
    /usr/lib/wine/wineserver -k 2>/dev/null || true
    rm -rf "$WINEPREFIX" ;;
*) echo "usage: $0 create|remove <prefix>"; exit 2 ;;
esac
