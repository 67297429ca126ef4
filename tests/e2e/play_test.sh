#!/bin/bash
# The real program from start to close, under an X server of its own: the demo runs
# to its end, the title gets Hard and Start, the player makes three moves (a click on
# a piece, then the Up arrow key, the Up button, Shift+Up), and screenshots show the
# board's grid in its colour and each moved piece on its new cell and gone from its
# old one. Then the user closes the window: exit status 0, no sanitizer report, no
# process left. Skips (77) only when no X server can be started.
#
# Usage: play_test.sh ZAM WM_CLOSE PRELOAD [no-media]
#   no-media: the program is copied alone into an empty folder, so that it finds none
#   of its tunes and effects: it must play all the same, silently.

ZAM=$1
WM_CLOSE=$2
PRELOAD=$3
MEDIA=${4:-with-media}
. "$(dirname "$0")/x_session.sh"

start_x

if [ "$MEDIA" = no-media ]; then
    mkdir -p "$WORK/bare/bin"
    cp "$ZAM" "$WORK/bare/bin/zam"
    ZAM="$WORK/bare/bin/zam"
fi

start_zam
started=$(now_ms)
demo=$(wait_window "$DEMO_SIZE" 20) || exit 1
note "demo shown after $(( $(now_ms) - started )) ms"
# The demo hides itself after its 24 ticks of 200 ms and the title follows.
title=$(wait_window "$TITLE_SIZE" 20) || exit 1
window_shown "$DEMO_SIZE" && fail "the demo is still shown with the title"
note "title shown after $(( $(now_ms) - started )) ms"

click "$title" "$(( $(px 3360) + 15 ))" "$(( $(px 720) + 8 ))"   # Hard
sleep 0.2
click "$title" "$(( $(px 2640) + 48 ))" "$(( $(px 960) + 8 ))"   # Start
game=$(wait_window "$GAME_SIZE" 20) || exit 1
sleep 0.5

# ---- The board as drawn ----------------------------------------------------------
shot "$game" "$WORK/board.png"
grid="srgb(0,100,150)"
# Points on the grid lines, away from the pieces and the labels: (x, y) in twips.
for point in "2100 3000" "300 1400" "4300 4600" "500 2300" "3300 2900" "6500 3800"; do
    set -- $point
    colour=$(pixel "$WORK/board.png" "$(px "$1")" "$(px "$2")")
    [ "$colour" = "$grid" ] || fail "the grid at ($1, $2) twips is $colour, not $grid"
done
# The middle of a cell is no grid line.
colour=$(pixel "$WORK/board.png" "$(px 2300)" "$(px 3200)")
[ "$colour" != "$grid" ] || fail "the middle of a cell has the grid's colour"
note "the grid is drawn in RGB(0,100,150)"

# Pixels of the player's greens where a piece standing on (column, row) shows. A piece's
# picture is 30 x 40 pixels on cells 26 2/3 pixels apart, so it overlaps its neighbours:
# look at its middle 22 columns and its top 26 rows, or its bottom 26 for the home row,
# whose neighbour above may be the piece that just left it.
greens_at() {
    local skip=0
    [ "$3" -eq 13 ] && skip=14
    green_pixels "$1" 22 26 "$(( $(px $((400 * $2 + 105))) + 4 ))" "$(( $(px $((400 * $3))) + skip ))"
}
for column in 3 5 8; do
    [ "$(greens_at "$WORK/board.png" $column 13)" -gt 50 ] || fail "no player's piece on ($column, 13) at the start"
    [ "$(greens_at "$WORK/board.png" $column 12)" -eq 0 ] || fail "something green on ($column, 12) at the start"
done

# ---- Three moves -----------------------------------------------------------------
# Waits until the piece of the column stands on row 12 and no longer on row 13.
expect_moved() {
    local column=$1 deadline
    deadline=$(( $(now_ms) + 10000 ))
    while :; do
        shot "$game" "$WORK/move$column.png"
        if [ "$(greens_at "$WORK/move$column.png" "$column" 12)" -gt 50 ] &&
           [ "$(greens_at "$WORK/move$column.png" "$column" 13)" -eq 0 ]; then
            break
        fi
        [ "$(now_ms)" -lt "$deadline" ] || fail "the piece of column $column did not move up to row 12"
        sleep 0.2
    done
    # The computer answers each move; wait for its value display to end before the next click.
    sleep 1.2
    note "the piece of column $column moved from row 13 to row 12"
}
piece_x() { echo $(( $(px $((400 * $1 + 105))) + 15 )); }
piece_y() { echo $(( $(px $((400 * $1))) + 20 )); }

click "$game" "$(piece_x 3)" "$(piece_y 13)"
xdotool windowfocus "$game" 2>/dev/null
xdotool key Up || fail "xdotool could not press Up"
expect_moved 3

click "$game" "$(piece_x 5)" "$(piece_y 13)"
click "$game" "$(( $(px 7680) + 8 ))" "$(( $(px 4560) + 8 ))"   # the Up button
expect_moved 5

click "$game" "$(piece_x 8)" "$(piece_y 13)"
xdotool key shift+Up || fail "xdotool could not press Shift+Up"
expect_moved 8

# ---- The close -------------------------------------------------------------------
user_close "$game"
expect_clean_exit 15
if [ "$MEDIA" = no-media ]; then
    grep -q ' load ' "$TRACE" && fail "a tune was loaded although the program has no media"
    note "played without any media, silently"
fi
note "closed with exit status 0"
exit 0
