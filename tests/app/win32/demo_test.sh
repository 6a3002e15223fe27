#!/bin/sh
# The demo as a new user runs it, on a private X server: Vantrel.exe against a simulated FJ controller,
# agreement and Connect clicked; the connected tuning page's section headings must be on screen in
# their own colour.   demo_test.sh <Windows build folder> <vantrel-sim> <wine prefix>
set -eu
ROOT=$(cd "$(dirname "$0")/../../.." && pwd)
SHOT=$(mktemp --suffix=.png)
trap 'rm -f "$SHOT"' EXIT
export VANTREL_WINEPREFIX="$3"
xvfb-run -a -s "-screen 0 1400x1000x24" "$ROOT/tools/demo.sh" "$1" "$2" FJ --screenshot "$SHOT"
convert "$SHOT" -format %c histogram:info:- | grep -qi '#99C9F3' ||
    { echo "no tuning page in the demo's screenshot" >&2; exit 1; }
