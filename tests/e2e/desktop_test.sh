#!/bin/bash
# The real program on a careless desktop, one case a run:
#   streams       started with standard input, output and error closed: the demo, the title,
#                 a close, status 0; the three are /dev/null, not the X connection
#   monitors      two monitors, the primary at x = 1280: every window centred on the primary
#   small-screen  a 320 x 240 screen: every window's top-left corner, its title bar, on it
#   scale S       at scale S (1.25 and 2 by QT_SCALE_FACTOR, 1.5 by Xft.dpi 144): the grid's
#                 lines one device pixel wide, and after eight moves the window the same,
#                 pixel for pixel, as when it is painted afresh
#   depth8        an 8-bit screen: one line naming it, status 1
#   platforms     window systems Qt cannot start: one line each, status 1
#   media-folder  the media folder removed during a game: no tune looked for outside it,
#                 silence; put back, the next tune and effect play
# Skips (77) only when no X server can be started.
#
# Usage: desktop_test.sh ZAM WM_CLOSE PRELOAD CASE [SCALE]      (SHOTS=DIR keeps the screenshots)

ZAM=$1
WM_CLOSE=$2
PRELOAD=$3
CASE=$4
SCALE=${5:-1}
. "$(dirname "$0")/x_session.sh"

keep() { [ -n "${SHOTS:-}" ] && mkdir -p "$SHOTS" && cp "$1" "$SHOTS/$2"; }

# The position of a window's top-left corner on the screen: "X Y".
position() { xwininfo -id "$1" | awk '/Absolute upper-left X:/ { x = $4 } /Absolute upper-left Y:/ { y = $4 } END { print x, y }'; }

# The program's one line on stderr when it cannot show its windows, and its status 1.
expect_one_line() {
    local status=$1 what=$2 pattern=$3
    [ "$status" -eq 1 ] || fail "$what: exit status $status instead of 1"
    [ "$(wc -l <"$ZAM_LOG")" -eq 1 ] || fail "$what: $(wc -l <"$ZAM_LOG") lines on stderr instead of one"
    grep -q -E "$pattern" "$ZAM_LOG" || fail "$what: the line does not say '$pattern'"
    note "$what: status 1, $(cat "$ZAM_LOG")"
}

# Each window centred on a monitor at LEFT TOP of WIDTH x HEIGHT, within a pixel, or at its
# corner when larger than it.
expect_placed() {
    local id=$1 what=$2 left=$3 top=$4 width=$5 height=$6 x y w h want_x want_y
    read -r x y < <(position "$id")
    read -r w h < <(xwininfo -id "$id" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w, h }')
    want_x=$(( w > width ? left : left + (width - w) / 2 ))
    want_y=$(( h > height ? top : top + (height - h) / 2 ))
    [ $(( x - want_x )) -ge -1 ] && [ $(( x - want_x )) -le 1 ] && [ $(( y - want_y )) -ge -1 ] && [ $(( y - want_y )) -le 1 ] ||
        fail "the $what (${w}x$h) is at ($x, $y), not at ($want_x, $want_y)"
    note "the $what (${w}x$h) is at ($x, $y)"
}

# The demo, the title and the game window, each where it belongs on the monitor given.
expect_windows_placed() {
    expect_placed "$(wait_window "$DEMO_SIZE" 20)" demo "$@"
    title=$(wait_window "$TITLE_SIZE" 20) || exit 1
    expect_placed "$title" title "$@"
    start_game_by_keys "$title"
    expect_placed "$(wait_window "$GAME_SIZE" 20)" "game window" "$@"
}

start_game_by_keys() {
    sleep 0.3
    xdotool windowfocus "$1" 2>/dev/null
    xdotool key Tab Tab Tab space || fail "xdotool could not press the keys"
}

# ---- The grid at a scale -------------------------------------------------------------
# A size or a coordinate of the window in device pixels, as Qt rounds them.
scaled() { awk -v v="$1" -v s="$SCALE" 'BEGIN { n = split(v, p, "x"); o = int(p[1] * s + 0.5); if (n > 1) o = o "x" int(p[2] * s + 0.5); print o }'; }
# Where a window pixel's middle falls, in device pixels.
device() { awk -v v="$1" -v s="$SCALE" 'BEGIN { print int((v + 0.5) * s) }'; }

# "count longest" of the runs of the grid's colour along a strip of a screenshot.
grid_runs() {
    convert "$1" -crop "$2" +repage txt:- 2>/dev/null |
        awk 'NR > 1 { if (/#006496/) { if (++run == 1) n++; if (run > longest) longest = run } else run = 0 } END { print n + 0, longest + 0 }'
}

# With "anywhere" the lines are counted only as many as show: after moves, a piece may cover one.
expect_thin_lines() {
    local count longest
    # Across the middle of row 6, below the pieces: the 17 column lines.
    read -r count longest < <(grid_runs "$1" "$(( $(device "$(px 6500)") + 2 ))x1+0+$(device "$(px 2800)")")
    { [ "$count" -eq 17 ] || [ "${2:-}" = anywhere ]; } && [ "$longest" -eq 1 ] ||
        fail "across row 6: $count column lines, the widest $longest device pixels, at scale $SCALE"
    # Down the middle of column 10, from row 3 to row 11: 9 row lines.
    read -r count longest < <(grid_runs "$1" "1x$(( $(device "$(px 4600)") - $(device "$(px 1400)") + 3 ))+$(device "$(px 4300)")+$(( $(device "$(px 1400)") - 1 ))")
    { [ "$count" -eq 9 ] || [ "${2:-}" = anywhere ]; } && [ "$longest" -eq 1 ] ||
        fail "down column 10: $count row lines, the widest $longest device pixels, at scale $SCALE"
}

check_grid_at_scale() {
    XVFB_SCREEN=1600x1200x24 start_x
    if [ "$SCALE" = 1.5 ]; then
        echo "Xft.dpi: 144" | xrdb -merge || fail "xrdb could not set Xft.dpi"
        start_zam ZAM_FAST_PAUSES=1
    else
        start_zam ZAM_FAST_PAUSES=1 QT_SCALE_FACTOR="$SCALE"
    fi
    wait_window "$(scaled $DEMO_SIZE)" 20 >/dev/null || exit 1
    start_game_by_keys "$(wait_window "$(scaled $TITLE_SIZE)" 20)"
    game=$(wait_window "$(scaled $GAME_SIZE)" 20) || exit 1
    sleep 0.8
    shot "$game" "$WORK/start.png"
    expect_thin_lines "$WORK/start.png"
    # Eight pieces of the home row one cell up, each answered by the computer.
    local column pauses waited
    for column in 0 1 2 3 4 5 6 7; do
        pauses=$(pauses)
        click "$game" "$(device $(( $(px $((400 * column + 105))) + 15 )))" "$(device $(( $(px $((400 * 13))) + 20 )))"
        xdotool key Up || fail "xdotool could not press Up"
        for waited in $(seq 120); do
            [ "$(pauses)" -ge $((pauses + 84)) ] && break
            [ "$waited" -gt 30 ] && [ "$(pauses)" -eq "$pauses" ] && break    # refused: its cell is taken
            sleep 0.05
        done
    done
    [ "$(pauses)" -ge $((84 * 6)) ] || fail "fewer than six moves were made"
    sleep 0.3
    shot "$game" "$WORK/moved.png"
    keep "$WORK/moved.png" "moved-$SCALE.png"
    # Painted afresh: a window resized repaints all of itself, from the board as it stands.
    local size
    size=$(scaled $GAME_SIZE)
    xdotool windowsize "$game" $(( ${size%x*} + 30 )) $(( ${size#*x} + 30 )) && sleep 0.5 &&
        xdotool windowsize "$game" "${size%x*}" "${size#*x}" || fail "xdotool could not resize the window"
    sleep 0.5
    shot "$game" "$WORK/fresh.png"
    keep "$WORK/fresh.png" "fresh-$SCALE.png"
    local differ
    differ=$(compare -metric AE "$WORK/moved.png" "$WORK/fresh.png" null: 2>&1)
    [ "$differ" = 0 ] || fail "at scale $SCALE, $differ pixels after the moves differ from the board painted afresh"
    expect_thin_lines "$WORK/fresh.png" anywhere
    note "scale $SCALE: lines one device pixel wide; after $(( $(pauses) / 84 )) moves the window is as painted afresh"
    user_close "$game"
    expect_clean_exit 15
}

# ---- The media folder taken away ---------------------------------------------------------
check_media_folder_taken_away() {
    local media_from game lines
    media_from=$(dirname "$ZAM")
    start_x
    mkdir -p "$WORK/game"
    cp "$ZAM" "$media_from"/*.mid "$media_from"/*.wav "$media_from"/*.WAV "$WORK/game/"
    ZAM="$WORK/game/zam"
    start_zam
    wait_window "$DEMO_SIZE" 20 >/dev/null || exit 1
    title=$(wait_window "$TITLE_SIZE" 20) || exit 1
    rm -rf "$WORK/game"
    start_game_by_keys "$title"
    game=$(wait_window "$GAME_SIZE" 20) || exit 1
    # The music keeper asks for the game tune every 2 s: in the folder that is gone.
    for _ in $(seq 100); do grep -q 'no sound from .*zaming.mid' "$ZAM_LOG" && break; sleep 0.05; done
    grep -q -F "no sound from $WORK/game/zaming.mid: " "$ZAM_LOG" ||
        fail "the game tune was not looked for in the media folder: $(grep 'no sound' "$ZAM_LOG" | tr '\n' ' ')"
    ! grep '^zam: ' "$ZAM_LOG" | grep -q -v -F "no sound from $WORK/game/" ||
        fail "a word besides those of the folder that is gone: $(grep '^zam: ' "$ZAM_LOG" | grep -v -F "$WORK/game/")"
    note "the media folder gone: $(grep '^zam: ' "$ZAM_LOG")"
    # Put back: the game tune at the keeper's next tick, an effect at the next move.
    mkdir "$WORK/game"
    cp "$media_from"/*.mid "$media_from"/*.wav "$media_from"/*.WAV "$WORK/game/"
    lines=$(wc -l <"$TRACE")
    for _ in $(seq 100); do tail -n +$((lines + 1)) "$TRACE" | grep -q ' play ' && break; sleep 0.05; done
    tail -n +$((lines + 1)) "$TRACE" | grep -q ' play ' || fail "the game tune did not come back with its folder"
    click "$game" "$(( $(px $((400 * 3 + 105))) + 15 ))" "$(( $(px $((400 * 13))) + 20 ))"
    xdotool key Up || fail "xdotool could not press Up"
    for _ in $(seq 100); do tail -n +$((lines + 1)) "$TRACE" | grep -q ' effect$' && break; sleep 0.05; done
    tail -n +$((lines + 1)) "$TRACE" | grep -q ' effect$' || fail "no effect played once the folder was back"
    note "the media folder back: the game tune and the move's effect play"
    user_close "$game"
    expect_clean_exit 15
}

case "$CASE" in
streams)
    start_x
    : >"$ZAM_LOG"    # nothing can be said: the program has nowhere to say it
    env -u WAYLAND_DISPLAY SDL_AUDIODRIVER=dummy QT_QPA_PLATFORM=xcb ZAM_MIXER_TRACE="$TRACE" LD_PRELOAD="$(preload_list)" \
        "$ZAM" <&- >&- 2>&- &
    ZAM_PID=$!
    wait_window "$DEMO_SIZE" 20 >/dev/null || exit 1
    title=$(wait_window "$TITLE_SIZE" 20) || exit 1
    for fd in 0 1 2; do
        [ "$(readlink "/proc/$ZAM_PID/fd/$fd")" = /dev/null ] ||
            fail "descriptor $fd is $(readlink "/proc/$ZAM_PID/fd/$fd"), not /dev/null"
    done
    note "started with 0, 1 and 2 closed: the demo, the title, and the three are /dev/null"
    sleep 0.3
    user_close "$title"
    expect_clean_exit 10
    ;;
monitors)
    XVFB_SCREEN=2560x1024x24 start_x
    command -v xrandr >/dev/null || fail "xrandr is not installed (scripts/install-deps.sh installs it)"
    xrandr --setmonitor left 1280/338x1024/270+0+0 none >/dev/null &&
        xrandr --setmonitor '*right' 1280/338x1024/270+1280+0 none >/dev/null || fail "xrandr could not set the monitors"
    start_zam
    expect_windows_placed 1280 0 1280 1024
    ;;
small-screen)
    XVFB_SCREEN=320x240x24 start_x
    start_zam
    expect_windows_placed 0 0 320 240
    ;;
depth8)
    XVFB_SCREEN=1280x1024x8 start_x
    env -u WAYLAND_DISPLAY SDL_AUDIODRIVER=dummy QT_QPA_PLATFORM=xcb timeout 20 "$ZAM" >"$ZAM_LOG" 2>&1
    expect_one_line $? "an 8-bit screen" "no window could be opened: the screen has 8 bits a pixel"
    ;;
platforms)
    # Neither a framebuffer nor a graphics card of this machine may be taken by these runs.
    echo '{ "device": "/dev/zam-no-graphics-card" }' >"$WORK/kms.json"
    for platform in foo eglfs linuxfb:fb=/dev/zam-no-framebuffer; do
        env -u DISPLAY -u WAYLAND_DISPLAY SDL_AUDIODRIVER=dummy QT_QPA_PLATFORM="$platform" \
            QT_QPA_EGLFS_KMS_CONFIG="$WORK/kms.json" timeout 20 "$ZAM" >"$ZAM_LOG" 2>&1
        expect_one_line $? "QT_QPA_PLATFORM=$platform" "^zam: no window could be opened: "
    done
    ;;
scale)
    check_grid_at_scale
    ;;
media-folder)
    check_media_folder_taken_away
    ;;
*)
    fail "no such case: $CASE"
    ;;
esac
exit 0
