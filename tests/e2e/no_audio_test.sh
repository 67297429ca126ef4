#!/bin/bash
# Without an audio device the real program is silent and as quick as with one: its
# first window shows as soon, and the demo (which starts a sound at its first tick)
# hands over to the title as soon. Three runs: with sound (SDL's disk driver), with
# no SDL_AUDIODRIVER at all (SDL looks for a sound card itself), and with a driver
# that cannot open.
#
# Usage: no_audio_test.sh ZAM WM_CLOSE PRELOAD

ZAM=$1
WM_CLOSE=$2
PRELOAD=$3
. "$(dirname "$0")/x_session.sh"

start_x

# Sets DEMO_MS and TITLE_MS: when the demo and the title showed after the start.
run() {
    AUDIO_DRIVER=$1
    start_zam
    local started
    started=$(now_ms)
    wait_window "$DEMO_SIZE" 20 >/dev/null
    DEMO_MS=$(( $(now_ms) - started ))
    local title
    title=$(wait_window "$TITLE_SIZE" 20) || exit 1
    TITLE_MS=$(( $(now_ms) - started ))
    sleep 0.3
    user_close "$title"
    expect_clean_exit 10
    note "SDL_AUDIODRIVER=$1: demo after $DEMO_MS ms, title after $TITLE_MS ms"
}

run disk
sound_demo=$DEMO_MS
sound_title=$TITLE_MS

for driver in unset nosuchdriver; do
    run $driver
    [ "$DEMO_MS" -le $((sound_demo + 1000)) ] ||
        fail "without sound ($driver) the first window took $DEMO_MS ms, with sound $sound_demo ms"
    [ "$TITLE_MS" -le $((sound_title + 1000)) ] ||
        fail "without sound ($driver) the demo handed over after $TITLE_MS ms, with sound $sound_title ms"
    if [ "$driver" = nosuchdriver ] || grep -q 'playing without sound' "$ZAM_LOG"; then
        grep -q 'playing without sound' "$ZAM_LOG" || fail "no word that the program plays without sound"
        grep -q ' load ' "$TRACE" && fail "a tune was loaded without an audio device"
    fi
done
exit 0
