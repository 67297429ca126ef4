#!/bin/sh
# Installs the game into a fresh prefix, checks the launcher and the metainfo, and
# starts the installed program from another directory: it must find its media
# there and play them (rendered to a file by SDL's disk audio driver).
#
# Usage: installed_program_test.sh BUILD_DIR [BINDIR MEDIADIR]
# (the install folders below the prefix: bin and share/zam unless the build chose others)
set -eu
build=$1
bin=${2:-bin}
media=${3:-share/zam}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix="$work/prefix"

cmake --install "$build" --prefix "$prefix" >/dev/null

for f in $bin/zam $bin/zam-selfplay $media/zam.mid $media/zaming.mid $media/endzam.mid \
         $media/zam1.wav $media/zam2.wav $media/zam3.wav $media/zam4.wav \
         $media/TXDEMO.WAV $media/Dummy.wav \
         share/applications/io.github.zamgame.zam.desktop share/metainfo/io.github.zamgame.zam.metainfo.xml \
         share/man/man6/zam.6 share/man/man6/zam-selfplay.6; do
    [ -f "$prefix/$f" ] || { echo "not installed: $f"; exit 1; }
done
for size in 16 32 48 64 128 256; do
    icon="$prefix/share/icons/hicolor/${size}x${size}/apps/zam.png"
    [ -f "$icon" ] || { echo "no ${size}px icon"; exit 1; }
done

desktop-file-validate "$prefix/share/applications/io.github.zamgame.zam.desktop"
# Pedantic: even a hint (a line "X: id:line: tag") fails the test.
verdict=$(appstreamcli validate --pedantic --no-net "$prefix/share/metainfo/io.github.zamgame.zam.metainfo.xml") ||
    { echo "$verdict"; exit 1; }
if echo "$verdict" | grep -q '^[EWIP]: '; then echo "$verdict"; exit 1; fi
for page in zam zam-selfplay; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$prefix/share/man/man6/$page.6" 2>&1 >/dev/null)
    [ -z "$warnings" ] || { echo "man $page: $warnings"; exit 1; }
done

# Run from an unrelated directory for a few seconds: the demo's sound plays at once.
mkdir -p "$work/elsewhere" "$work/runtime"
chmod 700 "$work/runtime"
cd "$work/elsewhere"
env -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$work/runtime" SDL_AUDIODRIVER=disk \
SDL_DISKAUDIOFILE="$work/sound.raw" \
    timeout -k 2 -s TERM 4 "$prefix/$bin/zam" >/dev/null 2>&1 || true
[ -s "$work/sound.raw" ] || { echo "the installed program opened no sound"; exit 1; }
loud=$(head -c 4000000 "$work/sound.raw" | od -An -v -tx1 | tr -s ' ' '\n' | grep -v -c -E '^(00|)$' || true)
if [ "$loud" -lt 1000 ]; then
    echo "the installed program played only silence: its media were not found"
    exit 1
fi
echo "installed program played its media ($loud non-zero bytes)"
