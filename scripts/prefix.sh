#!/bin/bash
# Creates (once) the Wine prefix given as $1, set to Wine's null display
# driver so tests need no X server, and leaves a wineserver running for a
# while so that every test program starts fast.
set -e
. "$(dirname "$0")/wine-loader.sh"
export WINEPREFIX="$1"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/.kx-ready" ]; then
    echo "prefix: creating $WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    "$KX_WINE" wineboot -i >/dev/null 2>&1 || true
    "$KX_WINE" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.kx-ready"
fi
wineserver -p 60 </dev/null >/dev/null 2>&1 || true
