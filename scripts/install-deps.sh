#!/usr/bin/env bash
# Installs the Debian/Ubuntu packages Tumbrix needs to build, test and run,
# skipping those already present. Uses sudo when not run as root.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev libsdl2-mixer-dev libgtest-dev libbenchmark-dev
    clang-14 libclang-rt-14-dev
    fonts-comic-neue fonts-liberation2
    desktop-file-utils appstream dpkg-dev fonts-texgyre
    # The desktops the game is tested on: X11 bare and under openbox,
    # weston and sway, with what types keys into them and pictures them;
    # the sound server's tools and an X screen for the benchmark.
    qt6-wayland xvfb openbox weston sway
    xdotool wmctrl x11-utils x11-xserver-utils imagemagick wtype grim
    pulseaudio-utils libxcb1-dev
)
# The sound-server tests start a PulseAudio of their own. A desktop that
# runs PipeWire's PulseAudio service keeps it: the server package is not
# added beside it, and those tests then say they were skipped.
if ! dpkg-query -W -f='${Status}' pipewire-pulse 2>/dev/null | grep -q "install ok installed"; then
    packages+=(pulseaudio)
fi
# The SVG module's development package has two names across releases.
if apt-cache show qt6-svg-dev >/dev/null 2>&1; then
    packages+=(qt6-svg-dev)
else
    packages+=(libqt6svg6-dev)
fi

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

as_root=()
if [ "$(id -u)" -ne 0 ]; then
    as_root=(sudo)
fi
echo "Installing: ${missing[*]}"
"${as_root[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
