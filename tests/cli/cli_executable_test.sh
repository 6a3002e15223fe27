#!/bin/sh
# Runs the real vantrel-cli against vantrel-sim for each family and checks what scripts rely on: the
# exit statuses, results alone on standard output, progress and errors on standard error.
#   cli_executable_test.sh <wine-run.sh or ""> <vantrel-sim> <vantrel-cli> [wine prefix]
# With Wine the simulator's line is COM7 of the prefix, and the Windows build is the one tested.
set -u
WINE_RUN=$1 SIM=$2 CLI=$3
PREFIX=${VANTREL_WINEPREFIX:-${4:-}}
WORK=$(mktemp -d)
SIM_PID=
FAILURES=0

stop_sim() {
    [ -n "$SIM_PID" ] && kill "$SIM_PID" 2>/dev/null && wait "$SIM_PID" 2>/dev/null
    SIM_PID=
}
trap 'stop_sim; rm -rf "$WORK"' EXIT INT TERM

if [ -n "$WINE_RUN" ]; then
    # One test at a time on COM7; the lock's descriptor is kept from the simulator and Wine.
    exec 9>"$PREFIX.com7.lock"
    flock 9
    # The prefix must be complete before a COM link appears in it.
    "$WINE_RUN" cmd /c exit 0 >/dev/null 2>&1 9>&-
    LINK=$PREFIX/dosdevices/com7 PORT=COM7
else
    LINK=$WORK/sim-port PORT=$WORK/sim-port
fi

cli() {  # cli <args...>: status in $STATUS, streams in $WORK/out and $WORK/err, without CRs
    if [ -n "$WINE_RUN" ]; then
        "$WINE_RUN" "$CLI" "$@" >"$WORK/out.raw" 2>"$WORK/err.raw" 9>&-
    else
        "$CLI" "$@" >"$WORK/out.raw" 2>"$WORK/err.raw"
    fi
    STATUS=$?
    tr -d '\r' <"$WORK/out.raw" >"$WORK/out"
    # Wine's own complaints are not the program's output.
    tr -d '\r' <"$WORK/err.raw" | grep -v -e '^[0-9a-f]*:fixme:' -e '^[0-9a-f]*:err:' >"$WORK/err"
}

fail() {
    printf 'FAILED: %s\n--- stdout\n%s\n--- stderr\n%s\n' "$*" "$(cat "$WORK/out")" "$(cat "$WORK/err")"
    FAILURES=$((FAILURES + 1))
}

expect_status() {  # expect_status <status> <what>
    [ "$STATUS" -eq "$1" ] || fail "$2: status $STATUS, expected $1"
}

# family, a key, a value past its maximum, a value it takes
for row in "FJ 0D:1F 6001 5000" "EV48-400-C BKD_MaxSpeed 5001 1800" "Tercel 2878 10001 6000"; do
    set -- $row
    FAMILY=$1 KEY=$2 TOO_HIGH=$3 GOOD=$4
    echo "== $FAMILY"
    rm -f "$WORK/ready" "$WORK/state.txt"
    "$SIM" --family "$FAMILY" --link "$LINK" --state "$WORK/state.txt" >"$WORK/ready" 9>&- &
    SIM_PID=$!
    waited=0
    until grep -q '^READY ' "$WORK/ready" 2>/dev/null; do
        waited=$((waited + 1))
        if [ $waited -gt 100 ]; then echo "vantrel-sim did not start"; exit 1; fi
        sleep 0.1
    done

    cli probe --port "$PORT"
    expect_status 0 "$FAMILY probe"
    [ "$(cat "$WORK/out")" = "$FAMILY" ] || fail "$FAMILY probe: standard output is not just the family"
    grep -q "^Detected Controller: $FAMILY\$" "$WORK/err" || fail "$FAMILY probe: no status line"

    before=$(cat "$WORK/state.txt")
    cli set --port "$PORT" --family "$FAMILY" "$KEY=$TOO_HIGH" --write
    expect_status 3 "$FAMILY set out of range"
    [ -s "$WORK/out" ] && fail "$FAMILY set out of range: something on standard output"
    tail -n 1 "$WORK/err" | grep -q "^vantrel-cli: $KEY=$TOO_HIGH refused" || fail "$FAMILY set out of range: no error line"
    [ "$(cat "$WORK/state.txt")" = "$before" ] || fail "$FAMILY set out of range: something was written"

    cli set --port "$PORT" --family "$FAMILY" "$KEY=$GOOD" --write
    expect_status 0 "$FAMILY set --write"
    grep -q "$GOOD" "$WORK/out" || fail "$FAMILY set --write: the value read back is not shown"
    [ "$(cat "$WORK/state.txt")" != "$before" ] || fail "$FAMILY set --write: nothing reached the controller"
    stop_sim
done

cli read --port "$PORT"
expect_status 2 "no controller behind the port"
[ "$(grep -c '^vantrel-cli: ' "$WORK/err")" -eq 1 ] || fail "no controller: not one error line"
[ -s "$WORK/out" ] && fail "no controller: something on standard output"

[ $FAILURES -eq 0 ] || { echo "$FAILURES check(s) failed"; exit 1; }
echo "all checks passed"
