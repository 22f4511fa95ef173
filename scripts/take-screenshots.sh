#!/usr/bin/env bash
# Takes the README's screenshots: builds the game, plays it under a virtual X
# display with a window manager, and saves its windows as PNG files in
# docs/screenshots/. Needs xvfb, openbox, xdotool and imagemagick, which it
# installs when missing.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
if [ "${1:-}" != "--inside" ]; then
    "$root/scripts/install-deps.sh"
    missing=()
    for tool in xvfb-run:xvfb openbox:openbox xdotool:xdotool import:imagemagick; do
        command -v "${tool%%:*}" >/dev/null || missing+=("${tool##*:}")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        as_root=()
        [ "$(id -u)" -ne 0 ] && as_root=(sudo)
        "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
    fi
    cmake -S "$root" -B "$root/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DTUMBRIX_BUILD_TESTS=OFF -DTUMBRIX_BUILD_BENCH=OFF >/dev/null
    cmake --build "$root/build/release" --target tumbrix
    mkdir -p "$root/docs/screenshots"
    exec xvfb-run -a -s '-screen 0 1280x1024x24' "$0" --inside
fi

shots="$root/docs/screenshots"
game="$(mktemp -d)"
trap 'rm -rf "$game"' EXIT
# A copy of its own, so that the shots show no one's high scores.
cp "$root/build/release/bin/"{tumbrix,*.wav} "$game/"
printf '"ALICE"\r\n"412"\r\n"BOB"\r\n"377"\r\n"CAROL"\r\n"298"\r\n"DAVE"\r\n"250"\r\n' >"$game/Tumbrix.txt"
for i in $(seq 5 16); do printf '""\r\n"0"\r\n' >>"$game/Tumbrix.txt"; done

openbox >/dev/null 2>&1 &
sleep 1
LOGIN=alice SDL_AUDIODRIVER=dummy "$game/tumbrix" 2>/dev/null &
pid=$!
trap 'kill $pid 2>/dev/null; rm -rf "$game"' EXIT
sleep 2
main=$(xdotool search --sync --name '^ Tumbrix$' | head -1)
shoot() { sleep 0.7; import -window "$(xdotool getactivewindow)" -frame "$shots/$1.png"; }

xdotool windowactivate --sync "$main"
shoot start
xdotool key ctrl+t
sleep 0.5
xdotool key Left d
sleep 2.5
import -window "$main" -frame "$shots/two-players.png"
xdotool key ctrl+i
shoot instructions
xdotool key --window "$(xdotool getactivewindow)" space
sleep 0.5
xdotool key ctrl+h
shoot high-scores
echo "Screenshots in $shots"
