# Shared by the tests that run the real program under an X server of their own.
# Sourced by bash; the caller sets ZAM, WM_CLOSE and PRELOAD (paths) first.
#
# Every helper fails the test with a message (exit 1); a test that cannot start an
# X server skips (exit 77) and says why.

set -u

WORK=$(mktemp -d "${TMPDIR:-/tmp}/zam-x.XXXXXX")
XVFB_PID=""
ZAM_PID=""
TRACE="$WORK/trace"
ZAM_LOG="$WORK/zam.log"

cleanup() {
    trap - INT TERM
    if [ -n "$ZAM_PID" ] && kill -0 "$ZAM_PID" 2>/dev/null; then
        kill -KILL "$ZAM_PID" 2>/dev/null
        wait "$ZAM_PID" 2>/dev/null
    fi
    if [ -n "$XVFB_PID" ]; then
        kill "$XVFB_PID" 2>/dev/null
        wait "$XVFB_PID" 2>/dev/null
    fi
    rm -rf "$WORK"
}
trap cleanup EXIT
# The tests run under timeout(1), whose SIGTERM ends them here with the program and the X
# server, before ctest's own limit would kill the script and leave them behind.
trap 'echo "FAIL: interrupted or out of time" >&2; exit 1' INT TERM

fail() {
    echo "FAIL: $*" >&2
    if [ -s "$ZAM_LOG" ]; then
        echo "--- the program's output:" >&2
        tail -n 60 "$ZAM_LOG" >&2
    fi
    if [ -n "${KEEP_TRACE:-}" ]; then
        cp "$TRACE" "$KEEP_TRACE" 2>/dev/null
    fi
    [ -s "$WORK/xvfb.log" ] && { echo "--- Xvfb's output:" >&2; tail -n 10 "$WORK/xvfb.log" >&2; }
    exit 1
}

note() { echo "$*"; }

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }

# Starts Xvfb on a display of its own and points DISPLAY at it. The number is drawn from
# this script's process id, so that tests running side by side seldom try the same one,
# among those with neither a lock nor a socket; the server counts only once it answers
# and its lock file names it: a stale socket, or a server started by someone else for the
# same number a moment earlier, must never be taken for ours. XVFB_SCREEN (WxHxDEPTH) sets
# its screen.
start_x() {
    command -v Xvfb >/dev/null || { echo "SKIP: Xvfb is not installed, so no X server can be started"; exit 77; }
    for tool in xdotool xwininfo xdpyinfo import convert; do
        command -v "$tool" >/dev/null || fail "$tool is not installed (scripts/install-deps.sh installs it)"
    done
    local attempt number waited
    for attempt in 0 1 2 3 4 5 6 7; do
        number=$(( 200 + ($$ * 7 + attempt * 101 + RANDOM % 7) % 700 ))
        [ -e "/tmp/.X$number-lock" ] || [ -e "/tmp/.X11-unix/X$number" ] && continue
        # -noreset: a server that resets when its last client leaves (our first look at it)
        # refuses the program's connection for a moment.
        Xvfb ":$number" -screen 0 "${XVFB_SCREEN:-1280x1024x24}" -nolisten tcp -noreset >"$WORK/xvfb.log" 2>&1 &
        XVFB_PID=$!
        waited=0
        while kill -0 "$XVFB_PID" 2>/dev/null && [ $waited -lt 100 ]; do
            if [ "$(cat "/tmp/.X$number-lock" 2>/dev/null | tr -d ' \n')" = "$XVFB_PID" ] &&
               xdpyinfo -display ":$number" >/dev/null 2>&1; then
                export DISPLAY=":$number"
                mkdir -p "$WORK/runtime"
                chmod 700 "$WORK/runtime"
                export XDG_RUNTIME_DIR="$WORK/runtime"
                return 0
            fi
            sleep 0.1
            waited=$((waited + 1))
        done
        kill "$XVFB_PID" 2>/dev/null
        wait "$XVFB_PID" 2>/dev/null
        XVFB_PID=""
    done
    echo "SKIP: no X server could be started: $(tail -n 3 "$WORK/xvfb.log" 2>/dev/null | tr '\n' ' ')"
    exit 77
}

# The preload that traces the mixer; a sanitizer build needs its runtime loaded first.
preload_list() {
    local asan
    asan=$(ldd "$ZAM" | awk '/libasan/ { print $3 }')
    if [ -n "$asan" ]; then
        echo "$asan $PRELOAD"
    else
        echo "$PRELOAD"
    fi
}

# Starts the program in the background with the given extra environment (NAME=VALUE ...).
# It plays on SDL's disk driver (sound rendered to a file) unless AUDIO_DRIVER says
# otherwise; AUDIO_DRIVER=unset leaves SDL to look for a sound card itself.
AUDIO_DRIVER=disk
start_zam() {
    : > "$TRACE"
    local driver="SDL_AUDIODRIVER=$AUDIO_DRIVER"
    [ "$AUDIO_DRIVER" = unset ] && driver="-u SDL_AUDIODRIVER"
    # The program opens on this test's Xvfb whatever desktop the test is run from: the xcb
    # platform, our DISPLAY, and no Wayland compositor to prefer.
    # shellcheck disable=SC2086
    env -u WAYLAND_DISPLAY $driver QT_QPA_PLATFORM=xcb DISPLAY="$DISPLAY" ZAM_MIXER_TRACE="$TRACE" LD_PRELOAD="$(preload_list)" \
        SDL_DISKAUDIOFILE="$WORK/sound.raw" "$@" "$ZAM" >"$ZAM_LOG" 2>&1 &
    ZAM_PID=$!
}

# Prints the id of the program's visible window of the given client size, waiting up to
# the given seconds for it. The title and the game window share their caption; the size tells them apart.
wait_window() {
    local size=$1 seconds=$2 deadline id
    deadline=$(( $(now_ms) + seconds * 1000 ))
    while [ "$(now_ms)" -lt "$deadline" ]; do
        kill -0 "$ZAM_PID" 2>/dev/null || fail "the program ended while a ${size} window was awaited"
        for id in $(xdotool search --onlyvisible --pid "$ZAM_PID" 2>/dev/null); do
            if [ "$(xwininfo -id "$id" 2>/dev/null | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }')" = "$size" ]; then
                echo "$id"
                return 0
            fi
        done
        sleep 0.05
    done
    fail "no ${size} window of the program within ${seconds} s"
}

# Whether a window of the program with this size is still shown.
window_shown() {
    local id
    for id in $(xdotool search --onlyvisible --pid "$ZAM_PID" 2>/dev/null); do
        [ "$(xwininfo -id "$id" 2>/dev/null | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }')" = "$1" ] && return 0
    done
    return 1
}

DEMO_SIZE=251x92
TITLE_SIZE=282x88
GAME_SIZE=611x401

# A click at pixel (x, y) of a window's client area.
click() { xdotool mousemove --window "$1" "$2" "$3" mousedown 1 mouseup 1 || fail "xdotool could not click"; }

# Twips to pixels, as the program rounds them.
px() { echo $(( ($1 * 2 + 15) / 30 )); }

# The user closes a window: the window manager's WM_DELETE_WINDOW message.
user_close() {
    echo "$(now_ms) user-close" >> "$TRACE"
    "$WM_CLOSE" "$1" || fail "wm_close failed on window $1"
}

# Waits for the program to end by itself within the given seconds and checks that it
# ended well: exit status 0, no sanitizer report, the audio device closed if it was opened.
expect_clean_exit() {
    local seconds=$1 deadline status
    deadline=$(( $(now_ms) + seconds * 1000 ))
    while kill -0 "$ZAM_PID" 2>/dev/null; do
        [ "$(now_ms)" -lt "$deadline" ] || fail "the program still runs ${seconds} s after the close"
        sleep 0.05
    done
    wait "$ZAM_PID"
    status=$?
    ZAM_PID=""
    expect_no_sanitizer_report
    [ "$status" -eq 0 ] || fail "exit status $status instead of 0"
    expect_no_process_left
    if grep -q ' play ' "$TRACE"; then
        # The music was started at some point: it must have been halted and the device closed at the end
        # (it may have closed by itself, a second after the last sound, before the user's close).
        grep -v ' user-close$' "$TRACE" | tail -n 1 | grep -q ' close$' || fail "the audio device was not closed at the end: $(tail -n 3 "$TRACE" | tr '\n' ';')"
        awk '/ play /{ p = NR } / halt$/{ h = NR } END { exit !(h > p) }' "$TRACE" ||
            fail "the music was not stopped after it last started"
    fi
}

# No process started with this test's environment is left: the program and anything it started are gone.
expect_no_process_left() {
    local left
    left=$(grep -l -a -F "ZAM_MIXER_TRACE=$TRACE" /proc/[0-9]*/environ 2>/dev/null)
    [ -z "$left" ] || fail "processes left behind: $left"
}

expect_no_sanitizer_report() {
    if grep -E -q 'ERROR: (Address|Leak)Sanitizer|runtime error:|SUMMARY: (Address|Leak|UndefinedBehavior)Sanitizer' "$ZAM_LOG"; then
        fail "a sanitizer report"
    fi
}

# The number of the game's own pauses so far (each step of a move's value display is one).
pauses() { grep -c ' pause$' "$TRACE"; }

# Pauses of the program after the user's close request reached the trace.
pauses_after_close() { awk '/ user-close$/{ seen = 1; n = 0; next } seen && / pause$/{ n++ } END { print n + 0 }' "$TRACE"; }

# A screenshot of a window, and the colour of one of its pixels ("srgb(r,g,b)").
shot() { import -window "$1" "$2" 2>/dev/null || fail "no screenshot of window $1"; }
pixel() { convert "$1" -format "%[pixel:p{$2,$3}]" info: 2>/dev/null; }

# How many pixels of a box of the picture carry one of the player's piece greens.
green_pixels() {
    convert "$1" -crop "$2x$3+$4+$5" +repage -format %c histogram:info:- 2>/dev/null |
        awk 'tolower($0) ~ /#(2fa838|1f7a26|b8f8b0|58d060)/ { n += $1 } END { print n + 0 }'
}
