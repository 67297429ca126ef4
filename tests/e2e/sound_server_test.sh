#!/bin/bash
# The real program on a real sound server (PipeWire with its PulseAudio service), as on a
# player's desktop, through one of SDL's two backends for it. The test starts the server
# itself, in a runtime folder and on a session bus of its own, with a null sink whose
# monitor it records: the title tune is heard; the stream is named for the game with the
# role "game"; the server is killed while the tune plays and started again, and the tune
# is heard again within 3 s. Skips (77) only when no X server or no sound server can start.
#
# Usage: sound_server_test.sh ZAM WM_CLOSE PRELOAD pulseaudio|pipewire

ZAM=$1
WM_CLOSE=$2
PRELOAD=$3
BACKEND=$4
. "$(dirname "$0")/x_session.sh"
AUDIO_DRIVER=$BACKEND

for tool in pipewire wireplumber pipewire-pulse pactl parecord dbus-daemon; do
    command -v "$tool" >/dev/null ||
        { echo "SKIP: $tool is not installed (scripts/install-deps.sh installs it)"; exit 77; }
done
start_x
SERVER_PIDS=""
BUS_PID=""
stop_server() {
    local pid
    for pid in $SERVER_PIDS; do kill "$pid" 2>/dev/null; done
    for pid in $SERVER_PIDS; do wait "$pid" 2>/dev/null; done
    SERVER_PIDS=""
}
trap 'stop_server; [ -n "$BUS_PID" ] && kill "$BUS_PID"; cleanup' EXIT

# A bus of its own for WirePlumber; the server's sockets go to x_session's runtime folder.
dbus-daemon --session --fork --nopidfile --address="unix:path=$WORK/bus" --print-pid=3 3>"$WORK/bus.pid" ||
    { echo "SKIP: no session bus could be started"; exit 77; }
BUS_PID=$(cat "$WORK/bus.pid")
export DBUS_SESSION_BUS_ADDRESS="unix:path=$WORK/bus"

# The server's settings and the streams it remembers are the test's own, not the user's or those
# of a test beside it; its null sink is there before any client may connect, so that the
# program's stream, opened again the moment the server answers, finds it.
export XDG_CONFIG_HOME="$WORK/config" XDG_STATE_HOME="$WORK/state" XDG_DATA_HOME="$WORK/data"
mkdir -p "$WORK/config/pipewire/pipewire.conf.d"
cat >"$WORK/config/pipewire/pipewire.conf.d/zam-test.conf" <<'CONF'
context.objects = [
    { factory = adapter
      args = { factory.name = support.null-audio-sink node.name = zam_test media.class = Audio/Sink
               audio.position = [ FL FR ] object.linger = true } }
]
CONF

# Starts the server; fails when it does not serve within 10 s: until the session manager has
# chosen the null sink as the default, it links no stream to it.
start_server() {
    pipewire >>"$WORK/pipewire.log" 2>&1 &
    SERVER_PIDS="$!"
    # Its clients give up when they come before its socket does.
    local waited=0
    until [ -S "$XDG_RUNTIME_DIR/pipewire-0" ]; do
        [ $waited -lt 100 ] || return 1
        sleep 0.1
        waited=$((waited + 1))
    done
    wireplumber >>"$WORK/pipewire.log" 2>&1 &
    SERVER_PIDS="$SERVER_PIDS $!"
    pipewire-pulse >>"$WORK/pipewire.log" 2>&1 &
    SERVER_PIDS="$SERVER_PIDS $!"
    waited=0
    until pactl info 2>/dev/null | grep -q '^Default Sink: zam_test$'; do
        [ $waited -lt 100 ] || return 1
        sleep 0.1
        waited=$((waited + 1))
    done
}

# The loudness (dBFS, whole numbers, -200 for silence) of what the sink plays in the next seconds.
listen() {
    local file="$WORK/heard.raw"
    rm -f "$file"
    parecord --raw --format=s16le --rate=44100 --channels=2 --latency-msec=50 -d zam_test.monitor "$file" &
    local recorder=$!
    sleep "$1"
    kill -INT "$recorder" 2>/dev/null
    wait "$recorder" 2>/dev/null
    od -An -v -td2 -w2 "$file" 2>/dev/null |
        awk '{ s += $1 * $1; n++ } END { if (s == 0) print -200; else printf "%d\n", 10 * log(s / n / 32768 / 32768) / log(10) }'
}

if ! start_server; then
    echo "SKIP: the sound server did not start: $(tail -n 3 "$WORK/pipewire.log" | tr '\n' ' ')"
    exit 77
fi

start_zam
title=$(wait_window "$TITLE_SIZE" 20) || exit 1
sleep 0.5
level=$(listen 2)
note "the title tune at $level dBFS"
[ "$level" -gt -40 ] || fail "the title tune is not heard on the server ($level dBFS)"

inputs=$(pactl list sink-inputs)
echo "$inputs" | grep -q 'application.name = "ZAM"' || fail "the stream is not named ZAM: $inputs"
echo "$inputs" | grep -q 'media.role = "game"' || fail "the stream's role is not game: $inputs"
echo "$inputs" | grep -q 'application.icon_name = "io.github.zamgame.zam"' || fail "the stream has no icon: $inputs"

# The server goes while the tune plays and comes back a second later.
stop_server
sleep 1
start_server || fail "the sound server did not start again: $(tail -n 3 "$WORK/pipewire.log")"
level=$(listen 3)
note "after the server came back: $level dBFS"
[ "$level" -gt -40 ] || fail "the title tune is not heard within 3 s of the server's return ($level dBFS;" \
    "$(stat -c %s "$WORK/heard.raw" 2>/dev/null) bytes recorded; streams: $(pactl list short sink-inputs | tr '\n' ' '))"

user_close "$title"
expect_clean_exit 10
exit 0
