#!/bin/sh
# Installs the game into a fresh prefix, checks the launcher and the metainfo, and
# starts the installed program from another directory: it must find its media
# there and play them (rendered to a file by SDL's disk audio driver).
#
# Usage: installed_program_test.sh BUILD_DIR
set -eu
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix="$work/prefix"

cmake --install "$build" --prefix "$prefix" >/dev/null

for f in bin/zam bin/zam-selfplay share/zam/zam.mid share/zam/zaming.mid share/zam/endzam.mid \
         share/zam/zam1.wav share/zam/zam2.wav share/zam/zam3.wav share/zam/zam4.wav \
         share/zam/TXDEMO.WAV share/zam/Dummy.wav \
         share/applications/io.github.zamgame.Zam.desktop share/metainfo/io.github.zamgame.Zam.metainfo.xml; do
    [ -f "$prefix/$f" ] || { echo "not installed: $f"; exit 1; }
done
for size in 16 32 48 64 128 256; do
    icon="$prefix/share/icons/hicolor/${size}x${size}/apps/zam.png"
    [ -f "$icon" ] || { echo "no ${size}px icon"; exit 1; }
done

desktop-file-validate "$prefix/share/applications/io.github.zamgame.Zam.desktop"
appstreamcli validate --no-net "$prefix/share/metainfo/io.github.zamgame.Zam.metainfo.xml" >/dev/null

# Run from an unrelated directory for a few seconds: the demo's sound plays at once.
mkdir -p "$work/elsewhere" "$work/runtime"
chmod 700 "$work/runtime"
cd "$work/elsewhere"
QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$work/runtime" SDL_AUDIODRIVER=disk \
SDL_DISKAUDIOFILE="$work/sound.raw" \
    timeout -k 2 -s TERM 4 "$prefix/bin/zam" >/dev/null 2>&1 || true
[ -s "$work/sound.raw" ] || { echo "the installed program opened no sound"; exit 1; }
loud=$(head -c 4000000 "$work/sound.raw" | od -An -v -tx1 | tr -s ' ' '\n' | grep -v -c -E '^(00|)$' || true)
if [ "$loud" -lt 1000 ]; then
    echo "the installed program played only silence: its media were not found"
    exit 1
fi
echo "installed program played its media ($loud non-zero bytes)"
