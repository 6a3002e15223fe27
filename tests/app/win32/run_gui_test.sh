#!/bin/sh
# Runs a Windows program under Wine on a private X server (Xvfb), in the given Wine prefix.
#   run_gui_test.sh <wine-run.sh> <wine prefix> <program.exe> [arguments...]
set -eu
if [ "${1:-}" = "--on-display" ]; then
    shift
    WINE_RUN=$1
    shift
    status=0
    "$WINE_RUN" "$@" || status=$?
    # The prefix's desktop must be gone before its X server is.
    wineserver -w
    exit $status
fi
WINE_RUN=$1
export VANTREL_WINEPREFIX="$2"
export WINEPREFIX="$2"
shift 2
exec xvfb-run -a -s "-screen 0 1400x1000x24" sh "$0" --on-display "$WINE_RUN" "$@"
