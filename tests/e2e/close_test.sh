#!/bin/bash
# Closing the real program at any moment, under an X server of its own, the way a
# user does: the window manager's WM_DELETE_WINDOW message on the window shown.
# The title and the game window end the program (exit status 0, the music stopped
# and the audio device closed, no sanitizer report, no process left); the demo goes
# on to the title. A termination signal or the end of the X session ends it too.
#
# Usage: close_test.sh ZAM WM_CLOSE PRELOAD CASE
#   CASE: demo | title | loading | waiting | move | computer | end | term | logout

ZAM=$1
WM_CLOSE=$2
PRELOAD=$3
CASE=$4
. "$(dirname "$0")/x_session.sh"

# The demo is closed as soon as it shows, which goes on to the title window.
to_title() {
    start_zam "$@"
    local demo
    demo=$(wait_window "$DEMO_SIZE" 20) || exit 1
    user_close "$demo"
    TITLE=$(wait_window "$TITLE_SIZE" 20) || exit 1
}

# Hard, then Start.
to_game() {
    to_title "$@"
    click "$TITLE" "$(( $(px 3360) + 15 ))" "$(( $(px 720) + 8 ))"
    click "$TITLE" "$(( $(px 2640) + 48 ))" "$(( $(px 960) + 8 ))"
    GAME=$(wait_window "$GAME_SIZE" 20) || exit 1
}

# A click on the image of the player's piece standing on (column, row), if any.
click_cell() { click "$GAME" "$(( $(px $((400 * $1 + 105))) + 15 ))" "$(( $(px $((400 * $2))) + 20 ))"; }
click_up_button() { click "$GAME" "$(( $(px 7680) + 8 ))" "$(( $(px 4560) + 8 ))"; }

wait_pauses() {
    local target=$1 deadline
    deadline=$(( $(now_ms) + 10000 ))
    while [ "$(pauses)" -lt "$target" ]; do
        [ "$(now_ms)" -lt "$deadline" ] || fail "the move did not get going: $(pauses) pauses, $target awaited"
        sleep 0.01
    done
}

start_x

case "$CASE" in
demo)
    start_zam
    demo=$(wait_window "$DEMO_SIZE" 20) || exit 1
    sleep 0.5
    user_close "$demo"
    title=$(wait_window "$TITLE_SIZE" 10) || exit 1
    window_shown "$DEMO_SIZE" && fail "the demo is still shown after its close"
    note "closing the demo went on to the title"
    user_close "$title"
    expect_clean_exit 10
    ;;
title)
    to_title
    sleep 1
    grep -q ' play ' "$TRACE" || fail "the title music never started"
    user_close "$TITLE"
    expect_clean_exit 10
    ;;
loading)
    # A hundred sound fonts take seconds to read; closing the title meanwhile must not wait for them.
    fonts=$(for _ in $(seq 100); do printf '%s;' /usr/share/sounds/sf2/TimGM6mb.sf2; done)
    [ -f /usr/share/sounds/sf2/TimGM6mb.sf2 ] || { echo "SKIP: no TimGM6mb.sf2 to read"; exit 77; }
    # SDL_mixer is told to keep the list as it is, as it would otherwise swap in a font of its own.
    to_title SDL_FORCE_SOUNDFONTS=1 SDL_SOUNDFONTS="${fonts%;}"
    sleep 0.05
    closed=$(now_ms)
    user_close "$TITLE"
    while kill -0 "$ZAM_PID" 2>/dev/null && [ $(( $(now_ms) - closed )) -lt 10000 ]; do sleep 0.01; done
    took=$(( $(now_ms) - closed ))
    [ "$took" -lt 2000 ] || fail "the program ended $took ms after the close, while the sound fonts were read"
    expect_clean_exit 10
    note "closed while a hundred sound fonts were read: the program ended after $took ms"
    ;;
waiting)
    to_game
    sleep 1
    click_cell 4 13  # a piece chosen, no direction yet
    sleep 0.3
    user_close "$GAME"
    expect_clean_exit 10
    ;;
move)
    to_game
    sleep 0.5
    before=$(pauses)
    click_cell 3 13
    click_up_button
    wait_pauses $((before + 5))
    user_close "$GAME"
    expect_clean_exit 15
    after=$(pauses_after_close)
    # The player's move has 42 steps and the computer's answer 42 more.
    [ "$after" -gt 42 ] || fail "the close came after the player's move ($after pauses followed it)"
    note "closed during the player's move: $after pauses of the two moves followed the close"
    ;;
computer)
    to_game
    sleep 0.5
    before=$(pauses)
    click_cell 6 13
    click_up_button
    wait_pauses $((before + 45))
    user_close "$GAME"
    expect_clean_exit 15
    after=$(pauses_after_close)
    [ "$after" -ge 1 ] && [ "$after" -le 41 ] ||
        fail "the close did not come during the computer's turn ($after pauses followed it)"
    note "closed during the computer's turn: $after of its 42 pauses followed the close"
    ;;
end)
    # The pauses take no time, so that a whole game played through the window fits in a test.
    to_game ZAM_FAST_PAUSES=1
    # Each column's piece goes up until it has left the board; a click on every row of its
    # column finds it wherever it stands, as nothing else of the player's stands there.
    ended=""
    game_ended() {
        local bytes endzam
        # The end's tune is told by its length in bytes, the only one of that length.
        bytes=$(stat -c %s "$(dirname "$ZAM")/endzam.mid")
        endzam=$(awk -v bytes="$bytes" '$2 == "load" && $4 == bytes { print $3 }' "$TRACE" | tail -n 1)
        [ -n "$endzam" ] && grep -q " play $endzam\$" "$TRACE"
    }
    # A piece whose move was slow to show is left behind by a sweep; the next sweep takes it.
    for sweep in 1 2 3; do
        for column in $(seq 0 15); do
            for attempt in $(seq 1 14); do
                before=$(pauses)
                args=()
                for row in $(seq 0 13); do
                    args+=(mousemove --window "$GAME" "$(( $(px $((400 * column + 105))) + 15 ))"
                           "$(( $(px $((400 * row))) + 20 ))" mousedown 1 mouseup 1)
                done
                args+=(mousemove --window "$GAME" "$(( $(px 7680) + 8 ))" "$(( $(px 4560) + 8 ))" mousedown 1 mouseup 1)
                xdotool "${args[@]}" || fail "xdotool could not click"
                # A move (and the computer's answer) shows as pauses; none within a while: the piece is gone.
                moved=""
                for wait in $(seq 1 12); do
                    sleep 0.025
                    [ "$(pauses)" -gt "$before" ] && { moved=yes; break; }
                done
                game_ended && { ended=yes; break 3; }
                [ -n "$moved" ] || break
                # Let the computer's answer finish before the next choice.
                while [ "$(pauses)" -lt $((before + 84)) ] && ! game_ended; do sleep 0.02; done
            done
        done
    done
    [ -n "$ended" ] || fail "the game did not end: $(pauses) pauses"
    sleep 0.5
    window_shown "$GAME_SIZE" || fail "the game window went away before OK"
    user_close "$GAME"
    expect_clean_exit 10
    note "closed during the end animation after $(grep -c ' pause$' "$TRACE") pauses of play"
    ;;
term)
    to_title
    # The title music has opened SDL's audio, which used to catch termination signals for itself.
    deadline=$(( $(now_ms) + 5000 ))
    until grep -q ' play ' "$TRACE"; do
        [ "$(now_ms)" -lt "$deadline" ] || fail "the title music never started"
        sleep 0.05
    done
    kill -TERM "$ZAM_PID"
    deadline=$(( $(now_ms) + 5000 ))
    while kill -0 "$ZAM_PID" 2>/dev/null; do
        [ "$(now_ms)" -lt "$deadline" ] || fail "the program ignored SIGTERM"
        sleep 0.05
    done
    wait "$ZAM_PID"
    status=$?
    ZAM_PID=""
    [ "$status" -eq 143 ] || fail "exit status $status after SIGTERM, not the signal's 143"
    expect_no_sanitizer_report
    note "SIGTERM ended the program"
    ;;
logout)
    to_game
    sleep 0.5
    # The X session ends under the program, as at a logout.
    kill "$XVFB_PID"
    wait "$XVFB_PID" 2>/dev/null
    XVFB_PID=""
    deadline=$(( $(now_ms) + 10000 ))
    while kill -0 "$ZAM_PID" 2>/dev/null; do
        [ "$(now_ms)" -lt "$deadline" ] || fail "the program outlived its X session"
        sleep 0.05
    done
    wait "$ZAM_PID"
    note "the end of the X session ended the program (exit status $?)"
    ZAM_PID=""
    expect_no_sanitizer_report
    ;;
*)
    fail "unknown case $CASE"
    ;;
esac

expect_no_process_left
exit 0
