#!/bin/sh
# Builds the two fuzz targets of the media gate with a compiler that offers libFuzzer
# (clang; g++ does not) and runs each for the given seconds, from the game's own media
# as seeds. Skips (77) when no such compiler is there.
#
# Usage: run_fuzz.sh SOURCE_DIR BUILD_DIR SECONDS
set -eu
src=$1
out=$2/fuzz
seconds=$3
cxx=${ZAM_FUZZ_CXX:-clang++}
mkdir -p "$out"
probe="$out/probe.cpp"
echo 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }' >"$probe"
if ! command -v "$cxx" >/dev/null 2>&1 || ! "$cxx" -fsanitize=fuzzer "$probe" -o "$out/probe" 2>/dev/null; then
    echo "SKIP: no compiler offering -fsanitize=fuzzer ($cxx)"
    exit 77
fi
flags="-std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all -I$src/src"
for target in wave_header midi_header; do
    binary="$out/$target"
    libs=""
    [ "$target" = wave_header ] && libs=$(pkg-config --cflags --libs SDL2_mixer)
    if [ ! -x "$binary" ] || [ "$src/tests/fuzz/${target}_fuzz.cpp" -nt "$binary" ] ||
       [ "$src/src/media/media_gate.cpp" -nt "$binary" ] || [ "$src/src/media/media_gate.h" -nt "$binary" ]; then
        # shellcheck disable=SC2086
        "$cxx" $flags "$src/tests/fuzz/${target}_fuzz.cpp" "$src/src/media/media_gate.cpp" $libs -o "$binary"
    fi
    corpus=$(mktemp -d "${TMPDIR:-/tmp}/zam-fuzz-$target.XXXXXX")
    if [ "$target" = wave_header ]; then
        cp "$src"/assets/media/*.wav "$src"/assets/media/*.WAV "$corpus/"
    else
        cp "$src"/assets/media/*.mid "$corpus/"
    fi
    echo "== $target: $seconds s"
    status=0
    # The game's effects are up to a few hundred kilobytes; the fuzzer may grow inputs to that.
    ASAN_OPTIONS=detect_leaks=0 "$binary" -max_total_time="$seconds" -max_len=300000 -print_final_stats=1 \
        -artifact_prefix="$out/$target-" "$corpus" 2>&1 | grep -E '^(#[0-9]+ +DONE|stat::number_of_executed_units|stat::peak_rss|==|SUMMARY|artifact)' || true
    "$binary" -runs=0 "$corpus" >/dev/null 2>&1 || status=1
    ls "$out/$target-"* >/dev/null 2>&1 && { echo "FAIL: $target found a crash: $(ls "$out/$target-"*)"; status=1; }
    rm -rf "$corpus"
    [ $status -eq 0 ] || exit 1
done
