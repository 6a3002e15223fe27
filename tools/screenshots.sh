#!/usr/bin/env bash
# Saves a PNG screenshot of each of Vantrel.exe's pages (agreement, Communications, Settings, About, and
# with a simulated controller the Faults, RX/TX and tuning pages),
# taken under Wine on a private X server with ImageMagick's import, for the README and for review.
#   tools/screenshots.sh [Windows build folder] [output folder]
# Needs the Windows build (Vantrel.exe and vantrel_gui_driver.exe), Xvfb, xauth and ImageMagick.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)

if [ "${1:-}" = "--on-display" ]; then
    BUILD=$2 OUT=$3 WORK=$4
    WINE_RUN=$BUILD/wine-run.sh
    DRIVER=$BUILD/tools/gui_driver/vantrel_gui_driver.exe
    # There is no window manager on this display: Wine draws the window frames itself.
    "$WINE_RUN" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null
    "$WINE_RUN" "$WORK/Vantrel.exe" &
    read -r left top width height < <("$WINE_RUN" "$DRIVER" wait | tr -d '\r')
    shot() {
        sleep 2
        import -window root -crop "${width}x${height}+${left}+${top}" +repage "$OUT/$1.png"
        echo "   $OUT/$1.png"
    }
    shot screenshot-agreement
    "$WINE_RUN" "$DRIVER" click 1200 && shot screenshot-communications
    "$WINE_RUN" "$DRIVER" nav 1 && shot screenshot-settings
    "$WINE_RUN" "$DRIVER" nav 2 && shot screenshot-about
    "$WINE_RUN" "$DRIVER" close
    wait
    # The faults page of a simulated FJ controller and the raw frame page of a simulated Tercel one. The
    # simulator's port is listed as a CH340 cable, so the connection page picks it by itself; the list
    # entry lives only as long as the wine server, so it goes in from the session that runs the program.
    SIM=$(sed -n 's/^VANTREL_SIM_EXECUTABLE:FILEPATH=//p' "$BUILD/CMakeCache.txt")
    connected() {  # family, settings lines
        printf '[Probe]\n%s\n' "$2" > "$WORK/Vantrel-Settings.ini"
        "$SIM" --family "$1" --link "$WINEPREFIX/dosdevices/com9" > "$WORK/sim-ready" &
        SIM_PID=$!
        until grep -q '^READY ' "$WORK/sim-ready" 2>/dev/null; do sleep 0.1; done
        "$WINE_RUN" cmd /c "reg add HKLM\\HARDWARE\\DEVICEMAP\\SERIALCOMM /v \\Device\\CH340-VantrelSim9 /t REG_SZ /d COM9 /f >nul && Z:$(printf '%s' "$WORK/Vantrel.exe" | tr / '\\')" &
        APP_PID=$!
        "$WINE_RUN" "$DRIVER" wait > /dev/null
        "$WINE_RUN" "$DRIVER" click 1200
        "$WINE_RUN" "$DRIVER" click 1301
    }
    disconnected() {
        "$WINE_RUN" "$DRIVER" close
        wait "$APP_PID" || true
        kill "$SIM_PID" 2>/dev/null && wait "$SIM_PID" 2>/dev/null || true
        rm -f "$WINEPREFIX/dosdevices/com9"
    }
    if [ -x "$SIM" ]; then
        connected FJ $'FJ=true\nEV48-400-C=false\nTercel=false'
        "$WINE_RUN" "$DRIVER" nav 1 && shot screenshot-faults
        disconnected
        connected Tercel $'FJ=false\nEV48-400-C=false\nTercel=true\nRXTX=true'
        "$WINE_RUN" "$DRIVER" nav 2 && "$WINE_RUN" "$DRIVER" click 1501 && "$WINE_RUN" "$DRIVER" click 1503
        shot screenshot-rxtx
        disconnected
        # The tuning page of each family as it opens on connecting.
        connected FJ $'FJ=true\nEV48-400-C=false\nTercel=false' && shot screenshot-tuning-fj
        disconnected
        connected EV48-400-C $'FJ=false\nEV48-400-C=true\nTercel=false' && shot screenshot-tuning-ev48400c
        disconnected
        connected Tercel $'FJ=false\nEV48-400-C=false\nTercel=true' && shot screenshot-tuning-tercel
        disconnected
    else
        echo "no vantrel-sim in $BUILD/CMakeCache.txt: no faults and RX/TX screenshots" >&2
    fi
    wineserver -w
    exit 0
fi

BUILD=$(cd "${1:-$ROOT/build/windows}" && pwd)
OUT=${2:-$ROOT/docs}
mkdir -p "$OUT"
OUT=$(cd "$OUT" && pwd)
for needed in "$BUILD/app/Vantrel.exe" "$BUILD/tools/gui_driver/vantrel_gui_driver.exe" "$BUILD/wine-run.sh"; do
    [ -e "$needed" ] || { echo "missing $needed: build the Windows configuration first" >&2; exit 1; }
done
for tool in xvfb-run import; do
    command -v "$tool" >/dev/null || { echo "missing $tool (Debian packages xvfb, xauth, imagemagick)" >&2; exit 1; }
done
# The program writes its settings and log beside itself: a copy keeps them out of the build.
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
cp "$BUILD/app/Vantrel.exe" "$WORK/"
# A prefix of its own: its desktop lives and dies with the X server of each run, and its windows are
# framed by Wine, which the tests' prefix does not need.
export VANTREL_WINEPREFIX=$BUILD/wineprefix-screenshots WINEPREFIX=$BUILD/wineprefix-screenshots
echo "== Screenshots of Vantrel.exe"
xvfb-run -a -s "-screen 0 1400x1000x24" bash "$0" --on-display "$BUILD" "$OUT" "$WORK"
