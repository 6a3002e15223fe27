#!/bin/sh
# The demo as a new user runs it, on a private X server: Vantrel.exe against a simulated FJ controller,
# agreement and Connect clicked, then the connected tuning page must be on screen: its section
# headings are drawn in their own colour.
#   demo_test.sh <Windows build folder> <vantrel-sim> <wine prefix>
set -eu
ROOT=$(cd "$(dirname "$0")/../../.." && pwd)
SHOT=$(mktemp --suffix=.png)
trap 'rm -f "$SHOT"' EXIT
export VANTREL_WINEPREFIX="$3"
xvfb-run -a -s "-screen 0 1400x1000x24" "$ROOT/tools/demo.sh" "$1" "$2" FJ --screenshot "$SHOT"
if convert "$SHOT" -format %c histogram:info:- | grep -qi '#99C9F3'; then
    echo "the tuning page is shown after connecting"
else
    echo "no tuning page in the demo's screenshot" >&2
    exit 1
fi
