#!/bin/sh
# Runs the Windows GUI tests on a private X server against vantrel-sim controllers, each listed in
# SERIALCOMM as a user's cable would be: FJ on COM7, EV48-400-C on COM8, Tercel on COM9, and on COM10 an
# FJ controller that never answers one read and refuses every write. VANTREL_TEST_<family>_STATE names
# each simulator's state file as a Windows path.
#   run_sim_gui_test.sh <wine-run.sh> <wine prefix> <vantrel-sim> <test.exe> [arguments...]
set -eu
if [ "${1:-}" != "--on-display" ]; then
    export VANTREL_WINEPREFIX="$2" WINEPREFIX="$2"
    exec xvfb-run -a -s "-screen 0 1400x1000x24" sh "$0" --on-display "$@"
fi
WINE_RUN=$2 PREFIX=$3 SIM=$4 EXE=$5
shift 5
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
for entry in 7:FJ 8:EV48-400-C 9:Tercel "10:FJ --fault silent --fault-on 10 --refuse-writes"; do
    number=${entry%%:*}
    # shellcheck disable=SC2086 # the family and its options split on purpose
    "$SIM" --family ${entry#*:} --link "$PREFIX/dosdevices/com$number" --state "$WORK/$number.txt" \
        > "$WORK/ready$number" &
    SIM_PIDS="$SIM_PIDS $!"
    REG_ADDS="${REG_ADDS}reg add HKLM\\HARDWARE\\DEVICEMAP\\SERIALCOMM /v \\Device\\VantrelSim$number /t REG_SZ /d COM$number /f >nul && "
done
for number in 7 8 9 10; do
    waited=0
    until grep -q '^READY ' "$WORK/ready$number" 2>/dev/null; do
        waited=$((waited + 1))
        if [ $waited -gt 100 ]; then echo "vantrel-sim for COM$number did not start" >&2; exit 1; fi
        sleep 0.1
    done
done

WIN_WORK="Z:$(printf '%s' "$WORK" | tr / '\\')"
export VANTREL_TEST_FJ_PORT=COM7 VANTREL_TEST_EV48400C_PORT=COM8 VANTREL_TEST_TERCEL_PORT=COM9 \
    VANTREL_TEST_FJ_STUBBORN_PORT=COM10 VANTREL_TEST_FJ_STATE="$WIN_WORK\\7.txt" \
    VANTREL_TEST_EV48400C_STATE="$WIN_WORK\\8.txt" VANTREL_TEST_TERCEL_STATE="$WIN_WORK\\9.txt"
status=0
# The SERIALCOMM key lives only as long as the wine server, so the values go in from the session that
# runs the tests.
"$WINE_RUN" cmd /c "$REG_ADDS Z:$(printf '%s' "$EXE" | tr / '\\') $*" || status=$?
# The prefix's desktop must be gone before its X server is.
wineserver -w
exit $status
