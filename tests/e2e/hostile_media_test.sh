#!/bin/bash
# The real program with hostile media and a hostile desktop, under an X server of its
# own. Each case copies the program and its media into a folder of its own:
#
#   slow-waves   effects of 1, 2 and 5 Hz (the demo's sound, the player's and the
#                computer's move): the demo and a move play on, each file refused once
#   quote        the game's folder has a double quote in its name: the title tune sounds
#   big-tune     a valid title tune of 20 MB: the title answers its clicks at once and
#                Start opens the game at once
#   no-display   DISPLAY unset, empty, or naming no server: one line, exit status 1
#
# Usage: hostile_media_test.sh ZAM WM_CLOSE PRELOAD CASE

ZAM=$1
WM_CLOSE=$2
PRELOAD=$3
CASE=$4
. "$(dirname "$0")/x_session.sh"

# Little-endian numbers as printf escapes.
le16() { printf '\\x%02x\\x%02x' $(($1 & 255)) $((($1 >> 8) & 255)); }
le32() { printf '\\x%02x\\x%02x\\x%02x\\x%02x' $(($1 & 255)) $((($1 >> 8) & 255)) $((($1 >> 16) & 255)) $((($1 >> 24) & 255)); }
be32() { printf '\\x%02x\\x%02x\\x%02x\\x%02x' $((($1 >> 24) & 255)) $((($1 >> 16) & 255)) $((($1 >> 8) & 255)) $(($1 & 255)); }

# A mono 8-bit PCM wave of the given rate holding 24348 bytes of samples.
slow_wave() {
    local rate=$1 file=$2 data=24348
    {
        printf "RIFF$(le32 $((36 + data)))WAVEfmt $(le32 16)$(le16 1)$(le16 1)$(le32 "$rate")$(le32 "$rate")$(le16 1)$(le16 8)data$(le32 $data)"
        head -c $data /dev/zero | tr '\0' '\200'
    } >"$file"
}

# A valid tune of about 20 MB: one track of notes struck and released again and again.
big_tune() {
    local file=$1 chunk="$WORK/notes"
    printf '\x00\x90\x3c\x40\x60\x80\x3c\x40' >"$chunk"
    for _ in $(seq 21); do cat "$chunk" "$chunk" >"$chunk.2" && mv "$chunk.2" "$chunk"; done
    local length=$(( $(stat -c %s "$chunk") + 4 ))
    {
        printf "MThd$(be32 6)\\x00\\x00\\x00\\x01\\x01\\xe0MTrk$(be32 $length)"
        cat "$chunk"
        printf '\x00\xff\x2f\x00'
    } >"$file"
    rm -f "$chunk"
}

# The program and its media in a folder of the given name.
install_in() {
    mkdir -p "$1"
    cp "$ZAM" "$1/zam"
    cp "$(dirname "$ZAM")"/*.mid "$(dirname "$ZAM")"/*.wav "$(dirname "$ZAM")"/*.WAV "$1/"
    ZAM="$1/zam"
}

# Samples louder than a whisper in the disk driver's file from byte $1 on.
loud_samples() {
    tail -c +$(( $1 + 1 )) "$WORK/sound.raw" | od -An -v -td2 -w2 | awk '$1 > 1000 || $1 < -1000 { n++ } END { print n + 0 }'
}

start_title() {
    start_zam
    wait_window "$DEMO_SIZE" 20 >/dev/null || exit 1
    TITLE=$(wait_window "$TITLE_SIZE" 20) || exit 1
}

start_game() {
    local clicked
    clicked=$(now_ms)
    click "$TITLE" "$(( $(px 2640) + 48 ))" "$(( $(px 960) + 8 ))"
    GAME=$(wait_window "$GAME_SIZE" 20) || exit 1
    START_MS=$(( $(now_ms) - clicked ))
}

case "$CASE" in
no-display)
    for display in unset "" ":$(( 700 + $$ % 200 ))"; do
        if [ "$display" = unset ]; then
            env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u XDG_SESSION_TYPE "$ZAM" >"$ZAM_LOG" 2>&1
        else
            env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u XDG_SESSION_TYPE DISPLAY="$display" "$ZAM" >"$ZAM_LOG" 2>&1
        fi
        status=$?
        [ "$status" -eq 1 ] || fail "DISPLAY=$display: exit status $status instead of 1"
        [ "$(wc -l <"$ZAM_LOG")" -eq 1 ] || fail "DISPLAY=$display: not one line on stderr"
        grep -q 'no display could be opened' "$ZAM_LOG" || fail "DISPLAY=$display: no word of the display"
        note "DISPLAY=$display: $(cat "$ZAM_LOG")"
    done
    exit 0
    ;;
slow-waves)
    start_x
    install_in "$WORK/game"
    slow_wave 1 "$WORK/game/TXDEMO.WAV"
    slow_wave 2 "$WORK/game/zam1.wav"
    slow_wave 5 "$WORK/game/zam3.wav"
    start_title
    start_game
    sleep 0.5
    click "$GAME" "$(( $(px $((400 * 3 + 105))) + 15 ))" "$(( $(px $((400 * 13))) + 20 ))"
    click "$GAME" "$(( $(px 7680) + 8 ))" "$(( $(px 4560) + 8 ))"   # Up: zam1.wav, then the computer's zam3.wav
    sleep 3
    kill -0 "$ZAM_PID" 2>/dev/null || fail "the program died"
    for wave in TXDEMO.WAV zam1.wav zam3.wav; do
        [ "$(grep -c "no sound from $wave: a sample rate of" "$ZAM_LOG")" -eq 1 ] ||
            fail "$wave was not refused exactly once"
    done
    note "the 1, 2 and 5 Hz effects were refused once each; the demo and a move played on"
    user_close "$GAME"
    expect_clean_exit 15
    ;;
quote)
    start_x
    install_in "$WORK/the \"best\" game"
    start_title
    from=$(stat -c %s "$WORK/sound.raw")
    sleep 2
    loud=$(loud_samples "$from")
    [ "$loud" -gt 10000 ] || fail "the title tune is silent in a folder with a quote in its name ($loud loud samples)"
    grep -q ' load ' "$TRACE" || fail "no tune was handed to the synthesizer"
    note "the title tune sounds from a folder with a quote in its name ($loud loud samples in 2 s)"
    user_close "$TITLE"
    expect_clean_exit 10
    ;;
big-tune)
    start_x
    install_in "$WORK/game"
    big_tune "$WORK/game/zam.mid"
    start_title
    started=$(now_ms)
    # The music icon: off and on, each time the title tune is stopped and asked for again.
    for _ in 1 2 3 4; do
        click "$TITLE" "$(( $(px 3840) + 8 ))" "$(( $(px 400) + 8 ))"
        sleep 0.2
    done
    start_game
    took=$(( $(now_ms) - started ))
    [ "$START_MS" -lt 1500 ] || fail "Start took $START_MS ms to open the game"
    [ "$took" -lt 3000 ] || fail "four clicks on the music icon and Start took $took ms"
    grep -q 'no sound from .*zam.mid: larger than' "$ZAM_LOG" || fail "the big tune was not refused"
    note "with a 20 MB title tune: Start opened the game after $START_MS ms; the title answered throughout"
    user_close "$GAME"
    expect_clean_exit 15
    ;;
*)
    fail "unknown case $CASE"
    ;;
esac
exit 0
