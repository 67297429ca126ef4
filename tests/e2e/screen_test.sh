#!/bin/bash
# What the player sees on the real program, under an X server of its own: the whole year
# inside the opening demo with room to spare; a game started with the keyboard alone
# (Tab to Hard, Tab to Start, Space); the grid whole around the pieces on both home rows;
# and a piece that reaches row 0 gone from the screen during the pause that follows.
# Skips (77) only when no X server can be started.
#
# Usage: screen_test.sh ZAM WM_CLOSE PRELOAD      (SHOTS=DIR keeps the screenshots)

ZAM=$1
WM_CLOSE=$2
PRELOAD=$3
. "$(dirname "$0")/x_session.sh"

keep() { [ -n "${SHOTS:-}" ] && mkdir -p "$SHOTS" && cp "$1" "$SHOTS/$2"; }
grid="srgb(0,100,150)"

start_x
start_zam

# ---- The year in the demo --------------------------------------------------------
demo=$(wait_window "$DEMO_SIZE" 20) || exit 1
# The year shows from the 14th tick (2.8 s) until the demo hides itself (4.8 s).
sleep 3.6
shot "$demo" "$WORK/demo.png"
keep "$WORK/demo.png" demo.png
# The year's green, right of the name's letters: its rightmost pixel and how many there are.
read -r year_pixels year_right year_bottom < <(convert "$WORK/demo.png" -crop 70x40+181+52 +repage txt:- 2>/dev/null |
    awk -F'[,: ]+' '/#00FF00/ { n++; if ($1 > r) r = $1; if ($2 > b) b = $2 } END { print n + 0, r + 181, b + 52 }')
[ "$year_pixels" -gt 60 ] || fail "the year is not seen in the demo ($year_pixels green pixels)"
[ "$year_right" -le $((251 - 8)) ] || fail "the year reaches x = $year_right of the 251-pixel demo"
[ "$year_bottom" -le $((92 - 4)) ] || fail "the year reaches y = $year_bottom of the 92-pixel demo"
note "the year lies inside the demo: rightmost pixel $year_right of 251, lowest $year_bottom of 92"

# ---- The title with the keyboard alone -----------------------------------------
title=$(wait_window "$TITLE_SIZE" 20) || exit 1
sleep 0.5
xdotool windowfocus "$title" 2>/dev/null
xdotool key Tab Tab || fail "xdotool could not press Tab"
sleep 0.3
shot "$title" "$WORK/title-hard.png"
keep "$WORK/title-hard.png" title-hard.png
xdotool key Tab space || fail "xdotool could not press Tab and Space"
game=$(wait_window "$GAME_SIZE" 20) || exit 1
note "a game started with Tab, Tab, Tab, Space"
sleep 0.8

# ---- The grid around the pieces on both home rows ----------------------------------
shot "$game" "$WORK/board.png"
keep "$WORK/board.png" board.png
for column in 0 5 9 14; do
    for row in 0 13; do
        top=$(px $((400 * row)))
        # The column line on the piece's right passes through its box beside the head,
        # and the row line above the home row's cell through its lower corners.
        x=$(px $((400 * column + 500)))
        for dy in 16 18 20; do
            colour=$(pixel "$WORK/board.png" "$x" $((top + dy)))
            [ "$colour" = "$grid" ] || fail "the grid at pixel ($x, $((top + dy))) beside the piece on ($column, $row) is $colour"
        done
        line=$(px $((400 * row + 200)))
        colour=$(pixel "$WORK/board.png" $(( $(px $((400 * column + 105))) + 3 )) "$line")
        [ "$colour" = "$grid" ] || fail "the row line under the piece on ($column, $row) is $colour"
    done
done
note "the grid is whole around the pieces on rows 0 and 13"

# ---- A piece reaches row 0 ----------------------------------------------------------
# The row of the player's piece in a column, from a screenshot: the lowest row with its greens.
row_of() {
    local r
    for r in 0 1 2 3 4 5 6 7 8 9 10 11 12 13; do
        [ "$(greens_at "$1" "$2" "$r")" -gt 50 ] && { echo "$r"; return; }
    done
    echo -1
}
greens_at() {
    local skip=0
    [ "$3" -eq 13 ] && skip=14
    green_pixels "$1" 22 26 "$(( $(px $((400 * $2 + 105))) + 4 ))" "$(( $(px $((400 * $3))) + skip ))"
}
column=2
arrived=0
for move in $(seq 1 40); do
    shot "$game" "$WORK/now.png"
    row=$(row_of "$WORK/now.png" "$column")
    if [ "$row" -lt 0 ]; then
        column=$((column + 1))    # captured on its way: go on with the next piece
        [ "$column" -lt 16 ] || fail "every piece tried was captured"
        continue
    fi
    long=$(grep -c ' long-pause$' "$TRACE")
    pauses=$(grep -c ' pause$' "$TRACE")
    click "$game" $(( $(px $((400 * column + 105))) + 15 )) $(( $(px $((400 * row))) + 20 ))
    xdotool key Up || fail "xdotool could not press Up"
    # The value display is 42 pauses; the pause after it is an arrival's, or the first of
    # the computer's display. Counted, not timed: a loaded machine draws more slowly.
    wait_for_pauses() {
        local deadline=$(( $(now_ms) + 6000 ))
        while [ "$(now_ms)" -lt "$deadline" ] && [ "$(grep -c ' pause$' "$TRACE")" -lt "$1" ]; do
            sleep 0.01
        done
    }
    wait_for_pauses $((pauses + 43))
    if [ "$(grep -c ' pause$' "$TRACE")" -eq "$pauses" ]; then
        column=$((column + 1))    # the move was refused (its cell is taken): try the next piece
        [ "$column" -lt 16 ] || fail "no piece could move"
        continue
    fi
    if [ "$(grep -c ' long-pause$' "$TRACE")" -gt "$long" ]; then
        shot "$game" "$WORK/pause.png"
        keep "$WORK/pause.png" pause.png
        [ "$(greens_at "$WORK/pause.png" "$column" 0)" -eq 0 ] ||
            fail "the piece that reached row 0 in column $column is still on screen during the pause"
        x=$(px $((400 * column + 500)))
        [ "$(pixel "$WORK/pause.png" "$x" 20)" = "$grid" ] || fail "the grid is not whole where the piece left row 0"
        arrived=1
        note "move $move: the piece of column $column reached row 0 and is gone during the pause"
        break
    fi
    wait_for_pauses $((pauses + 84))    # the computer's answer
    sleep 0.2
done
[ "$arrived" -eq 1 ] || fail "no piece reached row 0 in 40 moves"

user_close "$game"
expect_clean_exit 15
exit 0
