#!/bin/sh
# Installs the Debian packages that building, running and testing ZAM need.
# Safe to run again: when every package is already present it does nothing.
set -eu

PACKAGES="
build-essential
cmake
ninja-build
qt6-base-dev
libsdl2-mixer-dev libfluidsynth-dev libxcb1-dev
timgm6mb-soundfont
fonts-liberation2
libgtest-dev
libbenchmark-dev
clang libclang-rt-14-dev
clang-format
xvfb
xdotool
imagemagick
x11-utils
x11-xserver-utils
desktop-file-utils
appstream
"
# The Debian package and its checks (tests/package/deb_test.sh), the manual pages, and the
# game on a Wayland desktop (a headless weston with XWayland, Qt's Wayland plugin).
PACKAGES="$PACKAGES
pkgconf libx11-dev
debhelper dpkg-dev fakeroot lintian
man-db
fonts-liberation2
weston xwayland qt6-wayland
"
# The game on a real sound server (tests/e2e/sound_server_test.sh): PipeWire with its PulseAudio
# service and session manager, the PulseAudio tools that record it, and a session bus.
PACKAGES="$PACKAGES
pipewire pipewire-bin pipewire-pulse wireplumber pulseaudio-utils dbus-daemon
"
# A whole game played through the accessibility tree (tests/e2e/screen_reader_test.sh): a
# session bus, the accessibility bus and its registry, and Python's client for it.
PACKAGES="$PACKAGES
dbus-bin
at-spi2-core
python3-pyatspi python3-gi
"

missing=""
for p in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed"; then
        missing="$missing $p"
    fi
done

if [ -z "$missing" ]; then
    exit 0
fi

echo "install-deps: installing:$missing" >&2
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
    SUDO="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
# A fresh machine may have no package lists yet; refresh them once.
if ! $SUDO apt-get install -y --no-install-recommends $missing; then
    $SUDO apt-get update
    $SUDO apt-get install -y --no-install-recommends $missing
fi
