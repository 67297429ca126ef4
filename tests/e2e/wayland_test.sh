#!/bin/bash
# The real program on a Wayland desktop: a headless weston with XWayland.
#  1. With Qt's Wayland plugin the program runs natively: Qt picks Wayland by itself from
#     the session type. Its windows are watched through libwayland's own protocol log
#     (WAYLAND_DEBUG): the demo's toplevel, then the title's, at their sizes. A headless
#     weston has no seat, so nothing can ask a native window to close: this run ends with
#     a termination signal.
#  2. Without the plugin (hidden by a qt.conf beside a copy of the program) Qt falls back
#     to X11 through XWayland; there the demo, then the title window appear, and a close
#     of the title (WM_DELETE_WINDOW, forwarded by weston's own X window manager) ends the
#     program with status 0. Named by QT_QPA_PLATFORM=wayland, it falls back to X the same
#     way; with no X display beside the compositor, it says so in one line, status 1.
#
# Usage: wayland_test.sh ZAM WM_CLOSE

ZAM=$1
WM_CLOSE=$2
set -u
command -v weston >/dev/null || { echo "SKIP: weston is not installed"; exit 77; }
command -v Xwayland >/dev/null || { echo "SKIP: Xwayland is not installed"; exit 77; }

WORK=$(mktemp -d "${TMPDIR:-/tmp}/zam-wl.XXXXXX")
WESTON_PID=""
ZAM_PID=""
cleanup() {
    [ -n "$ZAM_PID" ] && kill -KILL "$ZAM_PID" 2>/dev/null && wait "$ZAM_PID" 2>/dev/null
    [ -n "$WESTON_PID" ] && kill "$WESTON_PID" 2>/dev/null && wait "$WESTON_PID" 2>/dev/null
    rm -rf "$WORK"
}
trap cleanup EXIT
trap 'echo "FAIL: interrupted or out of time" >&2; exit 1' INT TERM
fail() {
    echo "FAIL: $*" >&2
    [ -s "$WORK/zam.log" ] && { echo "--- the program's output:" >&2; grep -v '^\[' "$WORK/zam.log" | tail -n 20 >&2; }
    [ -s "$WORK/weston.log" ] && { echo "--- weston's log:" >&2; tail -n 10 "$WORK/weston.log" >&2; }
    exit 1
}
now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
no_sanitizer_report() {
    ! grep -E -q 'ERROR: (Address|Leak)Sanitizer|runtime error:' "$WORK/zam.log" || fail "a sanitizer report"
}

mkdir -m 700 "$WORK/runtime"
export XDG_RUNTIME_DIR="$WORK/runtime"
SOCKET="zam-$$"
env -u DISPLAY -u WAYLAND_DISPLAY weston --backend=headless-backend.so --socket="$SOCKET" --idle-time=0 \
    --no-config --xwayland --log="$WORK/weston.log" >/dev/null 2>&1 &
WESTON_PID=$!
for _ in $(seq 100); do
    [ -S "$XDG_RUNTIME_DIR/$SOCKET" ] && grep -q 'xserver listening on display' "$WORK/weston.log" 2>/dev/null && break
    kill -0 "$WESTON_PID" 2>/dev/null || { echo "SKIP: weston could not start: $(tail -n 3 "$WORK/weston.log" | tr '\n' ' ')"; exit 77; }
    sleep 0.1
done
[ -S "$XDG_RUNTIME_DIR/$SOCKET" ] || fail "weston opened no socket"
XWAYLAND=$(sed -n 's/.*xserver listening on display \(:[0-9]*\).*/\1/p' "$WORK/weston.log" | tail -n 1)
[ -n "$XWAYLAND" ] || fail "weston started no XWayland"

# As a Wayland desktop sets it up: the session type and the compositor, and Qt left to choose.
desktop_env=(XDG_SESSION_TYPE=wayland WAYLAND_DISPLAY="$SOCKET" SDL_AUDIODRIVER=dummy)

# Waits until the protocol log holds a line matching the pattern; prints its line number.
wait_log() {
    local pattern=$1 what=$2 deadline line
    deadline=$(( $(now_ms) + 20000 ))
    while [ "$(now_ms)" -lt "$deadline" ]; do
        line=$(grep -n -E "$pattern" "$WORK/zam.log" | head -n 1 | cut -d: -f1)
        [ -n "$line" ] && { echo "$line"; return 0; }
        kill -0 "$ZAM_PID" 2>/dev/null || fail "the program ended before $what"
        sleep 0.05
    done
    fail "no $what within 20 s"
}

# 1. Natively.
(cd / && exec env -u DISPLAY -u QT_QPA_PLATFORM "${desktop_env[@]}" WAYLAND_DEBUG=client "$ZAM") >"$WORK/zam.log" 2>&1 &
ZAM_PID=$!
demo=$(wait_log 'xdg_toplevel@[0-9]+\.set_title\("Tarnix"\)' "the demo's Wayland window") || exit 1
grep -q -E 'xdg_toplevel@[0-9]+\.set_max_size\(251, 92\)' "$WORK/zam.log" || fail "the demo's window is not 251x92"
title=$(wait_log 'xdg_toplevel@[0-9]+\.set_max_size\(282, 88\)' "the title's Wayland window") || exit 1
[ "$title" -gt "$demo" ] || fail "the title window came before the demo"
grep -q -E 'xdg_toplevel@[0-9]+\.set_app_id\("io\.github\.zamgame\.zam"\)' "$WORK/zam.log" ||
    fail "the windows' app id is not the launcher's io.github.zamgame.zam"
sleep 0.5
kill -0 "$ZAM_PID" 2>/dev/null || fail "the program ended with its title window shown"
kill -TERM "$ZAM_PID"
wait "$ZAM_PID"
status=$?
ZAM_PID=""
no_sanitizer_report
[ "$status" -eq 143 ] || fail "exit status $status after SIGTERM on Wayland, not the signal's 143"
echo "natively on Wayland: the demo's window, then the title's, app id io.github.zamgame.zam; SIGTERM ended the program"

# 2. No Wayland plugin: a copy of the program whose qt.conf points at a plugin folder without it.
mkdir -p "$WORK/bin" "$WORK/plugins/platforms"
plugins=$(qtpaths6 --plugin-dir 2>/dev/null || echo /usr/lib/x86_64-linux-gnu/qt6/plugins)
for dir in "$plugins"/*/; do
    [ "$(basename "$dir")" = platforms ] || ln -s "$dir" "$WORK/plugins/$(basename "$dir")"
done
ln -s "$plugins/platforms/libqxcb.so" "$WORK/plugins/platforms/"
cp "$ZAM" "$WORK/bin/zam"
printf '[Paths]\nPlugins=%s\n' "$WORK/plugins" >"$WORK/bin/qt.conf"

(cd / && exec env -u QT_QPA_PLATFORM DISPLAY="$XWAYLAND" "${desktop_env[@]}" "$WORK/bin/zam") >"$WORK/zam.log" 2>&1 &
ZAM_PID=$!
# The program's visible window of a given size on XWayland, within 20 s.
wait_x_window() {
    local size=$1 deadline id
    deadline=$(( $(now_ms) + 20000 ))
    while [ "$(now_ms)" -lt "$deadline" ]; do
        kill -0 "$ZAM_PID" 2>/dev/null || fail "the program ended while its ${size} window was awaited"
        for id in $(DISPLAY=$XWAYLAND xdotool search --onlyvisible --pid "$ZAM_PID" 2>/dev/null); do
            [ "$(DISPLAY=$XWAYLAND xwininfo -id "$id" 2>/dev/null | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }')" = "$size" ] &&
                { echo "$id"; return 0; }
        done
        sleep 0.05
    done
    fail "no ${size} window on XWayland within 20 s"
}
wait_x_window 251x92 >/dev/null || exit 1
title=$(wait_x_window 282x88) || exit 1
grep -q 'Could not find the Qt platform plugin "wayland"' "$WORK/zam.log" || fail "Qt did not look for its Wayland plugin first"
sleep 0.5
DISPLAY=$XWAYLAND "$WM_CLOSE" "$title" || fail "wm_close failed"
deadline=$(( $(now_ms) + 10000 ))
while kill -0 "$ZAM_PID" 2>/dev/null; do
    [ "$(now_ms)" -lt "$deadline" ] || fail "the program still runs 10 s after the close"
    sleep 0.05
done
wait "$ZAM_PID"
status=$?
ZAM_PID=""
no_sanitizer_report
[ "$status" -eq 0 ] || fail "exit status $status after the close on XWayland, not 0"
echo "without the Wayland plugin, through XWayland: the demo, then the title; its close ended the program with status 0"

# Wayland named, the plugin missing: X serves all the same.
(cd / && exec env QT_QPA_PLATFORM=wayland DISPLAY="$XWAYLAND" "${desktop_env[@]}" "$WORK/bin/zam") >"$WORK/zam.log" 2>&1 &
ZAM_PID=$!
wait_x_window 251x92 >/dev/null || exit 1
kill -TERM "$ZAM_PID"
wait "$ZAM_PID"
ZAM_PID=""
echo "QT_QPA_PLATFORM=wayland without the plugin: the demo through XWayland"

# Without the plugin and without an X display beside the compositor: one line, status 1.
for platform in unset wayland; do
    if [ "$platform" = unset ]; then
        (cd / && exec env -u QT_QPA_PLATFORM -u DISPLAY "${desktop_env[@]}" timeout 20 "$WORK/bin/zam") >"$WORK/zam.log" 2>&1
    else
        (cd / && exec env -u DISPLAY QT_QPA_PLATFORM=wayland "${desktop_env[@]}" timeout 20 "$WORK/bin/zam") >"$WORK/zam.log" 2>&1
    fi
    status=$?
    [ "$status" -eq 1 ] || fail "QT_QPA_PLATFORM $platform, no plugin, no X: exit status $status instead of 1"
    [ "$(wc -l <"$WORK/zam.log")" -eq 1 ] && grep -q '^zam: no window could be opened: ' "$WORK/zam.log" ||
        fail "QT_QPA_PLATFORM $platform, no plugin, no X: not our one line"
    echo "QT_QPA_PLATFORM $platform, no plugin, no X: status 1, $(cat "$WORK/zam.log")"
done
