#!/bin/bash
# Builds the Debian package from a scratch copy of the tree (dpkg-buildpackage writes
# into the parent folder, which must not be the clone's), checks it with lintian (any
# error or warning fails), unpacks it into a scratch root and runs the unpacked
# /usr/games/zam under an Xvfb of its own, from / as working directory, until the
# title window's music sounds (SDL's disk driver renders it to a file).
#
# Usage: tests/package/deb_test.sh   (from anywhere; needs the build tools of
# scripts/install-deps.sh). The tests already ran before, so the build skips them.
set -eu
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/zam-deb.XXXXXX")
XVFB_PID=""
ZAM_PID=""
# The clean-up must not decide the verdict: waiting for a killed program returns its
# signal's status, which set -e would take for the script's.
cleanup() {
    set +e
    [ -n "$ZAM_PID" ] && kill -KILL "$ZAM_PID" 2>/dev/null && wait "$ZAM_PID" 2>/dev/null
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# The tree as it is, uncommitted edits too, without build folders or git's own files.
mkdir "$work/zam-1.0.0"
tar -C "$source_dir" --exclude=./.git --exclude='./build' --exclude='./build-*' -cf - . |
    tar -C "$work/zam-1.0.0" -xf -

echo "building the package (nocheck)"
(cd "$work/zam-1.0.0" &&
    DEB_BUILD_OPTIONS="nocheck parallel=2" dpkg-buildpackage -b -us -uc) >"$work/build.log" 2>&1 ||
    { tail -n 40 "$work/build.log" >&2; fail "dpkg-buildpackage failed"; }
deb=$(ls "$work"/zam_1.0.0_*.deb 2>/dev/null | head -n 1)
[ -n "$deb" ] || fail "no zam_1.0.0_*.deb was built"
echo "built $(basename "$deb"), $(stat -c %s "$deb") bytes"
dpkg-deb -f "$deb" Depends Recommends

# lintian's verdict: any error or warning fails (so does lintian failing to run); info
# tags are shown. As root it first says it would rather not run as root: no verdict, dropped.
lintian_status=0
lintian_out=$(lintian --fail-on error,warning --info --display-info "$deb" 2>&1) || lintian_status=$?
lintian_out=$(echo "$lintian_out" | grep -v '^running with root privileges' || true)
echo "lintian (exit status $lintian_status):"
echo "${lintian_out:-(nothing to report)}"
[ "$lintian_status" -eq 0 ] || fail "lintian reports errors or warnings, or could not run"

root="$work/root"
dpkg-deb -x "$deb" "$root"
for f in usr/games/zam usr/games/zam-selfplay usr/share/games/zam/zaming.mid usr/share/man/man6/zam.6.gz \
         usr/share/man/man6/zam-selfplay.6.gz usr/share/applications/io.github.zamgame.zam.desktop \
         usr/share/metainfo/io.github.zamgame.zam.metainfo.xml usr/share/icons/hicolor/48x48/apps/zam.png \
         usr/share/doc/zam/copyright; do
    [ -f "$root/$f" ] || fail "not in the package: /$f"
done

# An X server of its own (see tests/e2e/x_session.sh for why -noreset).
for attempt in 0 1 2 3 4 5 6 7; do
    number=$(( 200 + ($$ * 7 + attempt * 101 + RANDOM % 7) % 700 ))
    [ -e "/tmp/.X$number-lock" ] || [ -e "/tmp/.X11-unix/X$number" ] && continue
    Xvfb ":$number" -screen 0 1280x1024x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
    XVFB_PID=$!
    for _ in $(seq 100); do
        if [ "$(tr -d ' \n' 2>/dev/null <"/tmp/.X$number-lock")" = "$XVFB_PID" ] &&
           xdpyinfo -display ":$number" >/dev/null 2>&1; then
            break 2
        fi
        kill -0 "$XVFB_PID" 2>/dev/null || break
        sleep 0.1
    done
    kill "$XVFB_PID" 2>/dev/null; wait "$XVFB_PID" 2>/dev/null; XVFB_PID=""
done
[ -n "$XVFB_PID" ] || fail "no X server could be started"

# The title window's tune starts as the title window shows. The demo's effect ends long
# before the demo hands over, so whatever sounds after the title window is up is the tune.
mkdir -m 700 "$work/runtime"
cd /
env -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb DISPLAY=":$number" XDG_RUNTIME_DIR="$work/runtime" \
    SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/sound.raw" "$root/usr/games/zam" >"$work/zam.log" 2>&1 &
ZAM_PID=$!
title=""
for _ in $(seq 300); do
    kill -0 "$ZAM_PID" 2>/dev/null || { cat "$work/zam.log" >&2; fail "the unpacked program ended"; }
    for id in $(DISPLAY=":$number" xdotool search --onlyvisible --pid "$ZAM_PID" 2>/dev/null); do
        size=$(DISPLAY=":$number" xwininfo -id "$id" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }')
        [ "$size" = 282x88 ] && title=$id
    done
    [ -n "$title" ] && break
    sleep 0.1
done
[ -n "$title" ] || fail "the title window did not show within 30 s"
start=$(stat -c %s "$work/sound.raw" 2>/dev/null || echo 0)
loud=0
for _ in $(seq 100); do
    sleep 0.1
    loud=$(tail -c +"$((start + 1))" "$work/sound.raw" | od -An -v -tx1 | tr -s ' ' '\n' | grep -v -c -E '^(00|)$' || true)
    [ "$loud" -ge 20000 ] && break
done
[ "$loud" -ge 20000 ] || { cat "$work/zam.log" >&2; fail "the title window's music did not sound ($loud non-zero bytes)"; }
echo "the unpacked /usr/games/zam, started from /, plays the title music ($loud non-zero bytes since the title showed)"
