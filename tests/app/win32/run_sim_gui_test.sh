#!/bin/sh
# Runs a page's Windows tests on a private X server against three vantrel-sim controllers, FJ on COM7,
# EV48-400-C on COM8 and Tercel on COM9, each listed in SERIALCOMM so that the page finds it as a
# user's cable would be found. The tests read what each simulator stores from its state file, named
# in VANTREL_TEST_<family>_STATE as a Windows path.
#   run_sim_gui_test.sh <wine-run.sh> <wine prefix> <vantrel-sim> <test.exe> [arguments...]
set -eu
if [ "${1:-}" != "--on-display" ]; then
    export VANTREL_WINEPREFIX="$2"
    export WINEPREFIX="$2"
    exec xvfb-run -a -s "-screen 0 1400x1000x24" sh "$0" --on-display "$@"
fi
shift
WINE_RUN=$1
PREFIX=$2
SIM=$3
EXE=$4
shift 4
WORK=$(mktemp -d)
SIM_PIDS=

cleanup() {
    set +e
    for pid in $SIM_PIDS; do kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null; done
    rm -rf "$WORK"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# The prefix must be complete before a COM link appears: wineboot setting up a fresh prefix around a
# link to a pseudo-terminal never finishes.
"$WINE_RUN" cmd /c exit 0 > /dev/null 2>&1
REG_ADDS=
# The Tercel one shows as a CH340 cable, the port the page picks by itself.
for entry in FJ:7:VantrelSim7 EV48-400-C:8:VantrelSim8 Tercel:9:CH340-VantrelSim9; do
    family=${entry%%:*}
    rest=${entry#*:}
    number=${rest%%:*}
    device=${rest#*:}
    "$SIM" --family "$family" --link "$PREFIX/dosdevices/com$number" --state "$WORK/$number.txt" \
        > "$WORK/ready$number" &
    SIM_PIDS="$SIM_PIDS $!"
    REG_ADDS="${REG_ADDS}reg add HKLM\\HARDWARE\\DEVICEMAP\\SERIALCOMM /v \\Device\\$device /t REG_SZ /d COM$number /f >nul && "
done
# COM10: an FJ controller that never answers one read and refuses every write.
"$SIM" --family FJ --link "$PREFIX/dosdevices/com10" --state "$WORK/10.txt" --fault silent --fault-on 10 \
    --refuse-writes > "$WORK/ready10" &
SIM_PIDS="$SIM_PIDS $!"
REG_ADDS="${REG_ADDS}reg add HKLM\\HARDWARE\\DEVICEMAP\\SERIALCOMM /v \\Device\\VantrelSim10 /t REG_SZ /d COM10 /f >nul && "
for number in 7 8 9 10; do
    waited=0
    until grep -q '^READY ' "$WORK/ready$number" 2>/dev/null; do
        waited=$((waited + 1))
        if [ $waited -gt 100 ]; then echo "vantrel-sim for COM$number did not start" >&2; exit 1; fi
        sleep 0.1
    done
done

# The SERIALCOMM key lives only as long as the wine server, so the values go in from the session that
# runs the tests.
export VANTREL_TEST_FJ_PORT=COM7 VANTREL_TEST_EV48400C_PORT=COM8 VANTREL_TEST_TERCEL_PORT=COM9 \
    VANTREL_TEST_FJ_STUBBORN_PORT=COM10
WIN_WORK="Z:$(printf '%s' "$WORK" | tr / '\\')"
export VANTREL_TEST_FJ_STATE="$WIN_WORK\\7.txt" VANTREL_TEST_EV48400C_STATE="$WIN_WORK\\8.txt" \
    VANTREL_TEST_TERCEL_STATE="$WIN_WORK\\9.txt"
WIN_EXE="Z:$(printf '%s' "$EXE" | tr / '\\')"
status=0
"$WINE_RUN" cmd /c "$REG_ADDS$WIN_EXE $*" || status=$?
# The prefix's desktop must be gone before its X server is.
wineserver -w
exit $status
