#!/bin/sh
# Runs a Windows test program under Wine against vantrel-sim, whose pseudo-terminal is mapped as COM7
# in the test prefix. The program finds the port's name in VANTREL_TEST_COM_PORT.
#   wine_sim_test.sh <wine-run.sh> <wine prefix> <vantrel-sim> <family> <test.exe> [sim options...]
set -eu
WINE_RUN=$1
PREFIX=${VANTREL_WINEPREFIX:-$2}
SIM=$3
FAMILY=$4
EXE=$5
shift 5
WORK=$(mktemp -d)
SIM_PID=

cleanup() {
    [ -n "$SIM_PID" ] && kill "$SIM_PID" 2>/dev/null && wait "$SIM_PID" 2>/dev/null
    rm -rf "$WORK"
}
trap cleanup EXIT INT TERM

# One test at a time on the prefix's COM7; the lock's descriptor is kept from the simulator and from
# Wine, whose server may outlive this script.
exec 9>"$PREFIX.com7.lock"
flock 9
# The prefix must be complete before a COM link appears: wineboot setting up a fresh prefix around a
# link to a pseudo-terminal never finishes.
# The test before may have left the prefix's server on its way out, which refuses the first program
# ("Connection reset by peer"): the next try starts a fresh one.
for try in 1 2 3; do
    "$WINE_RUN" cmd /c exit 0 > /dev/null 2>&1 9>&- && break
    [ $try -lt 3 ] || { echo "Wine did not start in $PREFIX" >&2; exit 1; }
    sleep 1
done
"$SIM" --family "$FAMILY" --link "$PREFIX/dosdevices/com7" --state "$WORK/state.txt" "$@" > "$WORK/ready" 9>&- &
SIM_PID=$!
waited=0
until grep -q '^READY ' "$WORK/ready" 2>/dev/null; do
    waited=$((waited + 1))
    [ $waited -le 100 ] || { echo "vantrel-sim did not start" >&2; exit 1; }
    sleep 0.1
done
export VANTREL_TEST_COM_PORT=COM7
"$WINE_RUN" "$EXE" --gtest_brief=0 9>&-
