#!/bin/bash
# Builds Kalvex32 and shows it at work under Wine.
#
# With a display (DISPLAY set) it opens Kalvex32 there.  Without one it runs
# Kalvex32 on a virtual X display against our own Daytime and Time servers on
# a loopback address, with a Time probe that starts by itself, saves a
# screenshot of the dialog showing the received time, prints where, and ends.
#
# Nothing here talks to a host outside this machine, and the clock stays as
# it is: the local server tells the computer's own time in the computer's own
# zone, so the time Kalvex32 sets is the time it already is (Wine refuses to
# step the host clock in any case).
#
# KX_BUILD picks the build folder (as for test.sh), KX_DEMO_ADDR the
# servers' loopback address, KX_DPI the screen's dots per inch (96 is 100 %,
# 144 is 150 %, 192 is 200 %), KX_XDISPLAY the number of the virtual display.
set -e -o pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh
kx_setup
BUILD=$(kx_build_folder)
# The shipped program is the 32-bit one; where this machine cannot run
# 32-bit code, the 64-bit build shows the same.
ARCH=$KX_SHOWN_ARCH
ADDR=${KX_DEMO_ADDR:-127.0.0.250}
DPI=${KX_DPI:-96}
kx_configure "$BUILD" "$ARCH"
kx_build "$BUILD/$ARCH" Kalvex32 kxserve kxdrive
BIN=$BUILD/$ARCH
RUN=$BUILD/run
mkdir -p "$RUN"

# The tests' prefix keeps Wine's null display driver; the program is shown
# from a prefix of its own that has the X11 one (made once the display is up).
WINEPREFIX=$BUILD/wineprefix-x11
INI=$WINEPREFIX/drive_c/windows/KALVEX.INI

pids=()     # what we started, ended in reverse order; the X server last
xpid=
cleanup() {
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        kill "${pids[i]}" 2>/dev/null || true
    done
    if [ -n "$xpid" ]; then
        wineserver -k 2>/dev/null || true
        kill "$xpid" 2>/dev/null || true
    fi
    wait 2>/dev/null || true
    if [ -f "$INI.kx-saved" ]; then mv -f "$INI.kx-saved" "$INI"; fi
}
trap cleanup EXIT

if [ -z "$DISPLAY" ]; then
    n=$KX_XDISPLAY
    [ -n "$n" ] || for n in $(seq 99 -1 20); do
        [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || break
    done
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    xpid=$!
    export DISPLAY=:$n
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.2; done
    HEADLESS=1
fi

kx_prefix "$WINEPREFIX" x11
# With no window manager on the virtual display, Wine draws the windows'
# frames and captions itself; on a real desktop the window manager does.
if [ -n "$HEADLESS" ]; then
    "$KX_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
else
    "$KX_WINE" reg delete 'HKCU\Software\Wine\X11 Driver' /v Managed /f >/dev/null 2>&1 || true
fi

# Wine takes the screen's DPI from here when a program starts.
"$KX_WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$DPI" /f >/dev/null 2>&1

# The servers, for as long as the program runs (and never longer than an hour).
serving=0
kx_serve "$BIN" "$ADDR" "$RUN/kxserve.log" -t 3600 || serving=$?
pids+=("$KX_SERVE_PID")
if [ "$serving" != 0 ]; then
    echo "run: the local servers did not start on $ADDR" >&2
    exit 1
fi

# Settings that probe the local Time server at once and keep the window in
# view (it would minimize itself after two probes).  The zone is the
# computer's own: "GMT0" where that is plain UTC, otherwise empty, which
# takes the system's zone.
demo_settings() {
    local tz=""
    if [ "$(date -d 2024-01-15 +%z)" = "+0000" ] && [ "$(date -d 2024-07-15 +%z)" = "+0000" ]; then
        tz=GMT0
    fi
    printf '[Default]\r\nHost=%s\r\nHostList=%s;\r\nInterval=60\r\nTZ=%s\r\nService=Time\r\nAutostart=1\r\nGoMin=50\r\nAlarm=0\r\n' \
        "$ADDR" "$ADDR" "$tz" >"$INI"
}

if [ -z "$HEADLESS" ]; then
    # A user's own settings stay; the first run gets the local servers.
    [ -f "$INI" ] || demo_settings
    echo "run: Kalvex32 on $DISPLAY; Daytime and Time served on $ADDR until it ends"
    (cd "$RUN" && "$KX_WINE" "$BIN/Kalvex32.exe")
    exit 0
fi

[ -f "$INI" ] && mv -f "$INI" "$INI.kx-saved"
demo_settings
(cd "$RUN" && exec "$KX_WINE" "$BIN/Kalvex32.exe") &
pids+=($!)
if ! out=$("$KX_WINE" "$BIN/kxdrive.exe" wait "Time from " 60 | tr -d '\r'); then
    echo "run: Kalvex32 showed no time from $ADDR" >&2
    exit 1
fi
echo "$out" | head -n 1
read -r x y w h < <(echo "$out" | tail -n 1)
SHOT=$RUN/kalvex32-time.png
[ "$DPI" = 96 ] || SHOT=$RUN/kalvex32-time-${DPI}dpi.png
sleep 1     # the result is shown; let the rest of the window finish painting
import -display "$DISPLAY" -window root -crop "${w}x${h}+${x}+${y}" +repage "$SHOT"
"$KX_WINE" "$BIN/kxdrive.exe" exit 20 || true
echo "$SHOT"
