#!/bin/bash
# A blind player's whole game of the real program, under an X server, a session bus and
# the accessibility bus of its own: a screen reader's client (screen_reader_play.py)
# presses Start, chooses pieces and directions through their accessible actions alone,
# and reads back what the program announces, the scores and the result from the
# accessibility tree. The first move runs at its real pace while every question to the
# program is timed; the rest runs with the program's pauses skipped. At the end Return
# presses OK, which holds the keyboard focus, and the user closes the title window.
# Skips (77) when no X server can be started or the accessibility packages are missing.
#
# Usage: screen_reader_test.sh ZAM WM_CLOSE PRELOAD

ZAM=$1
WM_CLOSE=$2
PRELOAD=$3
. "$(dirname "$0")/x_session.sh"

# Debian's own Python, which has pyatspi; another python3 on the PATH may not.
PYTHON=/usr/bin/python3
LAUNCHER=/usr/libexec/at-spi-bus-launcher
missing=""
command -v dbus-daemon >/dev/null || missing="$missing dbus-daemon"
[ -x "$LAUNCHER" ] || missing="$missing at-spi2-core"
"$PYTHON" -c 'import pyatspi' 2>/dev/null || missing="$missing python3-pyatspi"
if [ -n "$missing" ]; then
    echo "SKIP: the accessibility packages are missing:$missing (scripts/install-deps.sh installs them)"
    exit 77
fi

start_x

BUS_PID=""
LAUNCHER_PID=""
stop_buses() {
    [ -n "$LAUNCHER_PID" ] && kill "$LAUNCHER_PID" 2>/dev/null && wait "$LAUNCHER_PID" 2>/dev/null
    [ -n "$BUS_PID" ] && kill "$BUS_PID" 2>/dev/null
    LAUNCHER_PID=""
    BUS_PID=""
}
trap 'stop_buses; cleanup' EXIT

# A session bus of its own, and on it the accessibility bus with its registry.
bus=$(dbus-daemon --session --fork --print-address=1 --print-pid=1) || fail "no session bus could be started"
export DBUS_SESSION_BUS_ADDRESS=$(echo "$bus" | sed -n 1p)
BUS_PID=$(echo "$bus" | sed -n 2p)
"$LAUNCHER" --launch-immediately >"$WORK/launcher.log" 2>&1 &
LAUNCHER_PID=$!
for _ in $(seq 100); do
    dbus-send --session --dest=org.a11y.Bus --print-reply /org/a11y/bus org.a11y.Bus.GetAddress >/dev/null 2>&1 && break
    sleep 0.05
done

start_zam QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 ZAM_FAST_PAUSES_FILE="$WORK/fast"
started=$(now_ms)
"$PYTHON" "$(dirname "$0")/screen_reader_play.py" "$WORK/fast" "$WORK/heard.txt" || {
    echo "--- what was announced:" >&2
    tail -n 20 "$WORK/heard.txt" >&2
    fail "the game could not be played through the screen reader's view"
}
note "a whole game through the accessibility tree in $(( $(now_ms) - started )) ms; the last announcements:"
tail -n 4 "$WORK/heard.txt"

# Return presses OK, which has the keyboard focus; the title comes back, and its close ends the program.
xdotool key Return || fail "xdotool could not press Return"
title=$(wait_window "$TITLE_SIZE" 10) || exit 1
user_close "$title"
expect_clean_exit 15
note "Return pressed OK, and the title's close ended the program"
exit 0
