#!/bin/sh
# Runs serial_com_tests under Wine against a pseudo-terminal mapped as COM5 in the test prefix, with
# pty_far_end.py answering on the other side.
#   wine_com_test.sh <wine-run.sh> <wine prefix> <serial_com_tests.exe>
set -eu
WINE_RUN=$1
PREFIX=${VANTREL_WINEPREFIX:-$2}
EXE=$3
WORK=$(mktemp -d)
FAR_END_PID=

cleanup() {
    set +e
    [ -n "$FAR_END_PID" ] && kill "$FAR_END_PID" 2>/dev/null
    case $(readlink "$PREFIX/dosdevices/com5" 2>/dev/null) in
        /dev/pts/*) rm -f "$PREFIX/dosdevices/com5" ;;
    esac
    rm -rf "$WORK"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

python3 "$(dirname "$0")/pty_far_end.py" "$WORK/far-end" &
FAR_END_PID=$!
waited=0
until [ -f "$WORK/far-end" ]; do
    waited=$((waited + 1))
    [ $waited -le 100 ] || { echo "the far end did not start" >&2; exit 1; }
    sleep 0.1
done

# A prefix must exist before links go into it: wine takes a folder it finds for a finished prefix.
[ -f "$PREFIX/system.reg" ] || "$WINE_RUN" cmd /c exit 0 >/dev/null 2>&1 || true
ln -sfn "$(cat "$WORK/far-end")" "$PREFIX/dosdevices/com5"

# The SERIALCOMM key is volatile (it lives as long as the wine server), so the value goes in from the
# same Wine session that runs the tests.
WIN_EXE="Z:$(printf '%s' "$EXE" | tr / '\\')"
export VANTREL_TEST_COM_PORT=COM5 VANTREL_TEST_COM_NAME="Serial4 (COM5)"
"$WINE_RUN" cmd /c "reg add HKLM\\HARDWARE\\DEVICEMAP\\SERIALCOMM /v \\Device\\Serial4 /t REG_SZ /d COM5 /f >nul && $WIN_EXE --gtest_brief=0"
