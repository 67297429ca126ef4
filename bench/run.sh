#!/bin/sh
# Builds the benchmarks and runs every one of them under an X server of its own
# (Xvfb, on a free display; the sound on SDL's silent "dummy" driver), then prints
# one table of every figure against its target. Takes about seven minutes.
#
#   bench/run.sh [build folder]        default: build-bench beside the sources
#
# Everything the programs say is kept in <build folder>/bench-log.txt. The machine
# should be otherwise idle: every figure is a wall-clock or CPU measurement.
set -eu

src=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$src/build-bench}

cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZAM_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target zam zam_game_bench zam_window_bench zam_launch_bench zam_sound_bench >/dev/null

display=
for n in $(seq 91 140); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
        display=$n
        break
    fi
done
[ -n "$display" ] || { echo "run.sh: no free X display" >&2; exit 1; }
runtime=$(mktemp -d)
chmod 700 "$runtime"
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true; rm -rf "$runtime"' EXIT INT TERM
for _ in $(seq 100); do
    [ -e "/tmp/.X11-unix/X$display" ] && break
    sleep 0.05
done

export DISPLAY=":$display" XDG_RUNTIME_DIR="$runtime" SDL_AUDIODRIVER=dummy
log="$build/bench-log.txt"
: >"$log"

step() {
    echo "running: $*" >&2
    echo "== $*" >>"$log"
    "$@" >>"$log" 2>&1 || echo "  ($1 ended with status $?)" | tee -a "$log" >&2
}

bench="$build/bench"
step "$bench/zam_game_bench" --benchmark_color=false
step "$bench/zam_window_bench" move-value --runs 15 --sampled 5
step "$bench/zam_window_bench" idle --seconds 10
for session in 1 2 3; do
    step "$bench/zam_window_bench" stall --games 1
done
step "$bench/zam_window_bench" stall --games 1 --big-tunes
step "$bench/zam_window_bench" quiet --seconds 10
step "$bench/zam_window_bench" games --games 200
step "$bench/zam_window_bench" end --seconds 10 --runs 3
step "$bench/zam_launch_bench" --runs 7
step "$bench/zam_window_bench" keeper
# The sound bench's own report (opening tunes, the status at a tune's end) goes to the log only.
step "$bench/zam_sound_bench"

python3 "$src/bench/table.py" "$log"
