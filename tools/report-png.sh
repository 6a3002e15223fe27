#!/usr/bin/env bash
# A service report (vantrel-cli report --out FILE.html) rendered to a PNG the size of an A4 page at
# 150 dpi, by a headless browser: Debian's chromium, installed with apt when it is missing.
#   tools/report-png.sh <report.html> [out.png]
set -euo pipefail
if [ $# -lt 1 ] || [ $# -gt 2 ]; then
    echo "usage: $0 <report.html> [out.png]" >&2
    exit 1
fi
REPORT=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
OUT=${2:-${1%.html}.png}
[ -f "$REPORT" ] || { echo "$0: no such file: $1" >&2; exit 1; }

if ! command -v chromium >/dev/null 2>&1; then
    SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO=sudo
    # Standard output carries only the picture's name.
    $SUDO apt-get update >&2
    $SUDO apt-get install -y --no-install-recommends chromium >&2
fi

# The browser writes its profile under HOME; a throw-away one keeps the user's untouched.
PROFILE=$(mktemp -d)
trap 'rm -rf "$PROFILE"' EXIT
chromium --headless --no-sandbox --disable-gpu --user-data-dir="$PROFILE" --hide-scrollbars \
    --screenshot="$OUT" --window-size=1240,1754 "file://$REPORT" 2>/dev/null
echo "$OUT"
