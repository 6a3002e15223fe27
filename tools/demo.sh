#!/usr/bin/env bash
# Vantrel.exe under Wine with a simulated controller behind COM7, listed as a CH340 cable so that it is
# the port selected on the Communications page: one click on Connect reaches it. The simulator stops
# when the program exits.
#   tools/demo.sh <Windows build folder> <vantrel-sim> <family> [--screenshot FILE]
# With --screenshot the agreement and Connect are clicked for you, the connected page is saved as a
# PNG (ImageMagick's import) and the program is closed: the demo's own check, on any X display.
set -euo pipefail
BUILD=$(cd "$1" && pwd) SIM=$2 FAMILY=$3
SHOT=""
[ "${4:-}" = "--screenshot" ] && SHOT=$5
WINE_RUN=$BUILD/wine-run.sh
export VANTREL_WINEPREFIX=${VANTREL_WINEPREFIX:-$BUILD/wineprefix-demo}
export WINEPREFIX=$VANTREL_WINEPREFIX
WORK=$(mktemp -d)
SIM_PID=""
cleanup() {
    [ -n "$SIM_PID" ] && kill "$SIM_PID" 2>/dev/null
    rm -rf "$WORK"
}
trap cleanup EXIT

# The prefix must be complete before a COM link goes into it.
"$WINE_RUN" cmd /c exit 0 >/dev/null 2>&1
"$SIM" --family "$FAMILY" --link "$WINEPREFIX/dosdevices/com7" --state "$WORK/state.txt" >"$WORK/ready" &
SIM_PID=$!
for _ in $(seq 100); do
    grep -q '^READY ' "$WORK/ready" 2>/dev/null && break
    sleep 0.1
done
grep -q '^READY ' "$WORK/ready" || { echo "vantrel-sim did not start" >&2; exit 1; }
# The program keeps its settings and log beside itself: a copy keeps them out of the build.
cp "$BUILD/app/Vantrel.exe" "$WORK/"
WIN_EXE="Z:$(printf '%s' "$WORK/Vantrel.exe" | tr / '\\')"
# The SERIALCOMM key lives only as long as the wine server: the value goes in from the same session.
REG_ADD='reg add HKLM\HARDWARE\DEVICEMAP\SERIALCOMM /v \Device\CH340-VantrelSim /t REG_SZ /d COM7 /f >nul'

if [ -z "$SHOT" ]; then
    echo "== Vantrel.exe under Wine, a simulated $FAMILY controller on COM7: press I Agree, then Connect"
    "$WINE_RUN" cmd /c "$REG_ADD && start /wait $WIN_EXE"
    exit 0
fi

DRIVER=$BUILD/tools/gui_driver/vantrel_gui_driver.exe
"$WINE_RUN" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null
"$WINE_RUN" cmd /c "$REG_ADD && $WIN_EXE" &
APP_PID=$!
read -r left top width height < <("$WINE_RUN" "$DRIVER" wait | tr -d '\r')
"$WINE_RUN" "$DRIVER" click 1200
"$WINE_RUN" "$DRIVER" click 1301
# The connection page pauses on purpose so that a person can read each status line; the tuning page
# is there once its section headings are drawn in their colour.
for _ in $(seq 30); do
    sleep 1
    import -window root -crop "${width}x${height}+${left}+${top}" +repage "$SHOT"
    convert "$SHOT" -format %c histogram:info:- | grep -qi '#99C9F3' && break
done
"$WINE_RUN" "$DRIVER" close
wait "$APP_PID" || true
wineserver -w
echo "== $SHOT"
